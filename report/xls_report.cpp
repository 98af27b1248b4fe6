#include "report/xls_report.h"

#include <optional>

#include "platform/path_rules.h"
#include "platform/program_folder.h"
#include "report/xls_component.h"
#include "report/xls_report_with_component.h"
#include "common/texts.h"

namespace k4 {

namespace {

constexpr const char* kLogoFileName = "TQLogo.png";

} // namespace

bool WriteXlsReport(std::uint16_t tableOffset, std::uint16_t tableLength, std::span<const std::uint8_t> table,
                    std::string basePath, MessageSink& messages)
{
    return WriteXlsReport(tableOffset, tableLength, table, std::move(basePath), messages, ProgramFolder());
}

bool WriteXlsReport(std::uint16_t /*tableOffset: the span already starts at the table*/, std::uint16_t tableLength,
                    std::span<const std::uint8_t> table, std::string basePath, MessageSink& messages,
                    const std::string& programFolder)
{
    // Loaded per report and freed when this returns, after the writer has
    // dropped every reference into it.
    const std::optional<XlsComponent> component = LoadXlsComponent(programFolder);
    if (!component) {
        messages.ShowMessage(text::kComponentMissingMessage);
        return false;
    }
    const std::string outputPath = basePath + ".xls";
    const std::string logoPath = programFolder + PathSeparator() + kLogoFileName;
    return WriteXlsReportWithComponent(component->start, tableLength, table, outputPath, logoPath, messages);
}

} // namespace k4
