// Device changes on Linux: udev's events for serial ports (and for USB
// devices, which the help for a unit without a port needs), or inotify on
// the folder of simulated bridges. One descriptor of the source and an
// eventfd for Notify and Stop share one poll, so that stopping wakes the
// watch at once.
#include <libudev.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <functional>

#include "platform/bridge_changes.h"
#include "platform/system_bridges.h"

namespace k4 {

namespace {

class PolledBridgeChanges final : public BridgeChanges {
public:
    // `drain` reads what the source has pending, so that it does not wake
    // the next wait again; `release` frees the source.
    PolledBridgeChanges(int sourceFd, std::function<void()> drain, std::function<void()> release)
        : m_sourceFd(sourceFd), m_wakeFd(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)), m_drain(std::move(drain)),
          m_release(std::move(release))
    {}

    ~PolledBridgeChanges() override
    {
        if (m_wakeFd >= 0)
            ::close(m_wakeFd);
        m_release();
    }

    bool Usable() const { return m_wakeFd >= 0; }

    Wake WaitUntil(Clock::time_point deadline) override
    {
        for (;;) {
            if (m_stopped)
                return Wake::Stopped;
            pollfd fds[2] = {{m_sourceFd, POLLIN, 0}, {m_wakeFd, POLLIN, 0}};
            const int ready = ::poll(fds, 2, TimeoutUntil(deadline));
            if (m_stopped)
                return Wake::Stopped;
            if (ready == 0)
                return Wake::TimedOut;
            if (ready < 0)
                continue; // a signal; the deadline is checked again
            bool changed = false;
            if (fds[1].revents != 0) {
                std::uint64_t count = 0;
                [[maybe_unused]] const ssize_t ignored = ::read(m_wakeFd, &count, sizeof count);
                changed = true;
            }
            if (fds[0].revents != 0) {
                m_drain();
                changed = true;
            }
            if (changed)
                return Wake::Changed;
        }
    }

    void Stop() override
    {
        m_stopped = true;
        Wake();
    }

    void Notify() override { Wake(); }

private:
    static int TimeoutUntil(Clock::time_point deadline)
    {
        if (deadline == Clock::time_point::max())
            return -1;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, 60'000));
    }

    void Wake()
    {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t ignored = ::write(m_wakeFd, &one, sizeof one);
    }

    const int m_sourceFd;
    const int m_wakeFd;
    std::function<void()> m_drain;
    std::function<void()> m_release;
    std::atomic<bool> m_stopped{false};
};

std::unique_ptr<BridgeChanges> Usable(std::unique_ptr<PolledBridgeChanges> changes)
{
    if (!changes->Usable())
        return nullptr;
    return changes;
}

std::unique_ptr<BridgeChanges> MakeUdevBridgeChanges()
{
    udev* context = udev_new();
    if (context == nullptr)
        return nullptr;
    udev_monitor* monitor = udev_monitor_new_from_netlink(context, "udev");
    if (monitor == nullptr || udev_monitor_filter_add_match_subsystem_devtype(monitor, "tty", nullptr) < 0 ||
        udev_monitor_filter_add_match_subsystem_devtype(monitor, "usb", "usb_device") < 0 ||
        udev_monitor_enable_receiving(monitor) < 0) {
        udev_monitor_unref(monitor);
        udev_unref(context);
        return nullptr;
    }
    auto drain = [monitor] {
        while (udev_device* device = udev_monitor_receive_device(monitor))
            udev_device_unref(device);
    };
    auto release = [monitor, context] {
        udev_monitor_unref(monitor);
        udev_unref(context);
    };
    return Usable(std::make_unique<PolledBridgeChanges>(udev_monitor_get_fd(monitor), drain, release));
}

} // namespace

std::unique_ptr<BridgeChanges> MakeFolderBridgeChanges(const std::string& folder)
{
    const int fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0)
        return nullptr;
    // The simulator writes a hidden file and renames it into place; a
    // rewrite in place ends with its close.
    constexpr std::uint32_t kEvents =
        IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_CLOSE_WRITE | IN_DELETE_SELF | IN_MOVE_SELF;
    if (::inotify_add_watch(fd, folder.c_str(), kEvents) < 0) {
        ::close(fd);
        return nullptr;
    }
    auto drain = [fd] {
        alignas(inotify_event) char events[4096];
        while (::read(fd, events, sizeof events) > 0) {}
    };
    return Usable(std::make_unique<PolledBridgeChanges>(fd, drain, [fd] { ::close(fd); }));
}

std::unique_ptr<BridgeChanges> MakeSystemBridgeChanges(std::chrono::milliseconds fallbackInterval)
{
    const char* simulated = std::getenv(kBridgeDirVariable);
    std::unique_ptr<BridgeChanges> changes =
        simulated != nullptr && *simulated != '\0' ? MakeFolderBridgeChanges(simulated) : MakeUdevBridgeChanges();
    if (!changes)
        return MakeTickingBridgeChanges(fallbackInterval);
    return changes;
}

} // namespace k4
