#include "mock_xls_engine.h"

namespace mockxls {

using namespace k4xls;

std::string Utf8(const char16_t* text)
{
    std::string out;
    for (; text != nullptr && *text != 0; ++text) {
        const char16_t c = *text;
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | c >> 6);
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            // Surrogates pass through as their own three-byte forms: the
            // tests compare them, they never display them.
            out += static_cast<char>(0xE0 | c >> 12);
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

namespace {

// Hands `object` out through `out`, or nothing when the book says so.
template <class Interface>
Status HandOut(MockBook& book, Interface* object, Interface** out)
{
    if (book.NullNow()) {
        object->Release(); // never handed out, so nobody else holds it
        object = nullptr;
    }
    *out = object;
    return S_OK;
}

// The shape of every call that makes an object and hands it out.
template <class T, class Out, class... Args>
Status MakeAndHandOut(MockBook& book, const char* name, Out** out, Args... args)
{
    *out = nullptr;
    if (Status s = book.Enter(name, true); Failed(s))
        return s;
    return HandOut<Out>(book, book.Make<T>(args...), out);
}

// Base of the style's sub-objects: each setting changes the style's record.
template <class Interface>
class StylePart : public Counted<Interface> {
public:
    StylePart(MockBook& book, int style) : Counted<Interface>(book), m_style(style) {}

protected:
    template <class Change>
    Status Set(const char* name, Change change)
    {
        if (Status s = this->m_book.Enter(name); Failed(s))
            return s;
        change(this->m_book.styles[m_style]);
        return S_OK;
    }
    int m_style;
};

class MockBorderSide : public StylePart<IBorderSide> {
public:
    MockBorderSide(MockBook& book, int style, int side) : StylePart(book, style), m_side(side) {}
    Status SetLine(std::int32_t line) override
    {
        return Set("BorderSide::SetLine", [&](StyleSettings& st) { st.borders[m_side] = line; });
    }

private:
    int m_side;
};

class MockBorders : public StylePart<IBorders> {
public:
    using StylePart::StylePart;
    Status GetLeft(IBorderSide** out) override { return Side(out, 0, "Borders::GetLeft"); }
    Status GetRight(IBorderSide** out) override { return Side(out, 1, "Borders::GetRight"); }
    Status GetTop(IBorderSide** out) override { return Side(out, 2, "Borders::GetTop"); }
    Status GetBottom(IBorderSide** out) override { return Side(out, 3, "Borders::GetBottom"); }

private:
    Status Side(IBorderSide** out, int side, const char* name)
    {
        return MakeAndHandOut<MockBorderSide>(m_book, name, out, m_style, side);
    }
};

class MockAlignment : public StylePart<IAlignment> {
public:
    using StylePart::StylePart;
    Status SetHorizontal(std::int32_t v) override { return Set("Alignment::SetHorizontal", [&](auto& st) { st.horizontal = v; }); }
    Status SetVertical(std::int32_t v) override { return Set("Alignment::SetVertical", [&](auto& st) { st.vertical = v; }); }
    Status SetWrap(std::int32_t v) override { return Set("Alignment::SetWrap", [&](auto& st) { st.wrap = v != 0; }); }
    Status SetRotation(std::int32_t v) override { return Set("Alignment::SetRotation", [&](auto& st) { st.rotation = v; }); }
};

class MockFont : public StylePart<IFont> {
public:
    using StylePart::StylePart;
    Status SetBold(std::int32_t on) override { return Set("Font::SetBold", [&](auto& st) { st.bold = on != 0; }); }
    Status SetColour(std::int32_t rgb) override { return Set("Font::SetColour", [&](auto& st) { st.fontColour = rgb; }); }
};

class MockFill : public StylePart<IFill> {
public:
    using StylePart::StylePart;
    Status SetColour(std::int32_t rgb) override { return Set("Fill::SetColour", [&](auto& st) { st.fill = rgb; }); }
};

class MockStyle : public Counted<IStyle> {
public:
    MockStyle(MockBook& book, int id) : Counted(book), id(id) {}
    const int id;

    Status SetNumberFormat(const char16_t* format) override
    {
        if (Status s = m_book.Enter("Style::SetNumberFormat"); Failed(s))
            return s;
        m_book.styles[id].numberFormat = Utf8(format);
        return S_OK;
    }
    Status GetAlignment(IAlignment** out) override { return Sub<MockAlignment>(out, "Style::GetAlignment"); }
    Status GetFont(IFont** out) override { return Sub<MockFont>(out, "Style::GetFont"); }
    Status GetBorders(IBorders** out) override { return Sub<MockBorders>(out, "Style::GetBorders"); }
    Status GetFill(IFill** out) override { return Sub<MockFill>(out, "Style::GetFill"); }
    Status Apply() override
    {
        if (Status s = m_book.Enter("Style::Apply"); Failed(s))
            return s;
        m_book.appliedStyle = id;
        return S_OK;
    }
    Status Duplicate(IStyle** out) override
    {
        *out = nullptr;
        if (Status s = m_book.Enter("Style::Duplicate", true); Failed(s))
            return s;
        const int copy = m_book.NewStyleId(m_book.styles[id]);
        return HandOut<IStyle>(m_book, m_book.Make<MockStyle>(copy), out);
    }
    Status SetStyleFlag(std::int32_t flag) override
    {
        if (Status s = m_book.Enter("Style::SetStyleFlag"); Failed(s))
            return s;
        m_book.styles[id].styleFlag = flag;
        return S_OK;
    }

private:
    template <class T, class Out>
    Status Sub(Out** out, const char* name)
    {
        return MakeAndHandOut<T>(m_book, name, out, id);
    }
};

class MockRange : public Counted<IRange> {
public:
    using Counted::Counted;
    Status GetStyle(IStyle** out) override
    {
        *out = nullptr;
        if (Status s = m_book.Enter("Range::GetStyle", true); Failed(s))
            return s;
        m_book.rangeStyle = m_book.NewStyleId({});
        return HandOut<IStyle>(m_book, m_book.Make<MockStyle>(m_book.rangeStyle), out);
    }
    Status ApplyStyle() override
    {
        if (Status s = m_book.Enter("Range::ApplyStyle"); Failed(s))
            return s;
        m_book.rangeStyleApplied = true;
        return S_OK;
    }
};

class MockRichText : public Counted<IRichText> {
public:
    using Counted::Counted;
    Status AppendRun(const char16_t* text, IStyle* fontOf) override
    {
        if (Status s = m_book.Enter("RichText::AppendRun"); Failed(s))
            return s;
        if (fontOf == nullptr)
            return E_POINTER;
        m_book.richRuns.push_back({Utf8(text), static_cast<MockStyle*>(fontOf)->id});
        return S_OK;
    }
};

class MockMergedArea : public Counted<IMergedArea> {
public:
    using Counted::Counted;
    Status SetFirstRow(std::int32_t v) override { return Set("MergedArea::SetFirstRow", m_area.row, v); }
    Status SetFirstColumn(std::int32_t v) override { return Set("MergedArea::SetFirstColumn", m_area.column, v); }
    Status SetColumns(std::int32_t v) override { return Set("MergedArea::SetColumns", m_area.columns, v); }
    Status SetRows(std::int32_t v) override { return Set("MergedArea::SetRows", m_area.rows, v); }
    Status SetText(const char16_t* text) override { return Place("MergedArea::SetText", Utf8(text)); }
    Status SetFormula(const char16_t* formula) override { return Place("MergedArea::SetFormula", Utf8(formula)); }
    Status SetRichText(IRichText* text) override
    {
        if (text == nullptr)
            return E_POINTER;
        std::string joined;
        for (const RichRun& run : m_book.richRuns)
            joined += run.text;
        return Place("MergedArea::SetRichText", joined);
    }

private:
    Status Set(const char* name, int& field, int value)
    {
        if (Status s = m_book.Enter(name); Failed(s))
            return s;
        field = value;
        return S_OK;
    }
    Status Place(const char* name, std::string content)
    {
        if (Status s = m_book.Enter(name); Failed(s))
            return s;
        MergedArea placed = m_area;
        placed.content = std::move(content);
        placed.style = m_book.appliedStyle;
        m_book.merges.push_back(placed);
        return S_OK;
    }
    MergedArea m_area;
};

// Sheet switches and settings: each call is recorded by name, in order.
template <class Interface>
class SheetFlags : public Counted<Interface> {
public:
    using Counted<Interface>::Counted;

protected:
    Status Record(const char* name, int value)
    {
        if (Status s = this->m_book.Enter(name); Failed(s))
            return s;
        this->m_book.switchesAndSettings.emplace_back(name, value);
        return S_OK;
    }
};

class MockSheetSwitches : public SheetFlags<ISheetSwitches> {
public:
    using SheetFlags::SheetFlags;
    Status SetFirst(std::int32_t v) override { return Record("switch1", v); }
    Status SetSecond(std::int32_t v) override { return Record("switch2", v); }
    Status SetThird(std::int32_t v) override { return Record("switch3", v); }
};

class MockSheetSettings : public SheetFlags<ISheetSettings> {
public:
    using SheetFlags::SheetFlags;
    Status SetFirst(std::int32_t v) override { return Record("setting1", v); }
    Status SetSecond(std::int32_t v) override { return Record("setting2", v); }
};

class MockWorksheet : public Counted<IWorksheet> {
public:
    using Counted::Counted;
    Status SetText(std::int32_t row, std::int32_t column, const char16_t* text) override
    {
        return Write("Worksheet::SetText", row, column, {CellKind::Text, Utf8(text), 0, -1});
    }
    Status SetInteger(std::int32_t row, std::int32_t column, std::int32_t value) override
    {
        return Write("Worksheet::SetInteger", row, column, {CellKind::Integer, {}, double(value), -1});
    }
    Status SetNumber(std::int32_t row, std::int32_t column, double value) override
    {
        return Write("Worksheet::SetNumber", row, column, {CellKind::Number, {}, value, -1});
    }
    Status SetFormula(std::int32_t row, std::int32_t column, const char16_t* formula) override
    {
        return Write("Worksheet::SetFormula", row, column, {CellKind::Formula, Utf8(formula), 0, -1});
    }
    Status NewStyle(IStyle** out) override
    {
        return MakeAndHandOut<MockStyle>(m_book, "Worksheet::NewStyle", out, m_book.NewStyleId({}));
    }
    Status NewRichText(IRichText** out) override
    {
        return MakeAndHandOut<MockRichText>(m_book, "Worksheet::NewRichText", out);
    }
    Status NewMergedArea(IMergedArea** out) override
    {
        return MakeAndHandOut<MockMergedArea>(m_book, "Worksheet::NewMergedArea", out);
    }
    Status SetColumnWidth(std::int32_t column, double width) override
    {
        return SetColumnWidths(column, column, width);
    }
    Status SetRowHeight(std::int32_t row, double height) override
    {
        if (Status s = m_book.Enter("Worksheet::SetRowHeight"); Failed(s))
            return s;
        m_book.rowHeights[row] = height;
        return S_OK;
    }
    Status SetColumnWidths(std::int32_t first, std::int32_t last, double width) override
    {
        if (Status s = m_book.Enter("Worksheet::SetColumnWidths"); Failed(s))
            return s;
        for (int column = first; column <= last; ++column)
            m_book.columnWidths[column] = width;
        return S_OK;
    }
    Status GetRange(const char16_t* r1c1, IRange** out) override
    {
        *out = nullptr;
        if (Status s = m_book.Enter("Worksheet::GetRange", true); Failed(s))
            return s;
        m_book.rangeText = Utf8(r1c1);
        return HandOut<IRange>(m_book, m_book.Make<MockRange>(), out);
    }
    Status SetSheetOption(std::int32_t option) override
    {
        if (Status s = m_book.Enter("Worksheet::SetSheetOption"); Failed(s))
            return s;
        m_book.sheetOptions.push_back(option);
        return S_OK;
    }
    Status InsertPicture(const char16_t* path, std::int32_t top, std::int32_t left, std::int32_t bottom,
                         std::int32_t right, std::int32_t, std::int32_t, std::int32_t, std::int32_t) override
    {
        if (Status s = m_book.Enter("Worksheet::InsertPicture"); Failed(s))
            return s;
        m_book.pictures.push_back({Utf8(path), top, left, bottom, right});
        return S_OK;
    }
    Status GetSheetSwitches(ISheetSwitches** out) override
    {
        return MakeAndHandOut<MockSheetSwitches>(m_book, "Worksheet::GetSheetSwitches", out);
    }
    Status GetSheetSettings(ISheetSettings** out) override
    {
        return MakeAndHandOut<MockSheetSettings>(m_book, "Worksheet::GetSheetSettings", out);
    }

private:
    Status Write(const char* name, int row, int column, Cell cell)
    {
        if (Status s = m_book.Enter(name); Failed(s))
            return s;
        cell.style = m_book.appliedStyle;
        m_book.cells[{row, column}] = std::move(cell);
        return S_OK;
    }
};

class MockWorkbook : public Counted<IWorkbook> {
public:
    using Counted::Counted;
    Status AddWorksheet(const char16_t* name, IWorksheet** out) override
    {
        *out = nullptr;
        if (Status s = m_book.Enter("Workbook::AddWorksheet", true); Failed(s))
            return s;
        m_book.sheetName = Utf8(name);
        return HandOut<IWorksheet>(m_book, m_book.Make<MockWorksheet>(), out);
    }
    Status Close() override
    {
        ++m_book.closeCalls;
        if (Status s = m_book.Enter("Workbook::Close"); Failed(s))
            return s;
        m_book.closed = true;
        return S_OK;
    }
};

class MockEngine : public Counted<IEngine> {
public:
    explicit MockEngine(MockBook& book) : Counted(book) { m_refs = 0; }
    Status NewWorkbook(const char16_t* path, IWorkbook** out) override
    {
        *out = nullptr;
        if (Status s = m_book.Enter("Engine::NewWorkbook", true); Failed(s))
            return s;
        m_book.workbookPath = Utf8(path);
        return HandOut<IWorkbook>(m_book, m_book.Make<MockWorkbook>(), out);
    }
};

MockBook* g_current = nullptr;

} // namespace

MockBook::MockBook() = default;
MockBook::~MockBook() = default;

int MockBook::LiveReferences() const
{
    int live = 0;
    for (const auto& object : m_objects)
        live += object->References();
    return live;
}

const Cell* MockBook::CellAt(int row, int column) const
{
    const auto found = cells.find({row, column});
    return found == cells.end() ? nullptr : &found->second;
}

int MockBook::NewStyleId(const StyleSettings& settings)
{
    styles.push_back(settings);
    return static_cast<int>(styles.size()) - 1;
}

IEngine* MockBook::Start() { return startReturnsNull ? nullptr : Make<MockEngine>(); }

Status MockBook::Enter(const char* name, bool handsOut)
{
    ++calls;
    callNames.emplace_back(name);
    callHandsOut.push_back(handsOut);
    return calls == failAtCall ? E_FAIL : S_OK;
}

void SetCurrentBook(MockBook* book) { g_current = book; }

extern "C" IEngine* MockStart() { return g_current->Start(); }

} // namespace mockxls
