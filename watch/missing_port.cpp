#include "watch/missing_port.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/bridge_file.h"

namespace k4 {

namespace {

namespace fs = std::filesystem;

// interface -> tty driver's port -> tty: the tty's name sits a few levels below.
constexpr int kMaxLevelsToTty = 4;

std::optional<std::uint32_t> ReadIdentifier(const fs::path& file)
{
    std::ifstream in(file);
    std::string text;
    if (!(in >> text))
        return std::nullopt;
    return ParseUsbIdentifier(text);
}

bool Carries(const fs::path& usbDevice, DeviceIds ids)
{
    return ReadIdentifier(usbDevice / "idVendor") == ids.vid && ReadIdentifier(usbDevice / "idProduct") == ids.pid;
}

// Directory links of sysfs ("subsystem", "driver", "port") lead back up the
// tree; only the real directories below count.
bool HasTtyBelow(const fs::path& dir, int levels)
{
    std::error_code error;
    for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error)) {
        if (it->is_symlink(error) || !it->is_directory(error))
            continue;
        const std::string name = it->path().filename().string();
        if (name.rfind("tty", 0) == 0)
            return true;
        if (levels > 1 && HasTtyBelow(it->path(), levels - 1))
            return true;
    }
    return false;
}

std::vector<fs::path> SortedEntries(const fs::path& dir)
{
    std::vector<fs::path> entries;
    std::error_code error;
    for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error))
        entries.push_back(it->path());
    std::sort(entries.begin(), entries.end());
    return entries;
}

} // namespace

std::optional<std::string> FindUsbDeviceWithoutTty(const std::string& sysRoot, DeviceIds ids)
{
    for (const fs::path& entry : SortedEntries(fs::path(sysRoot) / "bus" / "usb" / "devices")) {
        if (!Carries(entry, ids))
            continue;
        std::error_code error;
        const fs::path device = fs::canonical(entry, error);
        if (!error && !HasTtyBelow(device, kMaxLevelsToTty))
            return device.string();
    }
    return std::nullopt;
}

std::string MissingPortHelp(DeviceIds ids)
{
    char id[32];
    std::snprintf(id, sizeof id, "%04x:%04x", ids.vid & 0xFFFFu, ids.pid & 0xFFFFu);
    std::string help = std::string("The download unit (USB ") + id +
                       ") is plugged in, but no usable serial port appeared for it.\n"
                       "- The braille display service brltty often claims this USB bridge. If you use no braille\n"
                       "  display, remove brltty (sudo apt remove brltty) or stop it from claiming devices\n"
                       "  (sudo systemctl mask brltty-udev.service), then plug the unit in again.\n";
    help += "- Access to the port: the package's udev rule (70-k4-data-transfer.rules) gives it to the\n"
            "  user logged in at the computer; reload it with sudo udevadm control --reload-rules and\n"
            "  plug the unit in again. Without a local log-in (remote or headless), join the dialout\n"
            "  group (sudo adduser $USER dialout) and log in again.\n";
    return help;
}

bool MissingPortNotice::Update(bool troubled, std::chrono::steady_clock::time_point now)
{
    if (!troubled) {
        m_since.reset();
        return false;
    }
    if (!m_since)
        m_since = now;
    if (m_said || now - *m_since < kPatience)
        return false;
    m_said = true;
    return true;
}

} // namespace k4
