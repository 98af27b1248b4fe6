#pragma once
#include <string>

namespace k4 {

// A shared library loaded at run time and unloaded when this object goes.
// Everything taken from it (functions, objects it made) must be dropped
// before then.
class DynamicLibrary {
public:
    DynamicLibrary() = default;
    ~DynamicLibrary();
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;
    DynamicLibrary(DynamicLibrary&& other) noexcept;
    DynamicLibrary& operator=(DynamicLibrary&& other) noexcept;

    // Loads the library at `path` (UTF-8), a full path. A path without a
    // folder part is refused, so that the system's search path is never
    // consulted; on Windows so is a relative one, which the current folder
    // would complete.
    bool Load(const std::string& path);
    bool IsLoaded() const { return m_handle != nullptr; }

    // The exported symbol, or nullptr when the library has none by that name.
    void* Symbol(const char* name) const;

    void Unload();

private:
    void* m_handle = nullptr;
};

// From here on the system looks for libraries only in its own folder and the
// program's, never in the current folder or along PATH, where anyone may
// plant one. First thing in a program's main; false when the system could
// not be told (nothing to do on POSIX systems, whose loader never looks in
// the current folder).
bool RestrictLibrarySearch();

// "libname.so", "name.dll": the file name the platform gives a shared library.
std::string SharedLibraryFileName(const std::string& baseName);

} // namespace k4
