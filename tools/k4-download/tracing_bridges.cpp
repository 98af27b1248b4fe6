#include "tools/k4-download/tracing_bridges.h"

namespace k4dl {

TracingBridgeLibrary::TracingBridgeLibrary(std::unique_ptr<k4::BridgeLibrary> inner, std::FILE* out)
    : m_inner(std::move(inner)), m_out(out)
{}

void TracingBridgeLibrary::GetNumDevices(std::uint32_t& count)
{
    m_inner->GetNumDevices(count);
    std::fprintf(m_out, "bridge: count %u\n", count);
    std::fflush(m_out);
}

int TracingBridgeLibrary::Open(std::uint32_t index, k4::BridgeHandle& handle)
{
    const int result = m_inner->Open(index, handle);
    if (result == 0)
        std::fprintf(m_out, "bridge: open %u handle %lld\n", index, static_cast<long long>(handle));
    else
        std::fprintf(m_out, "bridge: open %u failed\n", index);
    std::fflush(m_out);
    return result;
}

void TracingBridgeLibrary::GetVid(k4::BridgeHandle handle, std::uint16_t& vid)
{
    m_inner->GetVid(handle, vid);
    std::fprintf(m_out, "bridge: vid %04x handle %lld\n", unsigned{vid}, static_cast<long long>(handle));
    std::fflush(m_out);
}

void TracingBridgeLibrary::GetPid(k4::BridgeHandle handle, std::uint16_t& pid)
{
    m_inner->GetPid(handle, pid);
    std::fprintf(m_out, "bridge: pid %04x handle %lld\n", unsigned{pid}, static_cast<long long>(handle));
    std::fflush(m_out);
}

void TracingBridgeLibrary::Close(k4::BridgeHandle handle)
{
    m_inner->Close(handle);
    std::fprintf(m_out, "bridge: close handle %lld\n", static_cast<long long>(handle));
    std::fflush(m_out);
}

} // namespace k4dl
