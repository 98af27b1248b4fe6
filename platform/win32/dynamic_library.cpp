#include <windows.h>

#include <utility>

#include "platform/dynamic_library.h"
#include "platform/win32/wide_text.h"

namespace k4 {

bool RestrictLibrarySearch()
{
    // Neither the current folder nor PATH is searched from here on, for
    // our own loads and for every library the system loads on our behalf.
    const bool restricted =
        SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32 | LOAD_LIBRARY_SEARCH_APPLICATION_DIR) != FALSE;
    SetDllDirectoryW(L"");
    return restricted;
}

bool DynamicLibrary::Load(const std::string& path)
{
    Unload();
    // A bare name would be looked for along the system's search path
    // (current folder included); we only ever want the file we named.
    if (path.find_first_of("\\/") == std::string::npos)
        return false;
    // The loader wants backslashes in a path.
    std::wstring native = Widen(path);
    if (native.empty() || native.size() >= MAX_PATH)
        return false;
    for (wchar_t& c : native)
        if (c == L'/')
            c = L'\\';
    // A broken file must fail the load, not stop the program with a dialog.
    DWORD oldMode = 0;
    SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &oldMode);
    // What the library itself needs comes from its own folder or the
    // system's, never from wherever the user happens to be.
    m_handle = LoadLibraryExW(native.c_str(), nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
    SetThreadErrorMode(oldMode, nullptr);
    return m_handle != nullptr;
}

void* DynamicLibrary::Symbol(const char* name) const
{
    if (m_handle == nullptr)
        return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(m_handle), name));
}

void DynamicLibrary::Unload()
{
    if (m_handle != nullptr)
        FreeLibrary(static_cast<HMODULE>(std::exchange(m_handle, nullptr)));
}

std::string SharedLibraryFileName(const std::string& baseName)
{
    return baseName + ".dll";
}

} // namespace k4
