#pragma once
#include <cstdio>
#include <memory>

#include "platform/bridge_library.h"

namespace k4dl {

// Passes every bridge operation on and writes one "bridge: ..." line for
// it, so that support (and the tests) can see which bridges were opened,
// kept and closed, and how often.
class TracingBridgeLibrary final : public k4::BridgeLibrary {
public:
    TracingBridgeLibrary(std::unique_ptr<k4::BridgeLibrary> inner, std::FILE* out);

    void GetNumDevices(std::uint32_t& count) override;
    int Open(std::uint32_t index, k4::BridgeHandle& handle) override;
    void GetVid(k4::BridgeHandle handle, std::uint16_t& vid) override;
    void GetPid(k4::BridgeHandle handle, std::uint16_t& pid) override;
    void Close(k4::BridgeHandle handle) override;

private:
    std::unique_ptr<k4::BridgeLibrary> m_inner;
    std::FILE* m_out;
};

} // namespace k4dl
