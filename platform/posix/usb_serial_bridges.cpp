// Real bridges: USB serial devices as the kernel lists them in sysfs.
// A tty whose device sits below a USB device (the directory with idVendor
// and idProduct) is a bridge; its node is /dev/<tty name>.
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "platform/bridge_file.h"
#include "platform/shared/listed_bridges.h"
#include "platform/system_bridges.h"

namespace k4 {

namespace {

namespace fs = std::filesystem;

// tty -> port -> interface -> USB device, with room for hubs' extra levels
// of other drivers.
constexpr int kMaxLevelsToUsbDevice = 6;

std::optional<std::uint16_t> ReadHexFile(const fs::path& path)
{
    std::ifstream in(path);
    std::string text;
    if (!(in >> text))
        return std::nullopt;
    return ParseUsbIdentifier(text);
}

struct UsbIdentifiers {
    std::uint16_t vid = 0;
    std::uint16_t pid = 0;
};

std::optional<UsbIdentifiers> UsbDeviceAbove(const fs::path& ttyDevice)
{
    std::error_code error;
    fs::path dir = fs::canonical(ttyDevice, error);
    if (error)
        return std::nullopt;
    for (int level = 0; level < kMaxLevelsToUsbDevice && dir.has_relative_path(); ++level) {
        const std::optional<std::uint16_t> vid = ReadHexFile(dir / "idVendor");
        const std::optional<std::uint16_t> pid = ReadHexFile(dir / "idProduct");
        if (vid && pid)
            return UsbIdentifiers{*vid, *pid};
        dir = dir.parent_path();
    }
    return std::nullopt;
}

// The kernel names every USB serial port ttyUSB<n> (usb-serial drivers, the
// bridge's among them) or ttyACM<n> (modems of the ACM class). Going by the
// name spares the consoles and built-in ports a look at all, which the
// launcher's poll would otherwise pay ten times a second.
bool IsUsbSerialName(const std::string& name)
{
    return name.starts_with("ttyUSB") || name.starts_with("ttyACM");
}

std::vector<std::string> TtyNames(const fs::path& ttyClass)
{
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(ttyClass, error), end; !error && it != end; it.increment(error))
        names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<AttachedBridge> ListUsbSerialBridges(const fs::path& sysRoot, const fs::path& devRoot)
{
    const fs::path ttyClass = sysRoot / "class" / "tty";
    std::vector<AttachedBridge> bridges;
    for (const std::string& name : TtyNames(ttyClass)) {
        if (!IsUsbSerialName(name))
            continue;
        const fs::path entry = ttyClass / name;
        std::error_code error;
        if (!fs::is_symlink(entry / "device", error))
            continue;
        const std::optional<UsbIdentifiers> ids = UsbDeviceAbove(entry / "device");
        if (!ids)
            continue;
        auto stillAttached = [entry] {
            std::error_code error;
            return fs::exists(entry / "device", error);
        };
        bridges.push_back({(devRoot / name).string(), ids->vid, ids->pid, stillAttached});
    }
    return bridges;
}

} // namespace

std::unique_ptr<BridgeLibrary> MakeUsbSerialBridgeLibrary(const std::string& sysRoot, const std::string& devRoot)
{
    const fs::path sys(sysRoot);
    const fs::path dev(devRoot);
    return MakeListedBridgeLibrary([sys, dev] { return ListUsbSerialBridges(sys, dev); });
}

} // namespace k4
