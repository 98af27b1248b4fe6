#pragma once
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace k4 {

// A file written under a temporary name in its target's folder and renamed
// over the target only by Commit(), after every byte has reached the disk.
// A failure at any step, or destruction without Commit(), removes the
// temporary file: the target is either the complete new file or untouched.
class AtomicFile {
public:
    AtomicFile();
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Creates the temporary file next to `targetPath` (UTF-8 path).
    bool Open(const std::string& targetPath);
    // Appends bytes; false once any write has failed (later writes do nothing).
    bool Write(const void* data, std::size_t size);
    bool Write(std::string_view text) { return Write(text.data(), text.size()); }
    // Flushes, closes and renames over the target. False leaves the target as it was.
    bool Commit();
    // Drops the temporary file; the target stays as it was.
    void Abandon();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace k4
