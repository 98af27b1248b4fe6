#include <windows.h>

#include <utility>

#include "platform/dynamic_library.h"

namespace k4 {

bool DynamicLibrary::Load(const std::string& path)
{
    Unload();
    // A bare name would be looked for along the system's search path
    // (current folder included); we only ever want the file we named.
    if (path.find_first_of("\\/") == std::string::npos || path.size() >= MAX_PATH)
        return false;
    // LoadLibrary wants backslashes in a path.
    std::string native = path;
    for (char& c : native)
        if (c == '/')
            c = '\\';
    // A broken file must fail the load, not stop the program with a dialog.
    DWORD oldMode = 0;
    SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &oldMode);
    m_handle = LoadLibraryA(native.c_str());
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

std::string SharedLibraryFileName(const std::string& baseName) { return baseName + ".dll"; }

} // namespace k4
