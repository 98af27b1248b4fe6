#pragma once
#include <filesystem>
#include <string>

#include "tests/posix/scratch_folder.h"

namespace k4test {

// A small sysfs under Sys() and the device nodes under Dev(), laid out as
// the kernel does: bus/usb/devices/<name> links to the USB device's folder
// with idVendor and idProduct; a tty's folder sits below its port, with a
// "device" link up to the port, and class/tty/<tty> links to it. sysfs is
// full of links back up the tree ("subsystem"); they must not be walked.
class FakeSysfs {
public:
    // A USB device; with a `tty`, the bridge's port on its first interface.
    void AddUsbDevice(const std::string& name, const std::string& vid, const std::string& pid, const std::string& tty)
    {
        const std::filesystem::path device = "devices/pci0000:00/usb1/" + name, interface = device / (name + ":1.0");
        folder.Write(("sys" / device / "idVendor").string(), vid + "\n");
        folder.Write(("sys" / device / "idProduct").string(), pid + "\n");
        Link(Sys() / "bus/usb", Sys() / interface / "subsystem");
        Link(Sys() / device, Sys() / "bus/usb/devices" / name);
        if (!tty.empty())
            AddTty(tty, interface / tty, "usb-serial");
    }

    // A tty below `port` (a path inside sysfs) on `bus`.
    void AddTty(const std::string& tty, const std::filesystem::path& port, const std::string& bus)
    {
        const std::filesystem::path ttyFolder = Sys() / port / "tty" / tty;
        std::filesystem::create_directories(ttyFolder);
        Link(Sys() / "bus" / bus, Sys() / port / "subsystem");
        std::filesystem::create_symlink("../../../" + port.filename().string(), ttyFolder / "device");
        Link(ttyFolder, Sys() / "class/tty" / tty);
        folder.Write("dev/" + tty, "");
    }

    std::filesystem::path Sys() const { return folder.Path() / "sys"; }
    std::filesystem::path Dev() const { return folder.Path() / "dev"; }
    std::string Device(const std::string& name) const
    {
        return std::filesystem::canonical(Sys() / "devices/pci0000:00/usb1" / name).string();
    }

    ScratchFolder folder;

private:
    static void Link(const std::filesystem::path& target, const std::filesystem::path& link)
    {
        std::filesystem::create_directories(target);
        std::filesystem::create_directories(link.parent_path());
        std::filesystem::create_directory_symlink(target, link);
    }
};

} // namespace k4test
