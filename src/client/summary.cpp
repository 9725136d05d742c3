#include "client/summary.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unordered_map>

#include "client/client_settings.h"
#include "client/record.h"
#include "client/results_page.h"
#include "common/format.h"
#include "common/log.h"
#include "common/runtime.h"

namespace dr::client {

namespace {

constexpr size_t kTableRows = 41;   // rows 0 to 40
constexpr size_t kCountedRows = 30; // owners compared: combo entries 1 to 30
constexpr size_t kOtherTypes = 31;
constexpr int kFirstYear = 1984;    // row 0, never counted

struct TypeGroup {
    const char* name;
    std::initializer_list<std::string_view> exts;
};

const TypeGroup kGroups[6] = {
    {"Documents ( DOC,XLS ) ", {"DOT", "DOC", "XLS", "XLM"}},
    {"Webpages ( HTM,XML ) ", {"HTM", "ASP", "HTML", "PL", "CGI", "XML"}},
    {"Pictures ( JPG,GIF,BMP ) ", {"GIF", "JPG", "JPEG", "BMP", "TIF", "PNG"}},
    {"Music Files ( MP3,OGG,WAV ) ", {"MP3", "WAV", "OGG"}},
    {"Database ( MDB,DBF ) ", {"DBF", "ASC", "MDB"}},
    {"Source Code ( VB,C,ASP ) ", {"BAS", "CLS", "SQL", "FRM", "VBP", "C", "CPP", "PRG", "BAT", "VBS"}},
};

// An extension of up to four characters, upper-cased, packed into a number.
constexpr uint32_t packExt(std::string_view e) {
    uint32_t v = 0;
    for (char c : e) v = v << 8 | static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    return v;
}

// The group row of an extension; the first group that holds it wins.
size_t typeRow(std::string_view ext) {
    struct Entry {
        uint32_t key;
        uint8_t row;
    };
    static const std::vector<Entry> table = [] {
        std::vector<Entry> t;
        for (size_t g = 0; g < 6; ++g)
            for (std::string_view e : kGroups[g].exts) t.push_back({packExt(e), uint8_t(g + 1)});
        return t;
    }();
    if (ext.empty() || ext.size() > 4) return kOtherTypes;
    uint32_t k = packExt(ext);
    for (const Entry& e : table)
        if (e.key == k) return e.row;
    return kOtherTypes;
}

void add(SummaryRow& r, int64_t bytes) {
    ++r.files;
    r.bytes += bytes;
    r.counted = true;
}

// The year of a "yyyy-mm-dd hh:mm" text, 0 when its first four characters are no year.
int yearOf(std::string_view d) {
    if (d.size() < 4) return 0;
    int y = 0;
    for (size_t i = 0; i < 4; ++i) {
        if (d[i] < '0' || d[i] > '9') return 0;
        y = y * 10 + (d[i] - '0');
    }
    return y;
}

void line(std::string& out, std::string_view l) {
    out.append(l);
    out.append("\r\n");
}

} // namespace

bool SummariseList(const std::string& listPath, const std::vector<std::string>& ownerCombo, ListSummary& out,
                   const ProgressFn& progress) {
    out = ListSummary{};
    LineReader in(listPath);
    if (!in.ok()) {
        appLog().log("Summary could not read " + listPath, 0);
        return false;
    }
    host().setBusy(true);
    std::string_view l;
    if (!in.next(l) || !HasListHeader(l)) {
        host().setBusy(false);
        host().message("Summary does not work on standard CSV files");
        return false;
    }

    out.types.resize(kTableRows);
    for (size_t g = 0; g < 6; ++g) out.types[g + 1].name = kGroups[g].name;
    out.owners.resize(kTableRows);
    for (size_t i = 0; i < ownerCombo.size() && i + 1 < kTableRows; ++i) out.owners[i + 1].name = ownerCombo[i];
    // Rows from 1984 to this year, so no recent file goes missing.
    const int lastYear = std::max(now().year, kFirstYear + 1);
    out.years.resize(size_t(lastYear - kFirstYear + 1));
    for (size_t i = 0; i < out.years.size(); ++i) out.years[i].name = std::to_string(kFirstYear + int(i));
    // The counted owner rows by name; a name listed twice counts in both rows.
    std::unordered_map<std::string_view, std::vector<size_t>> ownerRows;
    for (size_t i = 1; i <= std::min(kCountedRows, ownerCombo.size()); ++i)
        ownerRows[out.owners[i].name].push_back(i);

    Record rec;
    while (in.next(l)) {
        if (TrimBlanks(l).empty()) continue;
        rec.parse(l);
        int64_t size = 0;
        if (!ParseSizeText(rec.field(kFieldSize), size)) size = 0;
        ++out.files;
        out.bytes += size;
        int y = yearOf(rec.field(kFieldModified));
        if (y > kFirstYear && y <= lastYear) add(out.years[size_t(y - kFirstYear)], size);
        if (auto it = ownerRows.find(rec.field(kFieldOwner)); it != ownerRows.end())
            for (size_t i : it->second) add(out.owners[i], size);
        add(out.types[typeRow(rec.field(kFieldType))], size);
        if (out.files % 37 == 0) {
            if (progress) progress("Processing File # " + formatInt(out.files, "###,###,###,###"));
            host().repaint();
        }
    }
    host().setBusy(false);
    return true;
}

std::string SummaryPage(const ListSummary& s, const std::string& listPath) {
    std::string o;
    o.reserve(8192);
    line(o, "<HTML><HEAD><TITLE>Summary of Dirroll</TITLE>");
    for (size_t i = 0; i < 13; ++i) line(o, kPageStyleBlock[i]); // "<STYLE>" to "</STYLE>"
    line(o, "</HEAD><BODY>");
    o += "<H3>Summary Result for '";
    AppendHtml(o, listPath);
    line(o, "'</H3>");
    FileStat st;
    DateTime mod;
    if (platform().fileStat(listPath, st) && st.exists) mod = DateTime::fromTimeT(st.modified, true);
    o += "<FONT size=1 face=arial color=blue>Dirroll was last updated on ";
    if (!mod.isNull()) o += formatDate(mod, "DDD, dd-MMM-yyyy hh:mm:ss");
    line(o, "</font><BR>");
    line(o, "Total Files = " + formatInt(s.files, "###,###,###,###") + "<BR>");
    line(o, "Total Size  = " + formatInt(s.bytes, "###,###,###,###") + " Bytes<BR>");
    std::string avg = s.files > 0 ? formatDouble(double(s.bytes) / double(s.files) / 1000.0, "###,###,###.#") : "0";
    line(o, "Average Size  = " + avg + " kBytes <BR>");
    line(o, "<BR>");
    line(o, "<TABLE valign=top border=0 width=100% align=center valign=top><TR>");
    line(o, "<TD valign=top width=50%>");
    line(o, "List of Files Split by Type<BR>");
    line(o, "<TABLE  valign=top border=1 width=100% align=center valign=top>");
    line(o, "<TR><TD>File Types</TD><TD>Num Files</TD><TD>Size</TD></TR>");
    for (size_t i = 1; i < s.types.size(); ++i) {
        const SummaryRow& r = s.types[i];
        if (!r.counted) continue;
        if (r.name.empty()) {
            line(o, "<TR><TD>Other File Types</TD>");
        } else {
            o += "<TR><TD>";
            AppendHtml(o, r.name);
            line(o, "</TD>");
        }
        line(o, "<TD>" + formatInt(r.files, "###,###,##0") + "</TD>");
        line(o, "<TD>" + formatInt(r.bytes, "###,###,###,##0") + "</TD></TR>");
    }
    line(o, "</TR></TABLE>");
    line(o, "<BR><BR>List of Files Split by User<BR>");
    line(o, "<TABLE  valign=top border=1 width=100% align=center valign=top>");
    line(o, "<TR><TD>User</TD><TD>Num Files</TD><TD>Size</TD></TR>");
    for (size_t i = 1; i < s.owners.size(); ++i) {
        const SummaryRow& r = s.owners[i];
        if (TrimBlanks(r.name).empty() || r.name == kAnyUser || !r.counted) continue;
        o += "<TR><TD>";
        AppendHtml(o, r.name);
        line(o, "</TD>");
        line(o, "<TD>" + (r.files == 0 ? std::string("0") : formatInt(r.files, "###,###,##0")) + "</TD>");
        line(o, "<TD>" + (r.bytes == 0 ? std::string("0") : formatInt(r.bytes, "###,###,##0")) + "</TD>");
    }
    line(o, "</TR></TABLE>");
    line(o, "</TD>");
    line(o, "<TD valign=top width=50%>");
    line(o, "List of Files Split by Year<BR>");
    line(o, "<TABLE valign=top border=1 width=100% align=center valign=top>");
    line(o, "<TR><TD>Year</TD><TD>Num Files</TD><TD>Size</TD></TR>");
    for (size_t i = 1; i < s.years.size(); ++i) {
        const SummaryRow& r = s.years[i];
        if (!r.counted) continue;
        line(o, "<TR><TD>" + r.name + "</TD><TD>" + formatInt(r.files, "###,###,###") + "</TD><TD>" +
                    formatInt(r.bytes, "###,###,###,###") + "</TD></TR>");
    }
    line(o, "</TR></TABLE>");
    line(o, "<BR>");
    line(o, "<BR>");
    line(o, "<BR><BR><BR></BODY></HTML>");
    return o;
}

bool BuildListSummary(const std::string& listPath, const std::string& summaryPath,
                      const std::vector<std::string>& ownerCombo, const ProgressFn& progress) {
    ListSummary s;
    if (!SummariseList(listPath, ownerCombo, s, progress)) return false;
    std::string page = SummaryPage(s, listPath);
    // The browser may be showing the old page: replace it whole.
    std::string tmp = summaryPath + ".tmp";
    {
        std::ofstream f(tmp, std::ios::binary | std::ios::trunc);
        f.write(page.data(), std::streamsize(page.size()));
        if (!f) {
            appLog().log("Summary could not write " + summaryPath, 0);
            std::error_code ec;
            std::filesystem::remove(tmp, ec);
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(tmp, summaryPath, ec);
    if (ec) {
        appLog().log("Summary could not write " + summaryPath, 0);
        std::filesystem::remove(tmp, ec);
        return false;
    }
    return true;
}

std::vector<std::string> DefaultOwnerCombo() {
    std::vector<std::string> combo{kAnyUser};
    for (std::string& u : LoadUsersFile()) combo.push_back(std::move(u));
    return combo;
}

} // namespace dr::client
