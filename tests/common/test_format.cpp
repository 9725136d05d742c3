#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <limits>

#include "common/format.h"

using namespace dr;

namespace {

struct IntCase {
    int64_t v;
    const char* pattern;
    const char* want;
};

TEST(FormatNumber, WholeNumberPatterns) {
    const IntCase cases[] = {
        {0, "###,###", ""},
        {0, "###,##0", "0"},
        {7, "###,###", "7"},
        {999, "###,###", "999"},
        {1000, "###,###", "1,000"},
        {1234567, "###,###,###", "1,234,567"},
        // More digits than the pattern has places: the pattern does not cut.
        {1234567890123, "###,###", "1,234,567,890,123"},
        {INT64_MAX, "###,###,###,###", "9,223,372,036,854,775,807"},
        {INT64_MIN, "###,###,###,###", "-9,223,372,036,854,775,808"},
        {-1234, "###,##0", "-1,234"},
        {5, "##", "5"},
        {123, "###", "123"},
        {5, "000", "005"},
        {0, "#,##0.#####", "0."},
        {12, "###.#", "12."},
        {3, "0.00", "3.00"},
        {42, "Total #", "Total 42"},
        {0, "###,###,###,##0", "0"},
    };
    for (const auto& c : cases) EXPECT_EQ(formatNumber(c.v, c.pattern), c.want) << c.v << " " << c.pattern;
}

struct DblCase {
    double v;
    const char* pattern;
    const char* want;
};

TEST(FormatNumber, DecimalPatternsRoundHalvesAwayFromZero) {
    const DblCase cases[] = {
        {12.34, "###.#", "12.3"},
        {12.35, "###.#", "12.4"},
        {0.05, "###.#", ".1"},
        {0.04, "###.#", "."},
        {1234.5, "#,##0.#####", "1,234.5"},
        {0.123456789, "#,##0.#####", "0.12346"},
        {2.5, "###,###", "3"},
        {-2.5, "###,###", "-3"},
        {0.4, "###,###", ""},
        {-0.4, "###,##0", "0"},
        {9.99, "0.0", "10.0"},
        {999999.96, "###,###.#", "1,000,000."},
        {1.005, "0.00", "1.01"},
        {1e20, "###,###", "100,000,000,000,000,000,000"},
        {1234567.891, "###,###,###.#", "1,234,567.9"},
    };
    for (const auto& c : cases) EXPECT_EQ(formatNumber(c.v, c.pattern), c.want) << c.v << " " << c.pattern;
}

TEST(FormatNumber, IgnoresTheLocale) {
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = old ? old : "C";
    // Any locale with a comma decimal that happens to be installed.
    bool switched = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") || std::setlocale(LC_NUMERIC, "fr_FR.UTF-8");
    EXPECT_EQ(formatNumber(1234.5, "#,##0.#####"), "1,234.5");
    EXPECT_DOUBLE_EQ(Val("1.5"), 1.5);
    double d = 0;
    EXPECT_TRUE(parseNumber("1,234.5", d));
    EXPECT_DOUBLE_EQ(d, 1234.5);
    std::setlocale(LC_NUMERIC, saved.c_str());
    if (!switched) GTEST_SKIP() << "no comma-decimal locale installed";
}

struct DateCase {
    const char* pattern;
    const char* want;
};

TEST(FormatDate, PatternsOfTheLists) {
    const DateTime t{2004, 3, 7, 9, 5, 30}; // a Sunday
    const DateCase cases[] = {
        {"yyyy-mm-dd hh:mm", "2004-03-07 09:05"},
        {"d-MMM-yyyy", "7-Mar-2004"},
        {"DDD, d-MMM-yy", "Sun, 7-Mar-04"},
        {"DDD, dd/m/yyyy hh:mm:ss", "Sun, 07/3/2004 09:05:30"},
        {"yyyymmdd", "20040307"},
        {"yyyy-mm-dd, hh:mm:ss", "2004-03-07, 09:05:30"},
        {"dd-MMM-yyyy (DDD)", "07-Mar-2004 (Sun)"},
        {"hhmm", "0905"},
        {"hh:mm:ss", "09:05:30"},
        {"mm:ss", "05:30"},
        {"yyyy-mm-dd", "2004-03-07"},
        {"mmmm dddd", "March Sunday"},
        {"h:nn AM/PM", "9:05 AM"},
        {"\"at\" hh", "at 09"},
        {"y", "67"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(formatDate(t, c.pattern), c.want) << c.pattern;
    EXPECT_EQ(formatDate(DateTime{2026, 12, 31, 23, 59, 59}, "h:nn am/pm DDD"), "11:59 pm Thu");
    EXPECT_EQ(formatDate(DateTime{2026, 12, 31, 0, 1, 2}, "hh:mm:ss AM/PM"), "12:01:02 AM");
}

TEST(Substrings, ClampInsteadOfFailing) {
    EXPECT_EQ(Left("abcdef", 3), "abc");
    EXPECT_EQ(Left("abc", 10), "abc");
    EXPECT_EQ(Left("abc", -1), "");
    EXPECT_EQ(Right("abcdef", 2), "ef");
    EXPECT_EQ(Right("abc", 10), "abc");
    EXPECT_EQ(Right("abc", 0), "");
    EXPECT_EQ(Mid("abcdef", 2, 3), "bcd");
    EXPECT_EQ(Mid("abcdef", 4), "def");
    EXPECT_EQ(Mid("abcdef", 0, 2), "ab");
    EXPECT_EQ(Mid("abcdef", 7, 2), "");
    EXPECT_EQ(Mid("abcdef", 5, 100), "ef");
    EXPECT_EQ(Mid("", 1, 1), "");
    EXPECT_EQ(InStr("abcabc", "c"), 3);
    EXPECT_EQ(InStr("abcabc", "c", 4), 6);
    EXPECT_EQ(InStr("abc", "x"), 0);
    EXPECT_EQ(InStr("abc", ""), 1);
    EXPECT_EQ(InStr("", ""), 0);
    EXPECT_EQ(InStr("abc", "c", 99), 0);
}

TEST(CaseAndTrim, AsciiOnly) {
    EXPECT_EQ(UCase("abc.Txt-\xC3\xA9"), "ABC.TXT-\xC3\xA9");
    EXPECT_EQ(LCase("ABC.Txt"), "abc.txt");
    EXPECT_EQ(Trim("  a b  "), "a b");
    EXPECT_EQ(Trim("\ta\t"), "\ta\t"); // only blanks
    EXPECT_EQ(LTrim("  a "), "a ");
    EXPECT_EQ(RTrim("  a "), "  a");
    EXPECT_EQ(Trim("   "), "");
    EXPECT_EQ(TrimWhite("\r\n\t a \r\n"), "a");
}

struct ValCase {
    const char* text;
    double want;
};

TEST(Val, LenientPrefixParsing) {
    const ValCase cases[] = {
        {"", 0},        {"abc", 0},       {"  42", 42},     {"42abc", 42},   {"-7.5x", -7.5},
        {"+3", 3},      {"1 2 3", 123},   {"\t\n 5", 5},    {"1,234", 1},    {"1.2.3", 1.2},
        {"2e3", 2000},  {"2e", 2},        {"2e+", 2},       {"1.5D2", 150},  {"&HFF", 255},
        {"&o17", 15},   {"&H", 0},        {".5", 0.5},      {"-", 0},        {"     1,234", 1},
        {"1e999", std::numeric_limits<double>::max()},      {"1e-999", 0},
    };
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(Val(c.text), c.want) << '"' << c.text << '"';
    EXPECT_EQ(ValInt("12.9"), 12);
    EXPECT_EQ(ValInt("-12.9"), -12);
    EXPECT_EQ(ValInt("99999999999999999999999"), INT64_MAX);
    EXPECT_EQ(ValInt("x"), 0);
    // A megabyte of digits neither crashes nor loses the value's order.
    EXPECT_GT(Val(std::string(1 << 20, '9')), 1e300);
}

struct StrictCase {
    const char* text;
    bool ok;
    double want;
};

TEST(ParseNumber, StrictWholeText) {
    const StrictCase cases[] = {
        {"42", true, 42},        {" 42 ", true, 42},       {"-1,234.5", true, -1234.5}, {"1e3", true, 1000},
        {".5", true, 0.5},       {"5.", true, 5},          {"", false, 0},              {" ", false, 0},
        {"42x", false, 0},       {"1 2", false, 0},        {",5", false, 0},            {"1e", false, 0},
        {"-", false, 0},         {".", false, 0},          {"1.2.3", false, 0},         {"+7", true, 7},
    };
    for (const auto& c : cases) {
        double d = -99;
        EXPECT_EQ(parseNumber(c.text, d), c.ok) << '"' << c.text << '"';
        if (c.ok) EXPECT_DOUBLE_EQ(d, c.want) << c.text;
        else EXPECT_EQ(d, -99) << "untouched on failure: " << c.text;
        EXPECT_EQ(IsNumeric(c.text), c.ok) << c.text;
    }
}

TEST(ParseNumber, WholeNumbersRoundHalfToEvenAndCheckRange) {
    int64_t v = 0;
    EXPECT_TRUE(parseInt64("7200", v));
    EXPECT_EQ(v, 7200);
    EXPECT_TRUE(parseInt64("2.5", v));
    EXPECT_EQ(v, 2);
    EXPECT_TRUE(parseInt64("3.5", v));
    EXPECT_EQ(v, 4);
    EXPECT_TRUE(parseInt64("9223372036854775807", v));
    EXPECT_EQ(v, INT64_MAX);
    EXPECT_FALSE(parseInt64("1e30", v));
    int32_t w = 0;
    EXPECT_TRUE(parseInt32("-300", w));
    EXPECT_EQ(w, -300);
    EXPECT_TRUE(parseInt32("40000", w)); // wider than 16 bits
    EXPECT_EQ(w, 40000);
    EXPECT_FALSE(parseInt32("3000000000", w));
    EXPECT_FALSE(parseInt32("abc", w));
}

TEST(CaseInsensitive, CompareAndFind) {
    EXPECT_TRUE(iequals("ABC.dr", "abc.DR"));
    EXPECT_FALSE(iequals("abc", "abcd"));
    EXPECT_EQ(icompare("abc", "ABD"), -1);
    EXPECT_EQ(icompare("b", "A"), 1);
    EXPECT_EQ(icompare("ab", "AB"), 0);
    EXPECT_EQ(icompare("ab", "abc"), -1);
    EXPECT_EQ(ifind("Hello World", "WORLD"), 6u);
    EXPECT_EQ(ifind("Hello World", "o", 5), 7u);
    EXPECT_EQ(ifind("abc", "abcd"), std::string_view::npos);
    EXPECT_EQ(ifind("abc", "", 3), 3u);
    EXPECT_EQ(ifind("abc", "", 4), std::string_view::npos);
    EXPECT_TRUE(icontains("C:/Data/Photos", "photos"));
    EXPECT_TRUE(istartsWith("Report.PRO", "report"));
    EXPECT_TRUE(iendsWith("Report.PRO", ".pro"));
    EXPECT_FALSE(iendsWith("o", ".pro"));
}

} // namespace
