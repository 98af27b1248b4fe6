#include "link/device_link.h"

namespace k4 {

DeviceLink::DeviceLink(BridgeLibrary& bridges, SerialChannel& channel, MessageSink& messages,
                       const std::atomic<bool>* bRun)
    : m_bridges(bridges), m_channel(channel), m_messages(messages), m_bRun(bRun)
{}

bool DeviceLink::ConfigurePort()
{
    const BridgeHandle handle = m_state.m_hDevice;
    return handle != kNoBridge && m_channel.Configure(handle);
}

void DeviceLink::AdoptBridge(BridgeHandle handle)
{
    std::lock_guard lock(m_csLink);
    m_state.m_hDevice = handle;
    // The pass goes on regardless: a bridge at another rate may still talk,
    // and the exchange reports it if it does not.
    if (!ConfigurePort() && !m_bLineSettingsRefused) {
        m_bLineSettingsRefused = true;
        m_messages.Diagnose(kLineSettingsRefusedNote);
    }
    m_state.m_bDevicePresent = true;
}

void DeviceLink::CloseBridge()
{
    // Under the lock, so the end of a pass never pulls the handle from under
    // an exchange that another thread is running.
    std::lock_guard lock(m_csLink);
    m_state.m_bDevicePresent = false;
    const BridgeHandle handle = m_state.m_hDevice.exchange(kNoBridge);
    if (handle != kNoBridge)
        m_bridges.Close(handle);
}

void DeviceLink::LoseDevice()
{
    m_nBytesRead = 0;
    CloseBridge();
}

} // namespace k4
