#pragma once
// A spreadsheet engine for tests without the real component. It keeps the
// cells the writer sets, counts every reference, and can fail any one call
// or hand out a null interface from it.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/message_sink.h"
#include "report/xls/k4xls.h"
#include "report/xls_report_with_component.h"

namespace mockxls {

using namespace k4xls;
using std::int32_t;

class Object;

class Book {
public:
    int failAtCall = 0; // this call (1-based) returns E_FAIL
    int nullAtCall = 0; // this call succeeds but hands out no interface
    bool startReturnsNull = false;

    std::vector<std::string> calls; // method names, in order
    std::vector<bool> handsOut;     // whether that call hands out an interface
    int overReleases = 0, closeCalls = 0;
    bool closed = false;
    std::u16string workbookPath;
    // Each cell as its text, "int 12", "num" or "formula".
    std::map<std::pair<int, int>, std::string> cells;

    Status Enter(const char* name, bool handingOut)
    {
        calls.emplace_back(name);
        handsOut.push_back(handingOut);
        return static_cast<int>(calls.size()) == failAtCall ? E_FAIL : S_OK;
    }
    std::string CellAt(int row, int column) const
    {
        const auto found = cells.find({row, column});
        return found == cells.end() ? "(none)" : found->second;
    }
    Object* Make(int references);
    int LiveReferences() const;

private:
    // Objects live until the book goes, so that a release too many is
    // counted rather than crashing.
    std::vector<std::unique_ptr<Object>> m_objects;
};

// A method that is one step of the run, and one that hands out a new object.
// clang-format off
#define MOCK_STEP(name, ...) Status name(__VA_ARGS__) override { return Step(#name); }
#define MOCK_OUT(name, type) Status name(type** out) override { return HandOut(#name, out); }
// clang-format on

template <class... Interfaces>
struct All : Interfaces... {};

// One object plays every interface: whatever the writer fetches is a new
// Object, seen only through the interface asked for.
class Object final : public All<IEngine, IWorkbook, IWorksheet, IStyle, IAlignment, IFont, IFill, IBorders, IBorderSide,
                                IRange, IRichText, IMergedArea, ISheetSwitches, ISheetSettings> {
public:
    Object(Book& book, int references) : refs(references), m_book(book) {}
    int refs;

    std::uint32_t AddRef() override { return static_cast<std::uint32_t>(++refs); }
    std::uint32_t Release() override
    {
        m_book.overReleases += refs <= 0;
        return static_cast<std::uint32_t>(refs <= 0 ? 0 : --refs);
    }
    Status NewWorkbook(const char16_t* path, IWorkbook** out) override
    {
        m_book.workbookPath = path;
        return HandOut(__func__, out);
    }
    Status Close() override
    {
        ++m_book.closeCalls;
        const Status status = Step(__func__);
        m_book.closed = !Failed(status);
        return status;
    }
    Status SetText(int32_t row, int32_t column, const char16_t* text) override
    {
        const std::u16string_view wide(text); // ASCII in these tests
        return Step(__func__, row, column, std::string(wide.begin(), wide.end()));
    }
    Status SetInteger(int32_t row, int32_t column, int32_t value) override
    {
        return Step(__func__, row, column, "int " + std::to_string(value));
    }
    Status SetNumber(int32_t row, int32_t column, double) override { return Step(__func__, row, column, "num"); }
    Status SetFormula(int32_t row, int32_t column, const char16_t*) override
    {
        return Step(__func__, row, column, "formula");
    }
    Status AddWorksheet(const char16_t*, IWorksheet** out) override { return HandOut(__func__, out); }
    Status GetRange(const char16_t*, IRange** out) override { return HandOut(__func__, out); }
    Status AppendRun(const char16_t*, IStyle* fontOf) override { return fontOf ? Step(__func__) : E_POINTER; }
    Status SetRichText(IRichText* text) override { return text ? Step(__func__) : E_POINTER; }

    // One line per interface, as k4xls.h declares them.
    // clang-format off
    MOCK_OUT(NewStyle, IStyle) MOCK_OUT(NewRichText, IRichText) MOCK_OUT(NewMergedArea, IMergedArea)
    MOCK_OUT(GetSheetSwitches, ISheetSwitches) MOCK_OUT(GetSheetSettings, ISheetSettings)
    MOCK_STEP(SetColumnWidth, int32_t, double) MOCK_STEP(SetColumnWidths, int32_t, int32_t, double)
    MOCK_STEP(SetRowHeight, int32_t, double) MOCK_STEP(SetSheetOption, int32_t)
    MOCK_STEP(InsertPicture, const char16_t*, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t)
    MOCK_OUT(Duplicate, IStyle) MOCK_OUT(GetAlignment, IAlignment) MOCK_OUT(GetFont, IFont) MOCK_OUT(GetFill, IFill)
    MOCK_OUT(GetBorders, IBorders) MOCK_STEP(SetNumberFormat, const char16_t*) MOCK_STEP(SetStyleFlag, int32_t)
    MOCK_STEP(Apply)
    MOCK_STEP(SetHorizontal, int32_t) MOCK_STEP(SetVertical, int32_t) MOCK_STEP(SetWrap, int32_t)
    MOCK_STEP(SetRotation, int32_t)
    MOCK_STEP(SetBold, int32_t) MOCK_STEP(SetColour, int32_t) // font and fill
    MOCK_OUT(GetLeft, IBorderSide) MOCK_OUT(GetRight, IBorderSide) MOCK_OUT(GetTop, IBorderSide)
    MOCK_OUT(GetBottom, IBorderSide) MOCK_STEP(SetLine, int32_t)
    MOCK_OUT(GetStyle, IStyle) MOCK_STEP(ApplyStyle)
    MOCK_STEP(SetFirstRow, int32_t) MOCK_STEP(SetFirstColumn, int32_t) MOCK_STEP(SetColumns, int32_t)
    MOCK_STEP(SetRows, int32_t) MOCK_STEP(SetText, const char16_t*) MOCK_STEP(SetFormula, const char16_t*)
    MOCK_STEP(SetFirst, int32_t) MOCK_STEP(SetSecond, int32_t) MOCK_STEP(SetThird, int32_t) // switches and settings
        // clang-format on

        private :
        // A cell write keeps what the cell shows, unless the call fails.
        Status Step(const char* name, int row = 0, int column = 0, std::string shown = {})
    {
        const Status status = m_book.Enter(name, false);
        if (!Failed(status) && row > 0)
            m_book.cells[{row, column}] = std::move(shown);
        return status;
    }

    // Hands out a new object, unless this call is chosen to fail or to
    // hand out nothing.
    template <class Out>
    Status HandOut(const char* name, Out** out)
    {
        *out = nullptr;
        if (const Status status = m_book.Enter(name, true); Failed(status))
            return status;
        if (static_cast<int>(m_book.calls.size()) != m_book.nullAtCall)
            *out = m_book.Make(1);
        return S_OK;
    }

    Book& m_book;
};

inline Object* Book::Make(int references)
{
    return m_objects.emplace_back(std::make_unique<Object>(*this, references)).get();
}

inline int Book::LiveReferences() const
{
    int live = 0;
    for (const auto& object : m_objects)
        live += object->refs;
    return live;
}

struct RecordingSink : k4::MessageSink {
    void ShowMessage(std::string_view text) override { messages.emplace_back(text); }
    std::vector<std::string> messages;
};

struct Run {
    Book book;
    RecordingSink sink;
    bool result = false;
};

// Runs the report writer on `table` (the whole of it, unless a length is
// given) against a fresh book that `prepare` may set up. The "Start" export
// hands out an engine without a reference.
inline std::unique_ptr<Run> RunWriter(std::span<const std::uint8_t> table,
                                      const std::function<void(Book&)>& prepare = {},
                                      std::string_view outputPath = "/reports/unit 7.xls", int tableLength = -1)
{
    static Book* current = nullptr;
    auto run = std::make_unique<Run>();
    if (prepare)
        prepare(run->book);
    current = &run->book;
    const auto start = []() -> IEngine* { return current->startReturnsNull ? nullptr : current->Make(0); };
    const auto length = static_cast<std::uint16_t>(tableLength < 0 ? table.size() : tableLength);
    run->result =
        k4::WriteXlsReportWithComponent(start, length, table, std::string(outputPath), "/opt/k4/TQLogo.png", run->sink);
    return run;
}

} // namespace mockxls
