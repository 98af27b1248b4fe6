#pragma once
// BIFF8 formula token ("ptg") codes and built-in function numbers.

#include <cstdint>

namespace k4xls::ptg {

inline constexpr std::uint8_t kAdd = 0x03;
inline constexpr std::uint8_t kSub = 0x04;
inline constexpr std::uint8_t kMul = 0x05;
inline constexpr std::uint8_t kDiv = 0x06;
inline constexpr std::uint8_t kLt = 0x09;
inline constexpr std::uint8_t kLe = 0x0A;
inline constexpr std::uint8_t kEq = 0x0B;
inline constexpr std::uint8_t kGe = 0x0C;
inline constexpr std::uint8_t kGt = 0x0D;
inline constexpr std::uint8_t kNe = 0x0E;
inline constexpr std::uint8_t kUnaryPlus = 0x12;
inline constexpr std::uint8_t kUnaryMinus = 0x13;
inline constexpr std::uint8_t kParen = 0x15;
inline constexpr std::uint8_t kAttr = 0x19;
inline constexpr std::uint8_t kInt = 0x1E;
inline constexpr std::uint8_t kNum = 0x1F;

// Operand tokens come in three classes: reference (0x20 range), value
// (0x40) and array (0x60); the low five bits name the token.
inline constexpr std::uint8_t kFunc = 0x01;
inline constexpr std::uint8_t kFuncVar = 0x02;
inline constexpr std::uint8_t kRef = 0x04;
inline constexpr std::uint8_t kArea = 0x05;
inline constexpr std::uint8_t kClassReference = 0x20;
inline constexpr std::uint8_t kClassValue = 0x40;

inline constexpr std::uint8_t kAttrVolatile = 0x01;

} // namespace k4xls::ptg

namespace k4xls::fn {

inline constexpr std::uint16_t kIf = 1;
inline constexpr std::uint16_t kAverage = 5;
inline constexpr std::uint16_t kMax = 7;
inline constexpr std::uint16_t kAbs = 24;
inline constexpr std::uint16_t kNow = 74;

} // namespace k4xls::fn
