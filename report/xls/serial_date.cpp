#include "report/xls/serial_date.h"

#include <chrono>

namespace k4xls {

double SerialDateOf(int year, int month, int day, int hour, int minute, int second)
{
    using namespace std::chrono;
    const sys_days date{std::chrono::year{year} / month / day};
    const sys_days epoch{std::chrono::year{1899} / December / 30};
    const double days = static_cast<double>((date - epoch).count());
    return days + (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
}

double CurrentSerialDate()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#if defined(_WIN32)
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return SerialDateOf(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                        local.tm_sec);
}

} // namespace k4xls
