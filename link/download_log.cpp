#include <vector>

#include "link/download_worker.h"

namespace k4 {

// Works on a copy of the gathered bytes: the header conversion must not touch
// m_image, which a later exchange reuses.
bool DownloadLog(DeviceLink& link, std::string basePath, const LogWriters& writers, MessageSink& messages)
{
    if (!link.State().m_bDevicePresent)
        return false;

    std::vector<std::uint8_t> image;
    if (!link.DownloadImage(image))
        return false;

    // The writers get the header words in host order; a kept image must
    // stay as the unit sent it.
    const std::vector<std::uint8_t> raw = writers.keepRawImage ? image : std::vector<std::uint8_t>();
    EventTableArgs table;
    if (!PrepareImageForWriters(image, table))
        return false;
    if (writers.keepRawImage)
        writers.keepRawImage(raw);

    const bool csvWritten =
        writers.csv && writers.csv(table.tableOffset, table.tableLength, table.table, basePath, messages);
    // Until a report writer is given, the comma-delimited file is the product.
    if (!writers.report)
        return csvWritten;
    return writers.report(table.tableOffset, table.tableLength, table.table, basePath, messages);
}

} // namespace k4
