#pragma once
// A workbook as the interface builds it: its worksheets and what they
// share (formats, strings, pictures), and the writing of the file.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "report/xls/cell_formats.h"
#include "report/xls/k4xls.h"
#include "report/xls/picture_store.h"
#include "report/xls/string_table.h"
#include "report/xls/worksheet_model.h"

namespace k4xls {

class WorkbookModel {
public:
    static constexpr std::size_t kMaxSheetNameLength = 31;

    explicit WorkbookModel(std::u16string path);

    Status AddSheet(std::u16string_view name, WorksheetModel*& sheet);
    // Writes the file under a temporary name and renames it over the
    // target only when complete. After success the workbook takes no more
    // changes.
    Status Close();
    bool IsClosed() const { return m_closed; }

    CellFormats& Formats() { return m_formats; }
    const CellFormats& Formats() const { return m_formats; }
    StringTable& Strings() { return m_strings; }
    const StringTable& Strings() const { return m_strings; }
    PictureStore& Pictures() { return m_pictures; }
    const PictureStore& Pictures() const { return m_pictures; }
    const std::vector<std::unique_ptr<WorksheetModel>>& Sheets() const { return m_sheets; }

private:
    bool IsUsableSheetName(std::u16string_view name) const;

    std::u16string m_path;
    bool m_closed = false;
    CellFormats m_formats;
    StringTable m_strings;
    PictureStore m_pictures;
    std::vector<std::unique_ptr<WorksheetModel>> m_sheets;
};

} // namespace k4xls
