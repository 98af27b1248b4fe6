#include "platform/win32/exclusive_port.h"

#include "platform/shared/bridge_device.h"
#include "platform/shared/system_reason.h"

#include "platform/win32/usb_hardware_id.h"
#include "platform/win32/wide_text.h"

namespace k4 {

std::string PortDevicePath(const std::string& name)
{
    // Only COM1 to COM9 open by their bare names; the device namespace
    // reaches every port.
    return IsComPortName(name) ? "\\\\.\\" + name : name;
}

HANDLE OpenPortExclusively(const std::string& path)
{
    const std::wstring device = Widen(PortDevicePath(path));
    if (device.empty() || device.size() >= MAX_PATH)
        return INVALID_HANDLE_VALUE;
    return CreateFileW(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

BridgeHandle OpenBridgeDevice(const std::string& path)
{
    const HANDLE port = OpenPortExclusively(path);
    if (port == INVALID_HANDLE_VALUE) {
        NoteSystemReason("open " + path, LastSystemError());
        return kNoBridge;
    }
    return reinterpret_cast<BridgeHandle>(port);
}

void CloseBridgeDevice(BridgeHandle handle)
{
    CloseHandle(reinterpret_cast<HANDLE>(handle));
}

} // namespace k4
