#include "link/device_link.h"

namespace k4 {

DeviceLink::DeviceLink(BridgeLibrary& bridges, SerialChannel& channel, MessageSink& messages)
    : m_bridges(bridges), m_channel(channel), m_messages(messages)
{
}

void DeviceLink::ConfigurePort()
{
    const BridgeHandle handle = m_state.g_hDevice;
    if (handle != kNoBridge)
        m_channel.Configure(handle);
}

void DeviceLink::AdoptBridge(BridgeHandle handle)
{
    std::lock_guard lock(m_csLink);
    m_state.g_hDevice = handle;
    ConfigurePort();
    m_state.g_bDevicePresent = true;
}

void DeviceLink::CloseBridge()
{
    // Under the lock, so the end of a pass never pulls the handle from under
    // an exchange that another thread is running.
    std::lock_guard lock(m_csLink);
    m_state.g_bDevicePresent = false;
    const BridgeHandle handle = m_state.g_hDevice.exchange(kNoBridge);
    if (handle != kNoBridge)
        m_bridges.Close(handle);
}

void DeviceLink::LoseDevice()
{
    m_nBytesRead = 0;
    CloseBridge();
}

} // namespace k4
