#include "platform/datetime.h"

namespace dr {

bool isLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int daysInMonth(int y, int m) {
    static const int d[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (m < 1 || m > 12) return 0;
    return (m == 2 && isLeapYear(y)) ? 29 : d[m - 1];
}

bool DateTime::valid() const {
    return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
           day <= daysInMonth(year, month) && hour >= 0 && hour < 24 && minute >= 0 &&
           minute < 60 && second >= 0 && second < 60;
}

// Howard Hinnant's days_from_civil / civil_from_days.
int64_t DateTime::dayNumber() const {
    int64_t y = year - (month <= 2);
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t mp = (month + 9) % 12;
    const int64_t doy = (153 * mp + 2) / 5 + day - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

DateTime DateTime::fromDayNumber(int64_t z) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t y = yoe + era * 400;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    return DateTime{static_cast<int>(y + (m <= 2)), m, d, 0, 0, 0};
}

int64_t DateTime::civilSeconds() const {
    return dayNumber() * 86400 + hour * 3600 + minute * 60 + second;
}

DateTime DateTime::fromCivilSeconds(int64_t s) {
    int64_t days = s / 86400, rem = s % 86400;
    if (rem < 0) { rem += 86400; --days; }
    DateTime r = fromDayNumber(days);
    r.hour = static_cast<int>(rem / 3600);
    r.minute = static_cast<int>(rem % 3600 / 60);
    r.second = static_cast<int>(rem % 60);
    return r;
}

int DateTime::dayOfWeek() const {
    const int64_t z = dayNumber();
    int64_t w = (z + 4) % 7; // 1970-01-01 was a Thursday
    return static_cast<int>(w < 0 ? w + 7 : w);
}

DateTime DateTime::addDays(int64_t n) const {
    DateTime r = fromDayNumber(dayNumber() + n);
    r.hour = hour; r.minute = minute; r.second = second;
    return r;
}

DateTime DateTime::addSeconds(int64_t n) const { return fromCivilSeconds(civilSeconds() + n); }

DateTime DateTime::fromTimeT(std::time_t t, bool local) {
    std::tm tm{};
    if (local) localtime_r(&t, &tm); else gmtime_r(&t, &tm);
    return DateTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

std::time_t DateTime::toTimeT(bool local) const {
    if (!local) return static_cast<std::time_t>(civilSeconds());
    std::tm tm{};
    tm.tm_year = year - 1900; tm.tm_mon = month - 1; tm.tm_mday = day;
    tm.tm_hour = hour; tm.tm_min = minute; tm.tm_sec = second; tm.tm_isdst = -1;
    return mktime(&tm);
}

} // namespace dr
