#include "platform/dynamic_library.h"

#include <dlfcn.h>

#include <utility>

namespace k4 {

bool RestrictLibrarySearch()
{
    return true;
}

bool DynamicLibrary::Load(const std::string& path)
{
    Unload();
    // dlopen searches LD_LIBRARY_PATH and the system folders for a bare
    // name; we only ever want the file we named.
    if (path.find('/') == std::string::npos)
        return false;
    m_handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    return m_handle != nullptr;
}

void* DynamicLibrary::Symbol(const char* name) const
{
    if (m_handle == nullptr)
        return nullptr;
    return dlsym(m_handle, name);
}

void DynamicLibrary::Unload()
{
    if (m_handle != nullptr)
        dlclose(std::exchange(m_handle, nullptr));
}

std::string SharedLibraryFileName(const std::string& baseName)
{
    return "lib" + baseName + ".so";
}

} // namespace k4
