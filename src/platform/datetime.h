#pragma once
// A civil date and time (local time unless said otherwise), second resolution.
#include <cstdint>
#include <ctime>
#include <string>

namespace dr {

struct DateTime {
    int year = 0, month = 0, day = 0;     // month 1-12, day 1-31
    int hour = 0, minute = 0, second = 0; // 0-23, 0-59, 0-59

    bool valid() const;                   // a real calendar date and time
    bool isNull() const { return year == 0; }

    // Days since 1970-01-01 of the date part (proleptic Gregorian).
    int64_t dayNumber() const;
    static DateTime fromDayNumber(int64_t days);
    // Seconds since 1970-01-01 00:00:00 of this civil time, taken as UTC.
    int64_t civilSeconds() const;
    static DateTime fromCivilSeconds(int64_t s);

    int dayOfWeek() const;                // 0 = Sunday
    DateTime addDays(int64_t n) const;
    DateTime addSeconds(int64_t n) const;
    DateTime dateOnly() const { return DateTime{year, month, day, 0, 0, 0}; }

    static DateTime fromTimeT(std::time_t t, bool local = true);
    std::time_t toTimeT(bool local = true) const;

    auto operator<=>(const DateTime&) const = default;
};

bool isLeapYear(int y);
int daysInMonth(int y, int m);

} // namespace dr
