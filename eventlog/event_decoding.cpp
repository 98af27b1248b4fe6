#include "eventlog/event_decoding.h"

#include "eventlog/event_codes.h"

namespace k4 {

RunTime DecodeRunTime(std::uint32_t stamp)
{
    constexpr std::uint32_t kPerDay = 14400;
    constexpr std::uint32_t kPerHour = 600;
    return RunTime{stamp / kPerDay, (stamp % kPerDay) / kPerHour, (stamp % kPerHour) / 10, stamp % 10};
}

int VoltsFromRaw(std::uint16_t raw)
{
    return (raw + 8) / 16;
}

int WholeAmpsFromRaw(std::uint16_t raw)
{
    return (raw + 8) / 16;
}

double AmpsFromRaw(std::uint16_t raw, std::uint8_t scaleFlag)
{
    if (scaleFlag == kWholeAmpsScale)
        return WholeAmpsFromRaw(raw);
    return raw / 160.0;
}

std::optional<std::string_view> RatedVoltageText(std::uint8_t index)
{
    static constexpr std::string_view kRated[] = {"200", "220", "230", "380", "400", "415", "460", "500", "575"};
    if (index < std::size(kRated))
        return kRated[index];
    return std::nullopt;
}

std::string FlagBitsText(std::uint8_t flags)
{
    std::string text = "Bits ";
    for (int bit = 6; bit >= 0; --bit)
        text += (flags >> bit) & 1 ? '1' : '0';
    return text;
}

std::optional<std::string_view> ParameterName(std::uint8_t eventCode, std::uint8_t parameterNumber)
{
    static constexpr std::string_view kMotorNames[] = {
        "Motor Rated Frequency",   "Motor Rated Voltage",     "Motor Amps - hundreds digit",
        "Motor Amps - tens digit", "Motor Amps - ones digit", "Motor Amps - tenths digit",
    };
    static constexpr std::uint8_t kFirstProtectionParameter = 7;
    static constexpr std::string_view kProtectionNames[] = {
        "Trip Enable Flags",
        "Auto Restart Flags",
        "Number of Underloaded Restarts",
        "Number of Other Restarts",
        "Time Between Starts",
        "Power-Up Time Delay",
        "Underload Trip Point",
        "Timeout for Underload Trip",
        "Overload Trip Point",
        "Timeout for Overload Trip",
        "Unbalance Trip Point",
        "Timeout for Unbalance Trip",
        "Timeout for Overheat Trip",
        "Overvoltage Trip Point",
        "Timeout for Overvoltage Trip",
        "Undervoltage Trip Point",
        "Timeout for Undervoltage Trip",
        "Number of False Starts",
        "Timeout for False Starts",
    };
    if (eventCode == EVT_MOTOR_CHANGE && parameterNumber < std::size(kMotorNames))
        return kMotorNames[parameterNumber];
    if (eventCode == EVT_PROTECTION_CHANGE && parameterNumber >= kFirstProtectionParameter &&
        parameterNumber - kFirstProtectionParameter < static_cast<int>(std::size(kProtectionNames)))
        return kProtectionNames[parameterNumber - kFirstProtectionParameter];
    return std::nullopt;
}

ConditionTexts ReportConditionTexts(std::uint8_t eventCode)
{
    static constexpr std::string_view kTripFaults[] = {
        "Underload", "Overload", "Unbalance", "Overheat", "Overvolt", "Undervolt", "False Start",
    };
    switch (eventCode) {
    case EVT_POWER_UP_DELAY: return {"Power-up Delay", {}, true, false};
    case EVT_MOTOR_AMPS_NOT_SET: return {"Motor Amps", "Not Set", true, true};
    case EVT_SWITCH_OFF: return {"Switch Off", {}, true, false};
    case EVT_SWITCH_ON: return {"Switch On", {}, true, false};
    case EVT_TIMED_RESET: return {"Timed Reset", {}, true, false};
    case EVT_MANUAL_RESET: return {"Manual Reset", {}, true, false};
    case EVT_DEFAULTS_RESTORED: return {"Defaults Restored", {}, true, false};
    case EVT_TOTAL_RUN_TIME: return {"Total Run Time", {}, true, false};
    default: break;
    }
    if (eventCode >= EVT_TRIP_UNDERLOAD && eventCode <= EVT_TRIP_FALSE_START)
        return {"Tripped", kTripFaults[eventCode - EVT_TRIP_UNDERLOAD], true, true};
    return {" ", " ", true, true};
}

std::string_view CsvConditionPiece(std::uint8_t eventCode)
{
    switch (eventCode) {
    case EVT_POWER_UP_DELAY: return "Power-up Delay,,,";
    case EVT_TRIP_UNDERLOAD: return "Tripped,Underload,,";
    case EVT_TRIP_OVERLOAD: return "Tripped,Overload,,";
    case EVT_TRIP_UNBALANCE: return "Tripped,Unbalance,,";
    case EVT_TRIP_OVERHEAT: return "Tripped,Overheat,,";
    case EVT_TRIP_OVERVOLT: return "Tripped,Overvolt,,";
    case EVT_TRIP_UNDERVOLT: return "Tripped,Undervolt,,";
    case EVT_TRIP_FALSE_START: return "Tripped,FalseStart,,";
    case EVT_SWITCH_OFF: return "Switch Off,,,";
    case EVT_SWITCH_ON: return "Switch On,,,";
    case EVT_TIMED_RESET: return "Timed Reset,,,";
    case EVT_MANUAL_RESET: return "Manual Reset,,,";
    case EVT_PROTECTION_CHANGE: return "Protection Change ";
    case EVT_MOTOR_CHANGE: return "Motor Change ";
    case EVT_DEFAULTS_RESTORED: return "Defaults Restored,,,,,,,,,,";
    case EVT_TOTAL_RUN_TIME: return "Total Run Time,,,,,,,,,,";
    default: return ",,,";
    }
}

} // namespace k4
