// The five operations over the simulated bridges named by K4_BRIDGE_DIR,
// read afresh on every call so that a test can change the folder.
#include <windows.h>

#include <memory>
#include <mutex>
#include <string>

#include "platform/system_bridges.h"

namespace {

constexpr int kSuccess = 0x00;
constexpr int kDeviceNotFound = 0xFF;

std::mutex g_mutex;
std::string g_folder;
std::unique_ptr<k4::BridgeLibrary> g_bridges;

// The library for the folder the process names now (its own environment
// block, not a C run-time copy taken at load time); callers hold g_mutex.
k4::BridgeLibrary& Bridges()
{
    char name[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableA(k4::kBridgeDirVariable, name, sizeof name);
    const std::string now = length > 0 && length < sizeof name ? std::string(name, length) : std::string();
    if (!g_bridges || now != g_folder) {
        g_folder = now;
        g_bridges = k4::MakeSimulatedBridgeLibrary(now);
    }
    return *g_bridges;
}

k4::BridgeHandle Ours(HANDLE handle)
{
    return reinterpret_cast<k4::BridgeHandle>(handle);
}

} // namespace

extern "C" {

int WINAPI FakeGetNumDevices(DWORD* count)
{
    const std::lock_guard lock(g_mutex);
    std::uint32_t n = 0;
    Bridges().GetNumDevices(n);
    *count = n;
    return kSuccess;
}

int WINAPI FakeOpen(DWORD index, HANDLE* handle)
{
    const std::lock_guard lock(g_mutex);
    k4::BridgeHandle opened = k4::kNoBridge;
    if (Bridges().Open(index, opened) != 0)
        return kDeviceNotFound;
    *handle = reinterpret_cast<HANDLE>(opened);
    return kSuccess;
}

int WINAPI FakeGetVid(HANDLE handle, WORD* vid)
{
    const std::lock_guard lock(g_mutex);
    Bridges().GetVid(Ours(handle), *vid);
    return kSuccess;
}

int WINAPI FakeGetPid(HANDLE handle, WORD* pid)
{
    const std::lock_guard lock(g_mutex);
    Bridges().GetPid(Ours(handle), *pid);
    return kSuccess;
}

int WINAPI FakeClose(HANDLE handle)
{
    const std::lock_guard lock(g_mutex);
    Bridges().Close(Ours(handle));
    return kSuccess;
}

} // extern "C"
