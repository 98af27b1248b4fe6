#include "tools/k4-download/download_writers.h"

#include <mutex>
#include <vector>

#include "eventlog/csv_writer.h"
#include "report/xls_report.h"
#include "tools/image_file/image_file.h"

namespace k4dl {

namespace {

// The writers get the image with its header words already turned to host
// order; the unit's own bytes are still in the link's buffer.
bool KeepRawImage(k4::DeviceLink& link, const std::string& path)
{
    std::vector<std::uint8_t> raw;
    {
        std::lock_guard lock(link.m_csLink);
        raw.assign(link.m_image.begin(), link.m_image.begin() + link.m_wImageLength);
    }
    return k4::WriteImageFile(path, raw);
}

} // namespace

k4::LogWriters MakeLogWriters(k4::DeviceLink& link, std::string keepImagePath, std::FILE* out)
{
    k4::LogWriters writers;
    writers.csv = [&link, keepImagePath, out](std::uint16_t offset, std::uint16_t length,
                                              std::span<const std::uint8_t> table, std::string basePath,
                                              k4::MessageSink& messages) {
        if (!keepImagePath.empty() && !KeepRawImage(link, keepImagePath))
            std::fprintf(out, "k4-download: cannot keep the image in %s\n", keepImagePath.c_str());
        return k4::WriteCsvFile(offset, length, table, std::move(basePath), messages);
    };
    writers.report = [](std::uint16_t offset, std::uint16_t length, std::span<const std::uint8_t> table,
                        std::string basePath, k4::MessageSink& messages) {
        return k4::WriteXlsReport(offset, length, table, std::move(basePath), messages);
    };
    return writers;
}

} // namespace k4dl
