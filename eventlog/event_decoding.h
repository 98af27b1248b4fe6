#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace k4 {

// Run-time stamps count tenths of a minute.
struct RunTime {
    std::uint32_t days = 0;
    std::uint32_t hours = 0;
    std::uint32_t minutes = 0;
    std::uint32_t tenths = 0;
};

RunTime DecodeRunTime(std::uint32_t stamp);

// Whole volts from sixteenths, halves going up.
int VoltsFromRaw(std::uint16_t raw);

// Scale flag 1: whole amperes from sixteenths, halves going up.
// Any other flag: raw / 160 amperes (the writers choose how to show it).
double AmpsFromRaw(std::uint16_t raw, std::uint8_t scaleFlag);
int WholeAmpsFromRaw(std::uint16_t raw);
inline constexpr std::uint8_t kWholeAmpsScale = 1;

// "200" .. "575" for indexes 0 to 8; nothing for 9 and above.
std::optional<std::string_view> RatedVoltageText(std::uint8_t index);

// "Bits " and bits 6 down to 0 as '1'/'0'; bit 7 is not shown.
std::string FlagBitsText(std::uint8_t flags);

// The setting's name for a Protection Change or Motor Change record, if it has one.
std::optional<std::string_view> ParameterName(std::uint8_t eventCode, std::uint8_t parameterNumber);

// Which rendering a parameter's new value gets (chosen by number alone).
inline constexpr std::uint8_t kParamRatedVoltage = 1;
inline constexpr std::uint8_t kParamTripEnableFlags = 7;
inline constexpr std::uint8_t kParamAutoRestartFlags = 8;
inline bool IsFlagParameter(std::uint8_t number)
{
    return number == kParamTripEnableFlags || number == kParamAutoRestartFlags;
}

// Names of the protection flag bits, bit 6 first (also the report's headings).
inline constexpr std::string_view kProtectionFlagNames[7] = {
    "Underload", "Overload", "Unbalance", "Overheat", "Overvoltage", "Undervoltage", "False Start",
};

// Condition and fault texts, as each writer spells them.
struct ConditionTexts {
    std::string_view condition;
    std::string_view fault;
    bool hasCondition = false; // false: the writer leaves the cell alone
    bool hasFault = false;
};

// The report's condition/fault columns for codes other than the two
// parameter-change codes (those show the parameter's name instead).
ConditionTexts ReportConditionTexts(std::uint8_t eventCode);

// The comma-delimited file's condition piece (its commas included).
std::string_view CsvConditionPiece(std::uint8_t eventCode);

} // namespace k4
