#include <windows.h>

#include "platform/program_folder.h"
#include "platform/system_bridges.h"
#include "platform/win32/manufacturing_library.h"
#include "platform/win32/wide_text.h"

namespace k4 {

namespace {

// The variable as the system holds it, in UTF-16: a folder in any language.
std::string EnvironmentVariable(const char* name)
{
    const std::wstring wideName = Widen(name);
    std::wstring value(32767, L'\0');
    const DWORD length = GetEnvironmentVariableW(wideName.c_str(), value.data(), static_cast<DWORD>(value.size()));
    if (length == 0 || length >= value.size())
        return {};
    value.resize(length);
    return Narrow(value);
}

} // namespace

std::unique_ptr<BridgeLibrary> MakeSystemBridgeLibrary()
{
    const std::string simulated = EnvironmentVariable(kBridgeDirVariable);
    if (!simulated.empty())
        return MakeSimulatedBridgeLibrary(simulated);
    // The bridge maker's own library, where it was installed beside the
    // program, knows its bridges better than the port list does.
    const std::string folder = ProgramFolder();
    if (!folder.empty()) {
        const std::string path = folder + "\\" + kManufacturingLibraryName;
        if (GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES)
            if (std::unique_ptr<BridgeLibrary> library = MakeManufacturingBridgeLibrary(path))
                return library;
    }
    return MakeUsbSerialBridgeLibrary();
}

} // namespace k4
