#include "platform/win32/manufacturing_library.h"

#include <windows.h>

#include <utility>

#include "platform/dynamic_library.h"

namespace k4 {

namespace {

using GetNumDevicesFn = int(WINAPI*)(DWORD* count);
using OpenFn = int(WINAPI*)(DWORD index, HANDLE* handle);
using GetIdFn = int(WINAPI*)(HANDLE handle, WORD* id);
using CloseFn = int(WINAPI*)(HANDLE handle);

constexpr WORD kOrdinalGetNumDevices = 1;
constexpr WORD kOrdinalOpen = 3;
constexpr WORD kOrdinalClose = 4;
constexpr WORD kOrdinalGetVid = 14;
constexpr WORD kOrdinalGetPid = 15;

// The library exports its operations by number only; GetProcAddress takes
// the number in place of a name.
template <typename Fn>
Fn ByOrdinal(const DynamicLibrary& library, WORD ordinal)
{
    return reinterpret_cast<Fn>(library.Symbol(MAKEINTRESOURCEA(ordinal)));
}

class ManufacturingBridgeLibrary final : public BridgeLibrary {
public:
    explicit ManufacturingBridgeLibrary(DynamicLibrary library)
        : m_library(std::move(library)), m_getNumDevices(ByOrdinal<GetNumDevicesFn>(m_library, kOrdinalGetNumDevices)),
          m_open(ByOrdinal<OpenFn>(m_library, kOrdinalOpen)), m_getVid(ByOrdinal<GetIdFn>(m_library, kOrdinalGetVid)),
          m_getPid(ByOrdinal<GetIdFn>(m_library, kOrdinalGetPid)), m_close(ByOrdinal<CloseFn>(m_library, kOrdinalClose))
    {}

    bool Complete() const { return m_getNumDevices && m_open && m_getVid && m_getPid && m_close; }

    // The libraries' own results are not looked at where callers do not
    // rely on them; the outputs start from values that mean "nothing".
    void GetNumDevices(std::uint32_t& count) override
    {
        DWORD n = 0;
        m_getNumDevices(&n);
        count = n;
    }

    int Open(std::uint32_t index, BridgeHandle& handle) override
    {
        HANDLE opened = INVALID_HANDLE_VALUE;
        const int status = m_open(index, &opened);
        if (status == 0)
            handle = reinterpret_cast<BridgeHandle>(opened);
        return status;
    }

    void GetVid(BridgeHandle handle, std::uint16_t& vid) override
    {
        WORD id = 0;
        m_getVid(reinterpret_cast<HANDLE>(handle), &id);
        vid = id;
    }

    void GetPid(BridgeHandle handle, std::uint16_t& pid) override
    {
        WORD id = 0;
        m_getPid(reinterpret_cast<HANDLE>(handle), &id);
        pid = id;
    }

    void Close(BridgeHandle handle) override { m_close(reinterpret_cast<HANDLE>(handle)); }

private:
    DynamicLibrary m_library;
    GetNumDevicesFn m_getNumDevices;
    OpenFn m_open;
    GetIdFn m_getVid;
    GetIdFn m_getPid;
    CloseFn m_close;
};

} // namespace

std::unique_ptr<BridgeLibrary> MakeManufacturingBridgeLibrary(const std::string& path)
{
    DynamicLibrary loaded;
    if (!loaded.Load(path))
        return nullptr;
    auto library = std::make_unique<ManufacturingBridgeLibrary>(std::move(loaded));
    if (!library->Complete())
        return nullptr;
    return library;
}

} // namespace k4
