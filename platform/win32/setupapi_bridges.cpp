// Real bridges: the present COM-port interfaces that SetupAPI lists, each
// with the USB identifiers of its hardware id and the port name of its
// device key.
#include <windows.h>
#include <setupapi.h>

#include <string>
#include <vector>

#include "platform/system_bridges.h"
#include "platform/shared/listed_bridges.h"
#include "platform/win32/usb_hardware_id.h"

namespace k4 {

namespace {

// GUID_DEVINTERFACE_COMPORT, spelt out to spare the GUID-definition headers.
constexpr GUID kComPortInterface = {0x86E0D1E0, 0x8089, 0x11D0, {0x9C, 0xE4, 0x08, 0x00, 0x3E, 0x30, 0x1F, 0x73}};

// The first of the hardware ids (a list of strings) that names a USB device.
std::optional<UsbIds> UsbIdsOf(HDEVINFO devices, SP_DEVINFO_DATA& device)
{
    char ids[2048] = {};
    DWORD type = 0;
    // One less than the buffer, so the list always ends in two terminators.
    if (!SetupDiGetDeviceRegistryPropertyA(devices, &device, SPDRP_HARDWAREID, &type, reinterpret_cast<BYTE*>(ids),
                                           sizeof ids - 2, nullptr))
        return std::nullopt;
    for (const char* id = ids; *id != '\0'; id += std::char_traits<char>::length(id) + 1)
        if (const std::optional<UsbIds> usb = ParseUsbHardwareId(id))
            return usb;
    return std::nullopt;
}

std::string PortNameOf(HDEVINFO devices, SP_DEVINFO_DATA& device)
{
    const HKEY key = SetupDiOpenDevRegKey(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_QUERY_VALUE);
    if (key == INVALID_HANDLE_VALUE)
        return {};
    char name[32] = {};
    DWORD size = sizeof name - 1;
    DWORD type = 0;
    const LONG result = RegQueryValueExA(key, "PortName", nullptr, &type, reinterpret_cast<BYTE*>(name), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_SZ)
        return {};
    name[size < sizeof name ? size : sizeof name - 1] = '\0';
    return IsComPortName(name) ? std::string(name) : std::string();
}

std::vector<AttachedBridge> ListUsbSerialPorts()
{
    std::vector<AttachedBridge> bridges;
    const HDEVINFO devices =
        SetupDiGetClassDevsA(&kComPortInterface, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (devices == INVALID_HANDLE_VALUE)
        return bridges;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD index = 0; SetupDiEnumDeviceInfo(devices, index, &device); ++index) {
        const std::optional<UsbIds> ids = UsbIdsOf(devices, device);
        if (!ids)
            continue;
        const std::string port = PortNameOf(devices, device);
        if (!port.empty())
            bridges.push_back({port, ids->vid, ids->pid, nullptr});
    }
    SetupDiDestroyDeviceInfoList(devices);
    return bridges;
}

} // namespace

std::unique_ptr<BridgeLibrary> MakeUsbSerialBridgeLibrary(const std::string&, const std::string&)
{
    // An unplugged port fails its open by itself; no separate check needed.
    return MakeListedBridgeLibrary(ListUsbSerialPorts);
}

} // namespace k4
