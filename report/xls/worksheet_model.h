#pragma once
// One worksheet's content as the interface builds it: cells, formulas,
// merged areas, pictures, column widths, row heights and view settings.
// Rows and columns are 0-based here; the interface objects convert.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "report/xls/cell_area.h"
#include "report/xls/cell_store.h"
#include "report/xls/drawing_records.h"
#include "report/xls/formula_compiler.h"
#include "report/xls/formula_store.h"
#include "report/xls/k4xls.h"
#include "report/xls/style_settings.h"

namespace k4xls {

class WorkbookModel;

struct SheetView {
    std::uint16_t zoom = 100; // per cent
    bool landscape = false;
    bool fitToPageWidth = false;
    bool centreHorizontally = false;
    std::uint32_t frozenRows = 0;
    std::uint16_t frozenColumns = 0;
};

// What goes into a cell, prepared before any cell is touched so that a
// failure leaves the sheet as it was.
struct CellContent {
    CellKind kind = CellKind::Blank;
    double number = 0;
    std::uint32_t ref = 0;
};

struct RichRunSettings {
    std::uint16_t position;
    FontSettings font;
};

class WorksheetModel {
public:
    static constexpr std::size_t kMaxTextLength = 32767;
    // Styling an area places a cell in each of its positions; beyond this
    // the memory would grow without bound.
    static constexpr std::size_t kMaxStyledArea = 1u << 20;
    static constexpr double kMaxColumnWidth = 255;
    static constexpr double kMaxRowHeight = 409.5;

    WorksheetModel(WorkbookModel& book, std::u16string name);

    const std::u16string& Name() const { return m_name; }

    Status PrepareText(std::u16string_view text, CellContent& content);
    Status PrepareNumber(double number, CellContent& content);
    Status PrepareFormula(std::u16string_view formula, CellContent& content);
    Status PrepareRichText(std::u16string_view text, std::span<const RichRunSettings> runs, CellContent& content);

    // Puts content in a cell with the style applied last; before any style
    // was applied, the cell keeps the format it has.
    Status Write(std::uint32_t row, std::uint16_t column, const CellContent& content);
    // Content in the area's first cell, blanks in the others, all with the
    // style applied last; then the area is merged.
    Status PlaceMerged(const CellArea& area, const CellContent& content);
    // Gives every cell of the area the format of `settings`, keeping what
    // the cells hold.
    Status ApplyStyleToArea(const CellArea& area, const StyleSettings& settings);
    void SetCurrentStyle(std::shared_ptr<StyleState> style);

    Status SetColumnWidths(std::uint16_t first, std::uint16_t last, double width);
    Status SetRowHeight(std::uint32_t row, double height);
    Status AddPicture(std::vector<std::uint8_t> png, const PictureAnchor& anchor);
    Status SetView(const SheetView& view);

    const SheetView& View() const { return m_view; }
    const CellStore& Cells() const { return m_cells; }
    const FormulaStore& Formulas() const { return m_formulas; }
    const std::vector<CellArea>& MergedAreas() const { return m_merged; }
    const std::vector<PlacedPicture>& Pictures() const { return m_pictures; }
    // COLINFO width fields (1/256 of a digit width), or -1 where not set.
    const std::array<std::int32_t, CellStore::kColumns>& ColumnWidths() const { return m_columnWidths; }

private:
    Status Writable() const;
    // The XF for cells written now: empty when no style was applied yet.
    Status CurrentXf(std::optional<std::uint16_t>& xf);
    void Put(std::uint32_t row, std::uint16_t column, const CellContent& content, std::optional<std::uint16_t> xf);

    WorkbookModel& m_book;
    std::u16string m_name;
    CellStore m_cells;
    FormulaStore m_formulas;
    FormulaCompiler m_compiler;
    std::vector<CellArea> m_merged;
    std::vector<PlacedPicture> m_pictures;
    std::array<std::int32_t, CellStore::kColumns> m_columnWidths;
    SheetView m_view;

    std::shared_ptr<StyleState> m_style;
};

} // namespace k4xls
