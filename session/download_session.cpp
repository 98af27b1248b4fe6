#include "session/download_session.h"

#include "common/device_ids.h"
#include "eventlog/csv_writer.h"
#include "platform/system_bridges.h"
#include "report/xls_report.h"

namespace k4 {

LogWriters ProgramFolderWriters()
{
    LogWriters writers;
    writers.csv = [](std::uint16_t offset, std::uint16_t length, std::span<const std::uint8_t> table,
                     std::string basePath, MessageSink& messages) {
        return WriteCsvFile(offset, length, table, std::move(basePath), messages);
    };
    writers.report = [](std::uint16_t offset, std::uint16_t length, std::span<const std::uint8_t> table,
                        std::string basePath, MessageSink& messages) {
        return WriteXlsReport(offset, length, table, std::move(basePath), messages);
    };
    return writers;
}

DownloadSession::DownloadSession(DownloadShell& shell, SessionParts parts) : m_shell(shell), m_parts(std::move(parts))
{
    if (!m_parts.bridges)
        m_parts.bridges = MakeSystemBridgeLibrary();
    if (!m_parts.channel)
        m_parts.channel = MakeSystemSerialChannel();
    if (!m_parts.writers.csv && !m_parts.writers.report) {
        LogWriters system = ProgramFolderWriters();
        system.keepRawImage = std::move(m_parts.writers.keepRawImage);
        m_parts.writers = std::move(system);
    }
    m_link = std::make_unique<DeviceLink>(*m_parts.bridges, *m_parts.channel, m_shell, &m_bRun);
}

DownloadSession::~DownloadSession()
{
    Stop();
    if (m_worker.joinable())
        m_worker.join();
    for (std::thread& query : m_queries)
        query.join();
}

void DownloadSession::Start()
{
    if (m_worker.joinable())
        return;
    if (m_parts.readConfiguration) {
        const DeviceIds ids = ReadDeviceIds();
        m_parts.settings.m_dwVid = ids.vid;
        m_parts.settings.m_dwPid = ids.pid;
    }
    m_worker = std::thread([this] { RunPass(); });
}

void DownloadSession::RunPass()
{
    const PassOutcome outcome = DownloadWorker(*m_link, m_shell, m_parts.settings, m_parts.writers, m_bRun);
    {
        std::lock_guard lock(m_mutex);
        m_outcome = outcome;
        m_finished = true;
    }
    m_ended.notify_all();
    if (m_parts.finished)
        m_parts.finished(outcome);
}

void DownloadSession::Stop()
{
    m_bRun = false;
}

bool DownloadSession::Finished() const
{
    std::lock_guard lock(m_mutex);
    return m_finished;
}

bool DownloadSession::WaitFor(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    return m_ended.wait_for(lock, timeout, [this] { return m_finished; });
}

void DownloadSession::Wait()
{
    std::unique_lock lock(m_mutex);
    m_ended.wait(lock, [this] { return m_finished; });
}

PassOutcome DownloadSession::Outcome() const
{
    std::lock_guard lock(m_mutex);
    return m_outcome;
}

void DownloadSession::RequestFirmwareVersion(std::function<void(std::optional<std::string>)> done)
{
    std::lock_guard lock(m_mutex);
    m_queries.emplace_back([this, done = std::move(done)] {
        std::string text;
        if (m_link->GetFirmwareVersion(text))
            done(text);
        else
            done(std::nullopt);
    });
}

} // namespace k4
