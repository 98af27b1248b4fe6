// The five operations over the simulated bridges named by K4_BRIDGE_DIR,
// read afresh on every count so that a test can change the folder.
#include <windows.h>

#include <memory>
#include <mutex>
#include <string>

#include "platform/system_bridges.h"

namespace {

constexpr int kSuccess = 0x00;
constexpr int kDeviceNotFound = 0xFF;
constexpr int kInvalidParameter = 0x02;

std::mutex g_mutex;
std::string g_folder;
std::unique_ptr<k4::BridgeLibrary> g_bridges;

// The library for the folder the process names now. The process's own
// environment block is read, not a C run-time copy taken at load time.
k4::BridgeLibrary& Bridges()
{
    char folder[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableA(k4::kBridgeDirVariable, folder, sizeof folder);
    const std::string now = length > 0 && length < sizeof folder ? std::string(folder, length) : std::string();
    if (!g_bridges || now != g_folder) {
        g_folder = now;
        g_bridges = k4::MakeSimulatedBridgeLibrary(now);
    }
    return *g_bridges;
}

} // namespace

extern "C" {

int WINAPI FakeGetNumDevices(DWORD* count)
{
    if (count == nullptr)
        return kInvalidParameter;
    std::lock_guard lock(g_mutex);
    std::uint32_t n = 0;
    Bridges().GetNumDevices(n);
    *count = n;
    return kSuccess;
}

int WINAPI FakeOpen(DWORD index, HANDLE* handle)
{
    if (handle == nullptr)
        return kInvalidParameter;
    std::lock_guard lock(g_mutex);
    k4::BridgeHandle opened = k4::kNoBridge;
    if (Bridges().Open(index, opened) != 0)
        return kDeviceNotFound;
    *handle = reinterpret_cast<HANDLE>(opened);
    return kSuccess;
}

int WINAPI FakeGetVid(HANDLE handle, WORD* vid)
{
    if (vid == nullptr)
        return kInvalidParameter;
    std::lock_guard lock(g_mutex);
    std::uint16_t id = 0;
    Bridges().GetVid(reinterpret_cast<k4::BridgeHandle>(handle), id);
    *vid = id;
    return kSuccess;
}

int WINAPI FakeGetPid(HANDLE handle, WORD* pid)
{
    if (pid == nullptr)
        return kInvalidParameter;
    std::lock_guard lock(g_mutex);
    std::uint16_t id = 0;
    Bridges().GetPid(reinterpret_cast<k4::BridgeHandle>(handle), id);
    *pid = id;
    return kSuccess;
}

int WINAPI FakeClose(HANDLE handle)
{
    std::lock_guard lock(g_mutex);
    Bridges().Close(reinterpret_cast<k4::BridgeHandle>(handle));
    return kSuccess;
}

} // extern "C"
