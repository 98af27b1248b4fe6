#include "report/xls/worksheet_model.h"

#include <algorithm>
#include <cmath>

#include "report/xls/workbook_model.h"

namespace k4xls {

namespace {

// Column widths are given in characters of the default font's digits
// (7 pixels) plus 5 pixels of padding; COLINFO counts 1/256 of a digit.
std::int32_t ColumnWidthField(double width)
{
    if (width == 0)
        return 0;
    const double pixels = width < 1 ? std::floor(width * 12 + 0.5) : std::floor(width * 7) + 5;
    return static_cast<std::int32_t>(std::floor(pixels * 256 / 7));
}

} // namespace

WorksheetModel::WorksheetModel(WorkbookModel& book, std::u16string name) : m_book(book), m_name(std::move(name))
{
    m_columnWidths.fill(-1);
}

Status WorksheetModel::Writable() const
{
    return m_book.IsClosed() ? E_FAIL : S_OK;
}

Status WorksheetModel::PrepareText(std::u16string_view text, CellContent& content)
{
    if (text.size() > kMaxTextLength)
        return E_INVALIDARG;
    // An empty text makes a blank cell: it reads as empty, not as "".
    content = text.empty() ? CellContent{} : CellContent{CellKind::Text, 0, m_book.Strings().AddPlain(text)};
    return S_OK;
}

Status WorksheetModel::PrepareNumber(double number, CellContent& content)
{
    if (!std::isfinite(number))
        return E_INVALIDARG;
    content = CellContent{CellKind::Number, number, 0};
    return S_OK;
}

Status WorksheetModel::PrepareFormula(std::u16string_view formula, CellContent& content)
{
    if (const Status s = Writable(); Failed(s))
        return s;
    const std::size_t start = m_formulas.Tokens().size();
    if (!m_compiler.Compile(formula, m_formulas.Tokens()))
        return E_BADFORMULA;
    content = CellContent{CellKind::Formula, 0, m_formulas.Seal(start)};
    return S_OK;
}

Status WorksheetModel::PrepareRichText(std::u16string_view text, std::span<const RichRunSettings> runs,
                                       CellContent& content)
{
    if (text.size() > kMaxTextLength)
        return E_INVALIDARG;
    if (text.empty()) {
        content = CellContent{};
        return S_OK;
    }
    std::vector<RichRun> resolved;
    resolved.reserve(runs.size());
    for (const RichRunSettings& run : runs) {
        if (run.position >= text.size())
            continue; // a run after the last character formats nothing
        const std::uint16_t font = m_book.Formats().FontFor(run.font);
        if (!resolved.empty() && resolved.back().position == run.position)
            resolved.back().font = font;
        else
            resolved.push_back(RichRun{run.position, font});
    }
    content = CellContent{CellKind::Text, 0, m_book.Strings().AddRich(text, resolved)};
    return S_OK;
}

void WorksheetModel::SetCurrentStyle(std::shared_ptr<StyleState> style)
{
    m_style = std::move(style);
}

Status WorksheetModel::CurrentXf(std::optional<std::uint16_t>& xf)
{
    if (!m_style) {
        xf.reset();
        return S_OK;
    }
    StyleState& style = *m_style;
    if (style.resolvedIn != &m_book || style.resolvedVersion != style.version) {
        const std::optional<std::uint16_t> index = m_book.Formats().XfFor(style.settings);
        if (!index)
            return E_OUTOFMEMORY;
        style.resolvedIn = &m_book;
        style.resolvedVersion = style.version;
        style.resolvedXf = *index;
    }
    xf = style.resolvedXf;
    return S_OK;
}

void WorksheetModel::Put(std::uint32_t row, std::uint16_t column, const CellContent& content,
                         std::optional<std::uint16_t> xf)
{
    bool isNew = false;
    Cell& cell = m_cells.Place(row, column, isNew);
    cell.kind = content.kind;
    cell.number = content.number;
    cell.ref = content.ref;
    if (xf)
        cell.xf = *xf;
}

Status WorksheetModel::Write(std::uint32_t row, std::uint16_t column, const CellContent& content)
{
    if (const Status s = Writable(); Failed(s))
        return s;
    std::optional<std::uint16_t> xf;
    if (const Status s = CurrentXf(xf); Failed(s))
        return s;
    Put(row, column, content, xf);
    return S_OK;
}

Status WorksheetModel::PlaceMerged(const CellArea& area, const CellContent& content)
{
    if (const Status s = Writable(); Failed(s))
        return s;
    bool alreadyMerged = false;
    for (const CellArea& merged : m_merged) {
        if (merged == area)
            alreadyMerged = true;
        else if (merged.Overlaps(area))
            return E_INVALIDARG;
    }
    std::optional<std::uint16_t> xf;
    if (const Status s = CurrentXf(xf); Failed(s))
        return s;

    const CellContent blank;
    for (std::uint32_t row = area.firstRow; row <= area.lastRow; ++row)
        for (std::uint32_t column = area.firstColumn; column <= area.lastColumn; ++column) {
            const bool first = row == area.firstRow && column == area.firstColumn;
            Put(row, static_cast<std::uint16_t>(column), first ? content : blank, xf);
        }
    // A merge of one cell is no merge; Excel rejects such records.
    if (!alreadyMerged && !area.IsSingleCell())
        m_merged.push_back(area);
    return S_OK;
}

Status WorksheetModel::ApplyStyleToArea(const CellArea& area, const StyleSettings& settings)
{
    if (const Status s = Writable(); Failed(s))
        return s;
    const std::size_t cells = static_cast<std::size_t>(area.lastRow - area.firstRow + 1) *
                              static_cast<std::size_t>(area.lastColumn - area.firstColumn + 1);
    if (cells > kMaxStyledArea)
        return E_INVALIDARG;
    const std::optional<std::uint16_t> xf = m_book.Formats().XfFor(settings);
    if (!xf)
        return E_OUTOFMEMORY;
    for (std::uint32_t row = area.firstRow; row <= area.lastRow; ++row)
        for (std::uint32_t column = area.firstColumn; column <= area.lastColumn; ++column) {
            bool isNew = false;
            m_cells.Place(row, static_cast<std::uint16_t>(column), isNew).xf = *xf;
        }
    return S_OK;
}

Status WorksheetModel::SetColumnWidths(std::uint16_t first, std::uint16_t last, double width)
{
    if (const Status s = Writable(); Failed(s))
        return s;
    if (!(width >= 0 && width <= kMaxColumnWidth))
        return E_INVALIDARG;
    const std::int32_t field = ColumnWidthField(width);
    for (std::uint32_t column = first; column <= last; ++column)
        m_columnWidths[column] = field;
    return S_OK;
}

Status WorksheetModel::SetRowHeight(std::uint32_t row, double height)
{
    if (const Status s = Writable(); Failed(s))
        return s;
    if (!(height > 0 && height <= kMaxRowHeight))
        return E_INVALIDARG;
    const long twips = std::max(1L, std::lround(height * 20));
    m_cells.SetRowHeight(row, static_cast<std::uint16_t>(twips));
    return S_OK;
}

Status WorksheetModel::AddPicture(std::vector<std::uint8_t> png, const PictureAnchor& anchor)
{
    if (const Status s = Writable(); Failed(s))
        return s;
    if (m_pictures.size() == kMaxPicturesPerSheet)
        return E_OUTOFMEMORY;
    const std::uint32_t blip = m_book.Pictures().Add(std::move(png));
    m_pictures.push_back(PlacedPicture{blip, anchor});
    return S_OK;
}

Status WorksheetModel::SetView(const SheetView& view)
{
    if (const Status s = Writable(); Failed(s))
        return s;
    m_view = view;
    return S_OK;
}

} // namespace k4xls
