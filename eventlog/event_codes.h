#pragma once
#include <cstdint>

namespace k4 {

// Event codes of the protector's log (byte 5 of a record).
enum : std::uint8_t {
    EVT_POWER_UP_DELAY = 0x16,
    EVT_TRIP_UNDERLOAD = 0x19,
    EVT_TRIP_OVERLOAD = 0x1A,
    EVT_TRIP_UNBALANCE = 0x1B,
    EVT_TRIP_OVERHEAT = 0x1C,
    EVT_TRIP_OVERVOLT = 0x1D,
    EVT_TRIP_UNDERVOLT = 0x1E,
    EVT_TRIP_FALSE_START = 0x1F,
    EVT_MOTOR_AMPS_NOT_SET = 0x20,
    EVT_SWITCH_OFF = 0x26,
    EVT_SWITCH_ON = 0x27,
    EVT_TIMED_RESET = 0x28,
    EVT_MANUAL_RESET = 0x29,
    EVT_PROTECTION_CHANGE = 0x2A,
    EVT_MOTOR_CHANGE = 0x2B,
    EVT_DEFAULTS_RESTORED = 0x2C,
    EVT_TOTAL_RUN_TIME = 0x2D,
    EVT_EMPTY = 0xFF,
};

// Codes below this carry the voltage and current groups.
inline constexpr std::uint8_t kFirstNonMeasurementCode = EVT_PROTECTION_CHANGE;

inline bool IsMeasurementCode(std::uint8_t code)
{
    return code < kFirstNonMeasurementCode;
}
inline bool IsParameterChangeCode(std::uint8_t code)
{
    return code == EVT_PROTECTION_CHANGE || code == EVT_MOTOR_CHANGE;
}

} // namespace k4
