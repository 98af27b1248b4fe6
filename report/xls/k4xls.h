#pragma once
// The spreadsheet component's interface, shared by the component
// (libk4xls.so / k4xls.dll) and the report writer that loads it at run time.
//
// COM-like conventions: every operation returns a status (negative means
// failure) and hands results back through a last out-parameter. Objects are
// reference counted; an object handed out through an out-parameter carries
// one reference that the receiver must Release(). Text is UTF-16 and
// zero-terminated. Rows and columns are 1-based.

#include <cstdint>

namespace k4xls {

using Status = std::int32_t;

inline constexpr Status S_OK = 0;
inline constexpr Status E_NOTIMPL = static_cast<Status>(0x80004001u);
inline constexpr Status E_POINTER = static_cast<Status>(0x80004003u);
inline constexpr Status E_FAIL = static_cast<Status>(0x80004005u);
inline constexpr Status E_OUTOFMEMORY = static_cast<Status>(0x8007000Eu);
inline constexpr Status E_INVALIDARG = static_cast<Status>(0x80070057u);
// The target file could not be created or written.
inline constexpr Status E_WRITEFAILED = static_cast<Status>(0x8003001Du);
// A formula text that the compiler does not accept.
inline constexpr Status E_BADFORMULA = static_cast<Status>(0x800A03ECu);

inline bool Failed(Status s)
{
    return s < 0;
}

struct Guid {
    std::uint32_t data1;
    std::uint16_t data2;
    std::uint16_t data3;
    std::uint8_t data4[8];
};

class IRefCounted {
public:
    virtual std::uint32_t AddRef() = 0;
    virtual std::uint32_t Release() = 0;

protected:
    ~IRefCounted() = default;
};

class IStyle;
class IWorksheet;
class IRichText;

class IBorderSide : public IRefCounted {
public:
    static constexpr Guid IID{0xbd5af0eb, 0x2956, 0x4ba5, {0x92, 0xf7, 0x50, 0x28, 0x88, 0xe2, 0x4c, 0x00}};
    virtual Status SetLine(std::int32_t line) = 0; // 0 none, 1 thin
};

class IBorders : public IRefCounted {
public:
    static constexpr Guid IID{0xe8fd0d89, 0xd2ce, 0x4c67, {0xa3, 0x49, 0x52, 0x96, 0x6d, 0x12, 0xfa, 0xe1}};
    virtual Status GetLeft(IBorderSide** out) = 0;
    virtual Status GetRight(IBorderSide** out) = 0;
    virtual Status GetTop(IBorderSide** out) = 0;
    virtual Status GetBottom(IBorderSide** out) = 0;
};

class IAlignment : public IRefCounted {
public:
    static constexpr Guid IID{0xb0d3786b, 0xb121, 0x416f, {0xb0, 0x45, 0xf7, 0xba, 0xed, 0x8d, 0xfb, 0x0c}};
    virtual Status SetHorizontal(std::int32_t value) = 0; // 1 left, 2 centre, 3 right
    virtual Status SetVertical(std::int32_t value) = 0;   // 2 centre
    virtual Status SetWrap(std::int32_t on) = 0;
    virtual Status SetRotation(std::int32_t degrees) = 0; // 0, or -90 (reads top to bottom)
};

class IFont : public IRefCounted {
public:
    static constexpr Guid IID{0x0bf52767, 0x03bd, 0x48cb, {0xa9, 0x48, 0xdd, 0x9c, 0x63, 0x13, 0x7d, 0x68}};
    virtual Status SetBold(std::int32_t on) = 0;
    virtual Status SetColour(std::int32_t rgb) = 0; // 0xRRGGBB
};

class IFill : public IRefCounted {
public:
    static constexpr Guid IID{0x80377292, 0xba2e, 0x4fd9, {0x9f, 0x0b, 0x68, 0xef, 0x77, 0x26, 0x5f, 0x38}};
    virtual Status SetColour(std::int32_t rgb) = 0; // 0xRRGGBB, solid
};

class IStyle : public IRefCounted {
public:
    static constexpr Guid IID{0x6a3e0242, 0x0a6c, 0x40ca, {0x91, 0x36, 0x35, 0x69, 0x55, 0x97, 0x63, 0x76}};
    virtual Status SetNumberFormat(const char16_t* format) = 0;
    virtual Status GetAlignment(IAlignment** out) = 0;
    virtual Status GetFont(IFont** out) = 0;
    virtual Status GetBorders(IBorders** out) = 0;
    virtual Status GetFill(IFill** out) = 0;
    // Later cell writes of the sheet take this style.
    virtual Status Apply() = 0;
    // A new style carrying all of this one's settings.
    virtual Status Duplicate(IStyle** out) = 0;
    virtual Status SetStyleFlag(std::int32_t flag) = 0;
};

class IRange : public IRefCounted {
public:
    static constexpr Guid IID{0x7af26c86, 0xecae, 0x42d9, {0xa5, 0x28, 0x18, 0xea, 0xc6, 0xaf, 0x38, 0x2d}};
    virtual Status GetStyle(IStyle** out) = 0;
    // Gives every cell of the range the range's style.
    virtual Status ApplyStyle() = 0;
};

class IRichText : public IRefCounted {
public:
    static constexpr Guid IID{0x0869c844, 0xe0c2, 0x4802, {0xa6, 0xda, 0x49, 0xeb, 0xd6, 0x47, 0x86, 0x8d}};
    // Appends a run whose font is the font of `fontOf`.
    virtual Status AppendRun(const char16_t* text, IStyle* fontOf) = 0;
};

class IMergedArea : public IRefCounted {
public:
    static constexpr Guid IID{0x593ba956, 0x6dcc, 0x4a56, {0xad, 0xea, 0x22, 0x3a, 0x2c, 0x51, 0x8f, 0x93}};
    virtual Status SetFirstRow(std::int32_t row) = 0;
    virtual Status SetFirstColumn(std::int32_t column) = 0;
    virtual Status SetColumns(std::int32_t count) = 0;
    virtual Status SetRows(std::int32_t count) = 0;
    // Each of these places the area with the style applied last: content
    // in its first cell, the style on every cell of the area.
    virtual Status SetText(const char16_t* text) = 0;
    virtual Status SetFormula(const char16_t* formula) = 0;
    virtual Status SetRichText(IRichText* text) = 0;
};

class ISheetSwitches : public IRefCounted {
public:
    static constexpr Guid IID{0x8de8a99d, 0xc689, 0x401d, {0x89, 0x99, 0x26, 0x04, 0xc3, 0xfe, 0x6c, 0x3a}};
    virtual Status SetFirst(std::int32_t value) = 0;  // 1: landscape
    virtual Status SetSecond(std::int32_t value) = 0; // 1: fit to one page wide
    virtual Status SetThird(std::int32_t value) = 0;  // 1: centred horizontally
};

class ISheetSettings : public IRefCounted {
public:
    static constexpr Guid IID{0x4d41f1bc, 0xcbd1, 0x48b0, {0xbe, 0x5a, 0x17, 0x0a, 0xcf, 0x15, 0xa7, 0xce}};
    virtual Status SetFirst(std::int32_t row) = 0;     // rows above this one stay frozen
    virtual Status SetSecond(std::int32_t column) = 0; // columns before this one stay frozen
};

class IWorksheet : public IRefCounted {
public:
    static constexpr Guid IID{0xb150d9da, 0x1f10, 0x4850, {0x9a, 0xbb, 0x76, 0xd9, 0x95, 0x47, 0x96, 0xee}};
    virtual Status SetText(std::int32_t row, std::int32_t column, const char16_t* text) = 0;
    virtual Status SetInteger(std::int32_t row, std::int32_t column, std::int32_t value) = 0;
    virtual Status SetNumber(std::int32_t row, std::int32_t column, double value) = 0;
    virtual Status SetFormula(std::int32_t row, std::int32_t column, const char16_t* formula) = 0;
    virtual Status NewStyle(IStyle** out) = 0;
    virtual Status NewRichText(IRichText** out) = 0;
    virtual Status NewMergedArea(IMergedArea** out) = 0;
    virtual Status SetColumnWidth(std::int32_t column, double width) = 0;
    virtual Status SetRowHeight(std::int32_t row, double height) = 0;
    virtual Status SetColumnWidths(std::int32_t firstColumn, std::int32_t lastColumn, double width) = 0;
    virtual Status GetRange(const char16_t* r1c1, IRange** out) = 0;
    virtual Status SetSheetOption(std::int32_t option) = 0; // zoom in per cent
    virtual Status InsertPicture(const char16_t* path, std::int32_t topRow, std::int32_t leftColumn,
                                 std::int32_t bottomRow, std::int32_t rightColumn, std::int32_t offset1,
                                 std::int32_t offset2, std::int32_t offset3, std::int32_t offset4) = 0;
    virtual Status GetSheetSwitches(ISheetSwitches** out) = 0;
    virtual Status GetSheetSettings(ISheetSettings** out) = 0;
};

class IWorkbook : public IRefCounted {
public:
    static constexpr Guid IID{0x12b7b224, 0xc026, 0x4eb6, {0xba, 0x94, 0xc4, 0x9b, 0x91, 0x6f, 0x77, 0x40}};
    virtual Status AddWorksheet(const char16_t* name, IWorksheet** out) = 0;
    // Writes the workbook to its file (complete or not at all).
    virtual Status Close() = 0;
};

class IEngine : public IRefCounted {
public:
    static constexpr Guid IID{0xd97500cf, 0x37cc, 0x48fd, {0x87, 0x72, 0x0e, 0xbc, 0x8f, 0x8a, 0x93, 0x76}};
    virtual Status NewWorkbook(const char16_t* path, IWorkbook** out) = 0;
};

} // namespace k4xls

// The component's one export. Returns a new engine holding no reference:
// the caller adds its own with AddRef() and drops it with Release().
extern "C" {
using K4XlsStartFn = k4xls::IEngine* (*)();
}

#if defined(_WIN32)
#define K4XLS_EXPORT extern "C" __declspec(dllexport)
#else
#define K4XLS_EXPORT extern "C" __attribute__((visibility("default")))
#endif
