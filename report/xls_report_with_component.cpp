#include "report/xls_report_with_component.h"

#include "report/component_call.h"
#include "report/event_rows.h"
#include "report/header_block.h"
#include "report/report_sheet.h"
#include "report/report_styles.h"
#include "report/sheet_setup.h"
#include "report/utf16_from_utf8.h"
#include "report/xls_report.h"
#include "common/texts.h"

namespace k4 {

using namespace k4xls;

namespace {

enum class ReportResult { Written, NothingToWrite };

// Raises on any component failure. The objects are declared so that they go
// in the reverse of their making: sheet objects and styles before the
// worksheet, the workbook and, last, the engine.
ReportResult BuildReport(K4XlsStartFn start, std::uint16_t tableLength, std::span<const std::uint8_t> table,
                         const std::string& outputPath, const std::string& logoPath)
{
    const ComRef<IEngine> engine = ComRef<IEngine>::AddedTo(start());
    const ComRef<IWorkbook> workbook = Fetch(engine, &IEngine::NewWorkbook, Utf16FromUtf8(outputPath).c_str());
    const ComRef<IWorksheet> worksheet = Fetch(workbook, &IWorkbook::AddWorksheet, u"TQ K4");
    const ReportStyles styles = MakeReportStyles(*worksheet);
    ReportSheet sheet(*worksheet);

    SetUpSheet(sheet);
    const HeaderLayout layout = WriteHeaderBlock(sheet, styles, logoPath);
    // A report without a single event is not worth a file; the caller
    // treats it like a failed download.
    if (tableLength == 0)
        return ReportResult::NothingToWrite;

    WriteEventRows(sheet, styles, layout, table, tableLength);
    Call(workbook, &IWorkbook::Close);
    return ReportResult::Written;
}

} // namespace

bool WriteXlsReportWithComponent(K4XlsStartFn start, std::uint16_t tableLength, std::span<const std::uint8_t> table,
                                 const std::string& outputPath, const std::string& logoPath, MessageSink& messages)
{
    try {
        return BuildReport(start, tableLength, table, outputPath, logoPath) == ReportResult::Written;
    } catch (...) {
        // Whatever went wrong (a component call, a missing interface, memory),
        // everything built so far has been released by now; the workbook was
        // never closed, so no file was written.
        messages.ShowMessage(text::kXlsCreateFailedMessage);
        return false;
    }
}

} // namespace k4
