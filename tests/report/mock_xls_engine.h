#pragma once
// A spreadsheet engine that records what the report writer asks of it, for
// tests without the real component. It counts every reference, can fail
// any single call, and can hand out a null interface instead of an object.
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "report/xls/k4xls.h"

namespace mockxls {

struct StyleSettings {
    std::optional<int> fontColour;
    bool bold = false;
    std::optional<int> fill;
    std::optional<int> horizontal;
    std::optional<int> vertical;
    bool wrap = false;
    std::optional<int> rotation;
    std::optional<int> borders[4]; // left, right, top, bottom
    std::optional<std::string> numberFormat;
    std::optional<int> styleFlag;

    bool operator==(const StyleSettings&) const = default;
};

enum class CellKind { Text, Integer, Number, Formula };

struct Cell {
    CellKind kind = CellKind::Text;
    std::string text;   // text or formula
    double number = 0;  // integer or number
    int style = -1;     // id of the style applied when the cell was written
};

struct MergedArea {
    int row = 0, column = 0, columns = 0, rows = 0;
    std::string content; // text, formula, or the runs of a rich text joined
    int style = -1;
};

struct RichRun {
    std::string text;
    int fontStyle = -1;
};

class MockBook;

// What the book keeps of every object it made.
class Tracked {
public:
    virtual ~Tracked() = default;
    int References() const { return m_refs; }

protected:
    int m_refs = 1; // handed out with one reference
};

// Base of every mock object: counts references.
template <class Interface>
class Counted : public Interface, public Tracked {
public:
    explicit Counted(MockBook& book) : m_book(book) {}
    std::uint32_t AddRef() override { return static_cast<std::uint32_t>(++m_refs); }
    std::uint32_t Release() override;

protected:
    MockBook& m_book;
};

class MockBook {
public:
    MockBook();
    ~MockBook();

    // --- failure injection ------------------------------------------------
    int failAtCall = 0;   // this call (1-based) returns E_FAIL
    int nullAtCall = 0;   // this call succeeds but hands out no interface
    bool startReturnsNull = false;

    // --- what the writer did ----------------------------------------------
    int calls = 0;
    std::vector<std::string> callNames; // one per call, in order
    std::vector<bool> callHandsOut;     // whether that call hands out an interface
    std::string workbookPath;
    std::string sheetName;
    int closeCalls = 0;
    bool closed = false;
    std::map<std::pair<int, int>, Cell> cells;
    std::vector<MergedArea> merges;
    std::vector<StyleSettings> styles; // by id, in the order made
    int appliedStyle = -1;
    std::map<int, double> columnWidths;
    std::map<int, double> rowHeights;
    std::vector<int> sheetOptions;
    std::vector<std::pair<std::string, int>> switchesAndSettings; // ("switch1", 1), ("setting1", 13)...
    std::string rangeText;
    int rangeStyle = -1;
    bool rangeStyleApplied = false;
    struct Picture {
        std::string path;
        int top = 0, left = 0, bottom = 0, right = 0;
    };
    std::vector<Picture> pictures;
    std::vector<RichRun> richRuns;
    int overReleases = 0;

    // Sum of the references that objects handed out still carry.
    int LiveReferences() const;

    const Cell* CellAt(int row, int column) const;
    int NewStyleId(const StyleSettings& settings);

    // The "Start" export's behaviour: an engine without a reference.
    k4xls::IEngine* Start();

    // Counts the call; the status it must return (E_FAIL when chosen).
    k4xls::Status Enter(const char* name, bool handsOut = false);
    bool NullNow() const { return calls == nullAtCall; }

    // Objects stay alive until the book goes, so that a use after the
    // last release is still caught by the counts rather than by a crash.
    template <class T, class... Args>
    T* Make(Args&&... args)
    {
        auto object = std::make_unique<T>(*this, std::forward<Args>(args)...);
        T* raw = object.get();
        m_objects.push_back(std::move(object));
        return raw;
    }

private:
    std::vector<std::unique_ptr<Tracked>> m_objects;
};

// Points MockStart at a book for the duration of a test.
void SetCurrentBook(MockBook* book);
extern "C" k4xls::IEngine* MockStart();

std::string Utf8(const char16_t* text);

template <class Interface>
std::uint32_t Counted<Interface>::Release()
{
    if (m_refs <= 0) {
        ++m_book.overReleases;
        return 0;
    }
    return static_cast<std::uint32_t>(--m_refs);
}

} // namespace mockxls
