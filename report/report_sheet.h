#pragma once
#include <cstdint>
#include <string_view>
#include <vector>

#include "report/com_ref.h"
#include "report/xls/k4xls.h"

namespace k4 {

// The report's worksheet as the writer uses it: UTF-8 texts in, every
// failing call raised. A cell takes the style applied last.
class ReportSheet {
public:
    explicit ReportSheet(k4xls::IWorksheet& sheet) : m_sheet(sheet) {}

    void Apply(const ComRef<k4xls::IStyle>& style);
    void Text(int row, int column, std::string_view text);
    void Integer(int row, int column, std::int32_t value);
    void Number(int row, int column, double value);
    void Formula(int row, int column, std::string_view formula);

    // A merged area of `columns` x `rows` cells from (row, column). The
    // area stays referenced until the sheet goes.
    k4xls::IMergedArea& Merge(int row, int column, int columns, int rows);
    void MergedText(int row, int column, int columns, int rows, std::string_view text);

    // Keeps a sheet-level object (range, rich text) referenced until the
    // sheet goes, as the merged areas are.
    template <class Interface>
    Interface& Hold(ComRef<Interface> object)
    {
        m_held.emplace_back(); // may throw; `object` still owns its reference then
        Interface* raw = object.Detach();
        m_held.back() = ComRef<k4xls::IRefCounted>::Adopt(raw);
        return *raw;
    }

    k4xls::IWorksheet& Worksheet() { return m_sheet; }

private:
    k4xls::IWorksheet& m_sheet;
    std::vector<ComRef<k4xls::IRefCounted>> m_held;
};

} // namespace k4
