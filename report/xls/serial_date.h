#pragma once
// Dates as spreadsheets count them (1900 date system).

#include <ctime>

namespace k4xls {

// Days since 30 December 1899, the fraction being the time of day.
double SerialDateOf(int year, int month, int day, int hour, int minute, int second);

// The local date and time now.
double CurrentSerialDate();

} // namespace k4xls
