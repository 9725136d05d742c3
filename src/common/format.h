#pragma once
// Number and date patterns, clamping substring helpers, number parsing and
// ASCII case-insensitive helpers. Patterns always use "," for grouping, "."
// for decimals, "/" and ":" as separators and English names, whatever the
// locale, because their texts end up in files that other machines read.
#include <concepts>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/datetime.h"

namespace dr {

// ---- Number patterns ------------------------------------------------------
// "#" optional digit, "0" required digit, "," grouping (anywhere between the
// digit places of the whole part), "." decimal point; any other character is
// copied. Examples: ("###,###", 0) -> "", ("###,##0", 0) -> "0",
// ("###,###", 1234567) -> "1,234,567", ("###.#", 12.34) -> "12.3",
// ("###.#", 12) -> "12." (a pattern's point is always written),
// ("#,##0.#####", 0.5) -> "0.5". Halves round away from zero.
std::string formatDouble(double v, std::string_view pattern);
std::string formatInt(int64_t v, std::string_view pattern);

template <std::integral T>
std::string formatNumber(T v, std::string_view pattern) {
    return formatInt(static_cast<int64_t>(v), pattern);
}
template <std::floating_point T>
std::string formatNumber(T v, std::string_view pattern) {
    return formatDouble(static_cast<double>(v), pattern);
}

// ---- Date patterns --------------------------------------------------------
// Tokens (case-insensitive): yyyy, yy, y (day of year), m, mm (month, or the
// minutes when right after an hour token or right before a seconds token),
// mmm/MMM (Jan), mmmm (January), d, dd, ddd/DDD (Sun), dddd (Sunday), h, hh,
// n, nn (minutes), s, ss, AM/PM, am/pm, A/P. Text in double quotes and the
// character after a backslash are copied; so is every other character.
// Examples: "yyyy-mm-dd hh:mm", "d-MMM-yyyy", "DDD, dd/m/yyyy hh:mm:ss", "hhmm".
std::string formatDate(const DateTime& t, std::string_view pattern);

const char* monthAbbrev(int month);   // 1..12 -> "Jan".."Dec"; "" otherwise
const char* monthName(int month);     // "January"..
const char* weekdayAbbrev(int dow);   // 0 = "Sun"
const char* weekdayName(int dow);     // 0 = "Sunday"

// ---- Substrings (positions from 1; out of range clamps) ----------------------
std::string Left(std::string_view s, int64_t n);
std::string Right(std::string_view s, int64_t n);
// From position start (1-based; below 1 counts as 1), len characters (-1: to the end).
std::string Mid(std::string_view s, int64_t start, int64_t len = -1);
// 1-based position of needle in hay from start, 0 when absent. An empty
// needle gives start (0 when hay is empty or start is past its end).
int64_t InStr(std::string_view hay, std::string_view needle, int64_t start = 1);

std::string UCase(std::string_view s); // ASCII letters only
std::string LCase(std::string_view s);
std::string Trim(std::string_view s);  // blanks only: tabs stay
std::string LTrim(std::string_view s);
std::string RTrim(std::string_view s);
// Trims blanks, tabs, CR and LF.
std::string TrimWhite(std::string_view s);

// ---- Numbers from text ------------------------------------------------------
// Val: skips blanks, tabs and line feeds (also between digits), takes a sign, digits, one point and an exponent, "&H"/"&O" for hex
// and octal, and stops at the first other character. Never fails: "" and
// garbage give 0.
double Val(std::string_view s);
// Val truncated toward zero and clamped to the 64-bit range.
int64_t ValInt(std::string_view s);

// Strict: true only when the whole text (blanks around allowed) is a number:
// optional sign, digits with optional "," grouping, optional point and
// decimals, optional exponent. out is untouched on failure.
bool parseNumber(std::string_view s, double& out);
bool IsNumeric(std::string_view s);
// Strict number rounded half to even (as the classic whole-number
// conversions do) and range-checked; false when not a number or out of range.
bool parseInt64(std::string_view s, int64_t& out);
bool parseInt32(std::string_view s, int32_t& out);

// ---- ASCII case-insensitive helpers -------------------------------------------
bool iequals(std::string_view a, std::string_view b);
int icompare(std::string_view a, std::string_view b); // <0, 0, >0
// Position of needle in hay from `from`, or npos.
size_t ifind(std::string_view hay, std::string_view needle, size_t from = 0);
bool icontains(std::string_view hay, std::string_view needle);
bool istartsWith(std::string_view s, std::string_view prefix);
bool iendsWith(std::string_view s, std::string_view suffix);

} // namespace dr
