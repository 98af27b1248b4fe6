#pragma once
// A spreadsheet engine for tests without the real component. It keeps the
// cells the writer sets, counts every reference, and can fail any one call
// or hand out a null interface from it.
#include <charconv>
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
    int overReleases = 0;
    int closeCalls = 0;
    bool closed = false;
    std::u16string workbookPath;
    // Each cell as its text, "int 12", "num 1.25" or "formula".
    std::map<std::pair<int, int>, std::string> cells;

    Status Enter(const char* name, bool handingOut)
    {
        calls.emplace_back(name);
        handsOut.push_back(handingOut);
        return static_cast<int>(calls.size()) == failAtCall ? E_FAIL : S_OK;
    }
    bool NullNow() const { return static_cast<int>(calls.size()) == nullAtCall; }
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

// One object plays every interface: whatever the writer fetches is a new
// Object, seen only through the interface asked for. Each method call is
// one step of the run.
class Object final : public IEngine,
                     public IWorkbook,
                     public IWorksheet,
                     public IStyle,
                     public IAlignment,
                     public IFont,
                     public IFill,
                     public IBorders,
                     public IBorderSide,
                     public IRange,
                     public IRichText,
                     public IMergedArea,
                     public ISheetSwitches,
                     public ISheetSettings {
public:
    Object(Book& book, int references) : refs(references), m_book(book) {}
    int refs;

    std::uint32_t AddRef() override { return static_cast<std::uint32_t>(++refs); }
    std::uint32_t Release() override
    {
        if (refs <= 0) {
            ++m_book.overReleases;
            return 0;
        }
        return static_cast<std::uint32_t>(--refs);
    }

    Status NewWorkbook(const char16_t* path, IWorkbook** out) override
    {
        m_book.workbookPath = path;
        return HandOut(__func__, out);
    }
    Status AddWorksheet(const char16_t*, IWorksheet** out) override { return HandOut(__func__, out); }
    Status Close() override
    {
        ++m_book.closeCalls;
        const Status status = Step(__func__);
        m_book.closed = !Failed(status);
        return status;
    }

    // Cells, and the objects the worksheet makes.
    Status SetText(int32_t row, int32_t column, const char16_t* text) override
    {
        const std::u16string_view wide(text); // ASCII in these tests
        return Write(__func__, row, column, std::string(wide.begin(), wide.end()));
    }
    Status SetInteger(int32_t row, int32_t column, int32_t value) override
    {
        return Write(__func__, row, column, "int " + std::to_string(value));
    }
    Status SetNumber(int32_t row, int32_t column, double value) override
    {
        char text[32];
        char* end = std::to_chars(text, text + sizeof text, value).ptr; // shortest: 1.25, 0.1
        return Write(__func__, row, column, "num " + std::string(text, end));
    }
    Status SetFormula(int32_t row, int32_t column, const char16_t*) override
    {
        return Write(__func__, row, column, "formula");
    }
    Status NewStyle(IStyle** out) override { return HandOut(__func__, out); }
    Status NewRichText(IRichText** out) override { return HandOut(__func__, out); }
    Status NewMergedArea(IMergedArea** out) override { return HandOut(__func__, out); }
    Status GetRange(const char16_t*, IRange** out) override { return HandOut(__func__, out); }
    Status GetSheetSwitches(ISheetSwitches** out) override { return HandOut(__func__, out); }
    Status GetSheetSettings(ISheetSettings** out) override { return HandOut(__func__, out); }
    Status SetColumnWidth(int32_t, double) override { return Step(__func__); }
    Status SetColumnWidths(int32_t, int32_t, double) override { return Step(__func__); }
    Status SetRowHeight(int32_t, double) override { return Step(__func__); }
    Status SetSheetOption(int32_t) override { return Step(__func__); }
    Status InsertPicture(const char16_t*, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t,
                         int32_t) override
    {
        return Step(__func__);
    }

    // Styles and their parts (SetColour serves both font and fill).
    Status Duplicate(IStyle** out) override { return HandOut(__func__, out); }
    Status GetAlignment(IAlignment** out) override { return HandOut(__func__, out); }
    Status GetFont(IFont** out) override { return HandOut(__func__, out); }
    Status GetBorders(IBorders** out) override { return HandOut(__func__, out); }
    Status GetFill(IFill** out) override { return HandOut(__func__, out); }
    Status GetLeft(IBorderSide** out) override { return HandOut(__func__, out); }
    Status GetRight(IBorderSide** out) override { return HandOut(__func__, out); }
    Status GetTop(IBorderSide** out) override { return HandOut(__func__, out); }
    Status GetBottom(IBorderSide** out) override { return HandOut(__func__, out); }
    Status SetNumberFormat(const char16_t*) override { return Step(__func__); }
    Status SetStyleFlag(int32_t) override { return Step(__func__); }
    Status Apply() override { return Step(__func__); }
    Status SetHorizontal(int32_t) override { return Step(__func__); }
    Status SetVertical(int32_t) override { return Step(__func__); }
    Status SetWrap(int32_t) override { return Step(__func__); }
    Status SetRotation(int32_t) override { return Step(__func__); }
    Status SetBold(int32_t) override { return Step(__func__); }
    Status SetColour(int32_t) override { return Step(__func__); }
    Status SetLine(int32_t) override { return Step(__func__); }

    // Ranges, rich texts, merged areas, sheet switches and settings.
    Status GetStyle(IStyle** out) override { return HandOut(__func__, out); }
    Status ApplyStyle() override { return Step(__func__); }
    Status AppendRun(const char16_t*, IStyle* fontOf) override { return fontOf ? Step(__func__) : E_POINTER; }
    Status SetFirstRow(int32_t) override { return Step(__func__); }
    Status SetFirstColumn(int32_t) override { return Step(__func__); }
    Status SetColumns(int32_t) override { return Step(__func__); }
    Status SetRows(int32_t) override { return Step(__func__); }
    Status SetText(const char16_t*) override { return Step(__func__); }
    Status SetFormula(const char16_t*) override { return Step(__func__); }
    Status SetRichText(IRichText* text) override { return text ? Step(__func__) : E_POINTER; }
    Status SetFirst(int32_t) override { return Step(__func__); }
    Status SetSecond(int32_t) override { return Step(__func__); }
    Status SetThird(int32_t) override { return Step(__func__); }

private:
    Status Step(const char* name) { return m_book.Enter(name, false); }

    // Hands out a new object, unless this call is chosen to fail or to
    // hand out nothing.
    template <class Out>
    Status HandOut(const char* name, Out** out)
    {
        *out = nullptr;
        if (const Status status = m_book.Enter(name, true); Failed(status))
            return status;
        if (!m_book.NullNow())
            *out = m_book.Make(1);
        return S_OK;
    }

    Status Write(const char* name, int row, int column, std::string shown)
    {
        const Status status = Step(name);
        if (!Failed(status))
            m_book.cells[{row, column}] = std::move(shown);
        return status;
    }

    Book& m_book;
};

inline Object* Book::Make(int references)
{
    m_objects.push_back(std::make_unique<Object>(*this, references));
    return m_objects.back().get();
}

inline int Book::LiveReferences() const
{
    int live = 0;
    for (const auto& object : m_objects)
        live += object->refs;
    return live;
}

// The book that the "Start" export works on; the engine comes without a reference.
inline Book* g_currentBook = nullptr;
inline IEngine* MockStart()
{
    return g_currentBook->startReturnsNull ? nullptr : g_currentBook->Make(0);
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
// given) against a fresh book that `prepare` may set up.
inline std::unique_ptr<Run> RunWriter(std::span<const std::uint8_t> table,
                                      const std::function<void(Book&)>& prepare = {},
                                      std::string_view outputPath = "/reports/unit 7.xls", int tableLength = -1)
{
    auto run = std::make_unique<Run>();
    if (prepare)
        prepare(run->book);
    g_currentBook = &run->book;
    const auto length = static_cast<std::uint16_t>(tableLength < 0 ? table.size() : tableLength);
    run->result = k4::WriteXlsReportWithComponent(&MockStart, length, table, std::string(outputPath),
                                                  "/opt/k4/TQLogo.png", run->sink);
    g_currentBook = nullptr;
    return run;
}

} // namespace mockxls
