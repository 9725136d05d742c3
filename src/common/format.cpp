#include "common/format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

namespace dr {

namespace {

char lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }
char upper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A number pattern taken apart.
struct NumberPattern {
    std::string prefix, suffix;
    int minInt = 0;      // required whole digits
    bool grouping = false;
    bool point = false;
    int maxDec = 0, minDec = 0;
    bool placeholders = false;
};

NumberPattern parseNumberPattern(std::string_view p) {
    NumberPattern np;
    size_t first = p.find_first_of("#0.");
    if (first == std::string_view::npos) {
        np.prefix = std::string(p);
        return np;
    }
    size_t last = p.find_last_of("#0.");
    np.prefix = std::string(p.substr(0, first));
    np.suffix = std::string(p.substr(last + 1));
    bool inDec = false, seenZero = false;
    int decPos = 0;
    for (size_t i = first; i <= last; ++i) {
        char c = p[i];
        if (c == '.') {
            if (!inDec) { inDec = true; np.point = true; }
            continue;
        }
        if (c != '#' && c != '0') {
            if (c == ',' && !inDec) np.grouping = true;
            continue;
        }
        np.placeholders = true;
        if (!inDec) {
            if (c == '0') seenZero = true;
            if (seenZero) ++np.minInt;
        } else {
            ++decPos;
            ++np.maxDec;
            if (c == '0') np.minDec = decPos;
        }
    }
    return np;
}

// Rounds the decimal digits (whole part `whole`, fraction `frac`) to `dec`
// places, halves away from zero.
void roundDigits(std::string& whole, std::string& frac, int dec) {
    if (static_cast<int>(frac.size()) <= dec) {
        frac.append(dec - frac.size(), '0');
        return;
    }
    bool up = frac[dec] >= '5';
    frac.resize(dec);
    if (!up) return;
    int i = dec - 1;
    for (; i >= 0; --i) {
        if (frac[i] == '9') frac[i] = '0';
        else { ++frac[i]; break; }
    }
    if (i >= 0) return;
    int j = static_cast<int>(whole.size()) - 1;
    for (; j >= 0; --j) {
        if (whole[j] == '9') whole[j] = '0';
        else { ++whole[j]; break; }
    }
    if (j < 0) whole.insert(whole.begin(), '1');
}

std::string render(bool negative, std::string whole, std::string frac, const NumberPattern& np) {
    size_t nz = whole.find_first_not_of('0');
    whole = nz == std::string::npos ? std::string() : whole.substr(nz);
    if (static_cast<int>(whole.size()) < np.minInt) whole.insert(0, np.minInt - whole.size(), '0');
    while (static_cast<int>(frac.size()) > np.minDec && frac.back() == '0') frac.pop_back();
    bool zero = whole.find_first_not_of('0') == std::string::npos && frac.find_first_not_of('0') == std::string::npos;

    std::string out;
    out.reserve(np.prefix.size() + whole.size() * 4 / 3 + frac.size() + np.suffix.size() + 2);
    if (negative && !zero) out += '-';
    out += np.prefix;
    if (np.grouping) {
        size_t n = whole.size();
        for (size_t i = 0; i < n; ++i) {
            out += whole[i];
            size_t left = n - 1 - i;
            if (left > 0 && left % 3 == 0) out += ',';
        }
    } else {
        out += whole;
    }
    if (np.point) {
        out += '.';
        out += frac;
    }
    out += np.suffix;
    return out;
}

} // namespace

std::string formatInt(int64_t v, std::string_view pattern) {
    if (pattern.empty()) return std::to_string(v);
    NumberPattern np = parseNumberPattern(pattern);
    if (!np.placeholders && !np.point) return np.prefix;
    bool neg = v < 0;
    uint64_t mag = neg ? uint64_t(0) - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
    std::string whole = std::to_string(mag);
    return render(neg, std::move(whole), std::string(np.maxDec, '0'), np);
}

std::string formatDouble(double v, std::string_view pattern) {
    if (!std::isfinite(v)) return std::isnan(v) ? "NaN" : (v < 0 ? "-Inf" : "Inf");
    if (pattern.empty()) {
        char buf[40];
        std::snprintf(buf, sizeof buf, "%.15g", v);
        std::string r(buf);
        for (char& c : r)
            if (c == ',') c = '.'; // a locale's decimal comma
        return r;
    }
    NumberPattern np = parseNumberPattern(pattern);
    if (!np.placeholders && !np.point) return np.prefix;
    // 15 significant digits: what a double reliably holds.
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.14e", std::fabs(v));
    std::string_view s(buf);
    size_t e = s.find('e');
    std::string digits;
    digits.reserve(16);
    for (size_t i = 0; i < e; ++i)
        if (isDigit(s[i])) digits += s[i];
    int exp = 0;
    std::from_chars(s.data() + e + 1 + (s[e + 1] == '+'), s.data() + s.size(), exp);
    // Decimal point after digit number exp + 1.
    std::string whole, frac;
    int pointAt = exp + 1;
    if (pointAt <= 0) {
        whole = "0";
        frac = std::string(-pointAt, '0') + digits;
    } else if (pointAt >= static_cast<int>(digits.size())) {
        whole = digits + std::string(pointAt - digits.size(), '0');
    } else {
        whole = digits.substr(0, pointAt);
        frac = digits.substr(pointAt);
    }
    roundDigits(whole, frac, np.maxDec);
    return render(v < 0, std::move(whole), std::move(frac), np);
}

// ---- Dates ------------------------------------------------------------------

static const char* const kMonthAbbrev[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                           "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
static const char* const kMonthName[] = {"January", "February", "March",     "April",   "May",      "June",
                                         "July",    "August",   "September", "October", "November", "December"};
static const char* const kDayAbbrev[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
static const char* const kDayName[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

const char* monthAbbrev(int m) { return (m >= 1 && m <= 12) ? kMonthAbbrev[m - 1] : ""; }
const char* monthName(int m) { return (m >= 1 && m <= 12) ? kMonthName[m - 1] : ""; }
const char* weekdayAbbrev(int d) { return (d >= 0 && d <= 6) ? kDayAbbrev[d] : ""; }
const char* weekdayName(int d) { return (d >= 0 && d <= 6) ? kDayName[d] : ""; }

namespace {

enum class Tok { Literal, Year, Month, Day, Hour, Minute, Second, AmPm, Weekday, Quarter };

struct DateToken {
    Tok kind;
    char letter;     // lower-case pattern letter ('m' for minutes from "n" too)
    size_t len;      // run length
    std::string text; // literal text, or the AM/PM pattern as written
};

std::vector<DateToken> tokenizeDate(std::string_view p) {
    std::vector<DateToken> toks;
    auto lit = [&](std::string_view t) {
        if (!toks.empty() && toks.back().kind == Tok::Literal) toks.back().text += t;
        else toks.push_back({Tok::Literal, 0, 0, std::string(t)});
    };
    size_t i = 0;
    while (i < p.size()) {
        char c = p[i];
        char lc = lower(c);
        if (c == '"') {
            size_t end = p.find('"', i + 1);
            if (end == std::string_view::npos) end = p.size();
            lit(p.substr(i + 1, end - i - 1));
            i = end + 1;
            continue;
        }
        if (c == '\\') {
            if (i + 1 < p.size()) lit(p.substr(i + 1, 1));
            i += 2;
            continue;
        }
        if (lc == 'a') {
            if (p.size() - i >= 5 && iequals(p.substr(i, 5), "am/pm")) {
                toks.push_back({Tok::AmPm, 'a', 5, std::string(p.substr(i, 5))});
                i += 5;
                continue;
            }
            if (p.size() - i >= 3 && iequals(p.substr(i, 3), "a/p")) {
                toks.push_back({Tok::AmPm, 'a', 3, std::string(p.substr(i, 3))});
                i += 3;
                continue;
            }
            lit(p.substr(i, 1));
            ++i;
            continue;
        }
        if (lc == 'y' || lc == 'm' || lc == 'd' || lc == 'h' || lc == 'n' || lc == 's' || lc == 'w' || lc == 'q') {
            size_t j = i;
            while (j < p.size() && lower(p[j]) == lc) ++j;
            size_t len = j - i;
            Tok k = lc == 'y' ? Tok::Year : lc == 'm' ? Tok::Month : lc == 'd' ? Tok::Day
                  : lc == 'h' ? Tok::Hour : lc == 'n' ? Tok::Minute : lc == 's' ? Tok::Second
                  : lc == 'w' ? Tok::Weekday : Tok::Quarter;
            toks.push_back({k, lc, len, {}});
            i = j;
            continue;
        }
        lit(p.substr(i, 1));
        ++i;
    }
    // "m" and "mm" right after an hour or right before seconds are minutes.
    for (size_t t = 0; t < toks.size(); ++t) {
        if (toks[t].kind != Tok::Month || toks[t].len > 2) continue;
        bool afterHour = false, beforeSecond = false;
        for (size_t b = t; b-- > 0;) {
            if (toks[b].kind == Tok::Literal) continue;
            afterHour = toks[b].kind == Tok::Hour;
            break;
        }
        for (size_t a = t + 1; a < toks.size(); ++a) {
            if (toks[a].kind == Tok::Literal) continue;
            beforeSecond = toks[a].kind == Tok::Second;
            break;
        }
        if (afterHour || beforeSecond) toks[t].kind = Tok::Minute;
    }
    return toks;
}

// v zero-padded to width digits (every row formats several of these).
void appendNum(std::string& out, int v, size_t width) {
    if (v < 0) {
        out += '-';
        v = -v;
    }
    char buf[16];
    size_t n = 0;
    do {
        buf[n++] = char('0' + v % 10);
        v /= 10;
    } while (v > 0 && n < sizeof buf);
    for (size_t i = n; i < width; ++i) out += '0';
    while (n > 0) out += buf[--n];
}

// Lists format every row with the same few patterns: keep their tokens.
const std::vector<DateToken>& cachedTokens(std::string_view pattern) {
    struct Slot {
        std::string pattern;
        std::vector<DateToken> toks;
        bool used = false;
    };
    thread_local Slot slots[4];
    thread_local unsigned next = 0;
    for (auto& s : slots)
        if (s.used && s.pattern == pattern) return s.toks;
    Slot& s = slots[next++ % 4];
    s.pattern.assign(pattern);
    s.toks = tokenizeDate(pattern);
    s.used = true;
    return s.toks;
}

} // namespace

std::string formatDate(const DateTime& t, std::string_view pattern) {
    const std::vector<DateToken>& toks = cachedTokens(pattern);
    bool twelve = false;
    for (const auto& k : toks)
        if (k.kind == Tok::AmPm) twelve = true;
    std::string out;
    out.reserve(pattern.size() + 16);
    int dow = t.dayOfWeek();
    for (const auto& k : toks) {
        switch (k.kind) {
        case Tok::Literal: out += k.text; break;
        case Tok::Year:
            if (k.len >= 4) appendNum(out, t.year, 4);
            else {
                if (k.len >= 2) appendNum(out, ((t.year % 100) + 100) % 100, 2);
                if (k.len != 2) {
                    int64_t doy = t.dayNumber() - DateTime{t.year, 1, 1, 0, 0, 0}.dayNumber() + 1;
                    appendNum(out, static_cast<int>(doy), 1);
                }
            }
            break;
        case Tok::Month:
            if (k.len >= 4) out += monthName(t.month);
            else if (k.len == 3) out += monthAbbrev(t.month);
            else appendNum(out, t.month, k.len);
            break;
        case Tok::Day:
            if (k.len >= 4) out += weekdayName(dow);
            else if (k.len == 3) out += weekdayAbbrev(dow);
            else appendNum(out, t.day, k.len);
            break;
        case Tok::Hour: {
            int h = t.hour;
            if (twelve) { h %= 12; if (h == 0) h = 12; }
            appendNum(out, h, k.len >= 2 ? 2 : 1);
            break;
        }
        case Tok::Minute: appendNum(out, t.minute, k.len >= 2 ? 2 : 1); break;
        case Tok::Second: appendNum(out, t.second, k.len >= 2 ? 2 : 1); break;
        case Tok::Weekday:
            if (k.len >= 2) {
                int64_t jan1 = DateTime{t.year, 1, 1, 0, 0, 0}.dayNumber();
                int jan1dow = DateTime{t.year, 1, 1, 0, 0, 0}.dayOfWeek();
                appendNum(out, static_cast<int>((t.dayNumber() - jan1 + jan1dow) / 7 + 1), 1);
            } else {
                appendNum(out, dow + 1, 1);
            }
            break;
        case Tok::Quarter: appendNum(out, (t.month + 2) / 3, 1); break;
        case Tok::AmPm: {
            bool pm = t.hour >= 12;
            if (k.len == 5) {
                std::string_view s = k.text;
                out += pm ? s.substr(3, 2) : s.substr(0, 2);
            } else {
                out += pm ? k.text[2] : k.text[0];
            }
            break;
        }
        }
    }
    return out;
}

// ---- Substrings -----------------------------------------------------------------

std::string Left(std::string_view s, int64_t n) {
    if (n <= 0) return {};
    return std::string(s.substr(0, static_cast<size_t>(std::min<int64_t>(n, static_cast<int64_t>(s.size())))));
}

std::string Right(std::string_view s, int64_t n) {
    if (n <= 0) return {};
    size_t k = static_cast<size_t>(std::min<int64_t>(n, static_cast<int64_t>(s.size())));
    return std::string(s.substr(s.size() - k));
}

std::string Mid(std::string_view s, int64_t start, int64_t len) {
    if (start < 1) start = 1;
    if (start > static_cast<int64_t>(s.size())) return {};
    size_t from = static_cast<size_t>(start - 1);
    if (len < 0) return std::string(s.substr(from));
    return std::string(s.substr(from, static_cast<size_t>(len)));
}

int64_t InStr(std::string_view hay, std::string_view needle, int64_t start) {
    if (start < 1) start = 1;
    if (hay.empty() || start > static_cast<int64_t>(hay.size())) return 0;
    if (needle.empty()) return start;
    size_t p = hay.find(needle, static_cast<size_t>(start - 1));
    return p == std::string_view::npos ? 0 : static_cast<int64_t>(p) + 1;
}

std::string UCase(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = upper(c);
    return r;
}

std::string LCase(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = lower(c);
    return r;
}

std::string LTrim(std::string_view s) {
    size_t b = s.find_first_not_of(' ');
    return b == std::string_view::npos ? std::string() : std::string(s.substr(b));
}

std::string RTrim(std::string_view s) {
    size_t e = s.find_last_not_of(' ');
    return e == std::string_view::npos ? std::string() : std::string(s.substr(0, e + 1));
}

std::string Trim(std::string_view s) {
    size_t b = s.find_first_not_of(' ');
    if (b == std::string_view::npos) return {};
    return std::string(s.substr(b, s.find_last_not_of(' ') - b + 1));
}

std::string TrimWhite(std::string_view s) {
    constexpr const char* ws = " \t\r\n";
    size_t b = s.find_first_not_of(ws);
    if (b == std::string_view::npos) return {};
    return std::string(s.substr(b, s.find_last_not_of(ws) - b + 1));
}

// ---- Numbers ------------------------------------------------------------------------

double Val(std::string_view s) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n'; };
    size_t i = 0;
    while (i < s.size() && blank(s[i])) ++i;
    if (i + 1 < s.size() && s[i] == '&' && (lower(s[i + 1]) == 'h' || lower(s[i + 1]) == 'o')) {
        int base = lower(s[i + 1]) == 'h' ? 16 : 8;
        uint64_t v = 0;
        bool any = false;
        for (i += 2; i < s.size(); ++i) {
            if (blank(s[i])) continue;
            char c = lower(s[i]);
            int d = isDigit(c) ? c - '0' : (c >= 'a' && c <= 'f') ? c - 'a' + 10 : 99;
            if (d >= base) break;
            v = v * base + d;
            any = true;
            if (v > (uint64_t(1) << 60)) break;
        }
        return any ? static_cast<double>(v) : 0.0;
    }
    // Gather the numeric prefix without blanks, then convert it.
    char buf[400];
    size_t n = 0;
    auto put = [&](char c) { if (n + 1 < sizeof buf) buf[n++] = c; };
    auto skipBlanks = [&] { while (i < s.size() && blank(s[i])) ++i; };
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) { put(s[i]); ++i; }
    bool digits = false, point = false;
    for (;; ++i) {
        skipBlanks();
        if (i >= s.size()) break;
        if (isDigit(s[i])) { put(s[i]); digits = true; }
        else if (s[i] == '.' && !point) { put('.'); point = true; }
        else break;
    }
    if (!digits) return 0.0;
    if (i < s.size() && (lower(s[i]) == 'e' || lower(s[i]) == 'd')) {
        size_t save = i, saveN = n;
        put('e');
        ++i;
        skipBlanks();
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) { put(s[i]); ++i; }
        bool expDigits = false;
        for (;; ++i) {
            skipBlanks();
            if (i >= s.size() || !isDigit(s[i])) break;
            put(s[i]);
            expDigits = true;
        }
        if (!expDigits) { i = save; n = saveN; }
    }
    const char* b = buf;
    if (*b == '+') ++b;
    double v = 0;
    auto [p, ec] = std::from_chars(b, buf + n, v);
    if (ec == std::errc::result_out_of_range) {
        // Too large or too small for a double: saturate like the hardware would.
        bool neg = *b == '-';
        bool tiny = false;
        for (size_t k = 0; k < n; ++k) if (buf[k] == 'e' && k + 1 < n && buf[k + 1] == '-') tiny = true;
        return tiny ? 0.0 : (neg ? -std::numeric_limits<double>::max() : std::numeric_limits<double>::max());
    }
    (void)p;
    return ec == std::errc() ? v : 0.0;
}

int64_t ValInt(std::string_view s) {
    double v = Val(s);
    if (!(v > -9.2233720368547758e18)) return v < 0 ? std::numeric_limits<int64_t>::min() : 0;
    if (v >= 9.2233720368547758e18) return std::numeric_limits<int64_t>::max();
    return static_cast<int64_t>(v);
}

namespace {

// The strict number grammar; fills `clean` with the text without grouping.
bool strictNumber(std::string_view s, std::string& clean) {
    size_t b = s.find_first_not_of(" \t");
    if (b == std::string_view::npos) return false;
    size_t e = s.find_last_not_of(" \t");
    s = s.substr(b, e - b + 1);
    size_t i = 0;
    clean.clear();
    if (s[i] == '+' || s[i] == '-') { if (s[i] == '-') clean += '-'; ++i; }
    bool digits = false;
    while (i < s.size() && (isDigit(s[i]) || (s[i] == ',' && digits))) {
        if (s[i] != ',') { clean += s[i]; digits = true; }
        ++i;
    }
    if (i < s.size() && s[i] == '.') {
        clean += '.';
        ++i;
        while (i < s.size() && isDigit(s[i])) { clean += s[i]; digits = true; ++i; }
    }
    if (!digits) return false;
    if (i < s.size() && lower(s[i]) == 'e') {
        clean += 'e';
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) { clean += s[i]; ++i; }
        bool ed = false;
        while (i < s.size() && isDigit(s[i])) { clean += s[i]; ed = true; ++i; }
        if (!ed) return false;
    }
    return i == s.size();
}

} // namespace

bool parseNumber(std::string_view s, double& out) {
    std::string clean;
    if (!strictNumber(s, clean)) return false;
    double v = 0;
    auto [p, ec] = std::from_chars(clean.data(), clean.data() + clean.size(), v);
    if (ec != std::errc() || p != clean.data() + clean.size()) return false;
    out = v;
    return true;
}

bool IsNumeric(std::string_view s) {
    double v;
    return parseNumber(s, v);
}

bool parseInt64(std::string_view s, int64_t& out) {
    std::string clean;
    if (!strictNumber(s, clean)) return false;
    int64_t iv = 0;
    auto [p, ec] = std::from_chars(clean.data(), clean.data() + clean.size(), iv);
    if (ec == std::errc() && p == clean.data() + clean.size()) {
        out = iv;
        return true;
    }
    double v = 0;
    auto r = std::from_chars(clean.data(), clean.data() + clean.size(), v);
    if (r.ec != std::errc() || r.ptr != clean.data() + clean.size()) return false;
    double rounded = std::nearbyint(v); // half to even in the default rounding mode
    if (!(rounded >= -9.2233720368547758e18 && rounded < 9.2233720368547758e18)) return false;
    out = static_cast<int64_t>(rounded);
    return true;
}

bool parseInt32(std::string_view s, int32_t& out) {
    int64_t v;
    if (!parseInt64(s, v)) return false;
    if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max()) return false;
    out = static_cast<int32_t>(v);
    return true;
}

// ---- Case-insensitive -------------------------------------------------------------

bool iequals(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

int icompare(std::string_view a, std::string_view b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        unsigned char x = static_cast<unsigned char>(lower(a[i])), y = static_cast<unsigned char>(lower(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

size_t ifind(std::string_view hay, std::string_view needle, size_t from) {
    if (needle.size() > hay.size() || from > hay.size() - needle.size()) return std::string_view::npos;
    if (needle.empty()) return from;
    char f = lower(needle[0]);
    for (size_t i = from, last = hay.size() - needle.size(); i <= last; ++i) {
        if (lower(hay[i]) != f) continue;
        size_t k = 1;
        while (k < needle.size() && lower(hay[i + k]) == lower(needle[k])) ++k;
        if (k == needle.size()) return i;
    }
    return std::string_view::npos;
}

bool icontains(std::string_view hay, std::string_view needle) { return ifind(hay, needle) != std::string_view::npos; }

bool istartsWith(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && iequals(s.substr(0, prefix.size()), prefix);
}

bool iendsWith(std::string_view s, std::string_view suffix) {
    return s.size() >= suffix.size() && iequals(s.substr(s.size() - suffix.size()), suffix);
}

} // namespace dr
