// Simulated bridges: each "*.bridge" file in one folder stands for a
// plugged-in bridge (written by the simulator, removed when it ends).
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/bridge_file.h"
#include "platform/shared/listed_bridges.h"
#include "platform/system_bridges.h"
#include "platform/utf8_path.h"

namespace k4 {

namespace {

namespace fs = std::filesystem;

// An announcement is one short line; anything longer is not one.
constexpr std::size_t kMaxBridgeFileSize = 4096;

std::optional<BridgeFile> ReadBridgeFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string text;
    text.resize(kMaxBridgeFileSize + 1);
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (text.size() > kMaxBridgeFileSize)
        return std::nullopt;
    return ParseBridgeFile(text);
}

// Like the shell's "*.bridge": hidden files do not count, which leaves the
// simulator room for its temporary files.
bool IsBridgeFileName(const std::string& name)
{
    return name.size() > kBridgeFileSuffix.size() && name.front() != '.' && name.ends_with(kBridgeFileSuffix);
}

std::vector<fs::path> BridgeFilesIn(const fs::path& folder)
{
    std::vector<fs::path> files;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code typeError;
        if (IsBridgeFileName(Utf8FromPath(it->path().filename())) && it->is_regular_file(typeError))
            files.push_back(it->path());
    }
    std::sort(files.begin(), files.end(), [](const fs::path& a, const fs::path& b) {
        return Utf8FromPath(a.filename()) < Utf8FromPath(b.filename());
    });
    return files;
}

std::vector<AttachedBridge> ListSimulatedBridges(const fs::path& folder)
{
    std::vector<AttachedBridge> bridges;
    for (const fs::path& file : BridgeFilesIn(folder)) {
        const std::optional<BridgeFile> bridge = ReadBridgeFile(file);
        if (!bridge)
            continue;
        const std::string devicePath = bridge->devicePath;
        auto stillAttached = [file, devicePath] {
            const std::optional<BridgeFile> now = ReadBridgeFile(file);
            return now && now->devicePath == devicePath;
        };
        bridges.push_back({bridge->devicePath, bridge->vid, bridge->pid, stillAttached});
    }
    return bridges;
}

} // namespace

std::unique_ptr<BridgeLibrary> MakeSimulatedBridgeLibrary(const std::string& folder)
{
    const fs::path root = PathFromUtf8(folder);
    return MakeListedBridgeLibrary([root] { return ListSimulatedBridges(root); });
}

} // namespace k4
