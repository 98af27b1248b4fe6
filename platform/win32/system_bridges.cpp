#include <windows.h>

#include "platform/program_folder.h"
#include "platform/system_bridges.h"
#include "platform/win32/manufacturing_library.h"
#include "platform/win32/wide_text.h"

namespace k4 {

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
