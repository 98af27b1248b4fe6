#pragma once
// Where everything sits on the report sheet (1-based rows and columns):
// the header block, the heading rows, the event columns and the Max Amps
// cell that the row formulas divide by.
namespace k4::layout {

// Header block.
inline constexpr int kLogoRow = 1;
inline constexpr int kLogoRows = 4;
inline constexpr int kLogoColumns = 7;
inline constexpr int kDateRow = 7;
inline constexpr int kMaxAmpsRow = 7;
inline constexpr int kMaxAmpsLabelColumn = 8;
inline constexpr int kMaxAmpsColumn = 9;
inline constexpr int kUnitIdRow = 8;
inline constexpr int kCompanyRow = 9;
inline constexpr int kUpperHeadingRow = 11;
inline constexpr int kLowerHeadingRow = 12;
inline constexpr int kFirstEventRow = 13; // record index 0; panes are frozen above it

// Event columns.
inline constexpr int kIndexColumn = 1;
inline constexpr int kAccumulatedColumn = 2; // day, hour, minute
inline constexpr int kElapsedColumn = 5;     // day, hour, minute
inline constexpr int kConditionColumn = 8;
inline constexpr int kFaultColumn = 9;
inline constexpr int kFirstVoltageColumn = 10; // L1, L2, L3
inline constexpr int kFirstCurrentColumn = 13; // L1, L2, L3
inline constexpr int kLastCurrentColumn = 15;
inline constexpr int kPercentOfMaxAmpsColumn = 16;
inline constexpr int kCurrentUnbalanceColumn = 17;
inline constexpr int kParameterValueColumn = 18;
inline constexpr int kFirstFlagColumn = 19; // seven protection flags
inline constexpr int kLastColumn = 25;

static_assert(kLastColumn == kFirstFlagColumn + 6);
static_assert(kLastCurrentColumn == kFirstCurrentColumn + 2);

} // namespace k4::layout
