#include "dirroll/listing.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <new>

#include "common/format.h"
#include "common/log.h"
#include "common/runtime.h"
#include "dirroll/file_types.h"
#include "dirroll/profiles.h"
#include "dirroll/saved_list.h"

namespace dr::roll {

namespace {

const char* const kCRLF = "\r\n";

inline char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

std::string dmy(const DateTime& t) { return formatDate(t, "d-MMM-yyyy"); }

int dayKey(const DateTime& t) { return t.year * 10000 + t.month * 100 + t.day; }

// Writes a small file whole; failures are ignored (the run goes on).
void writeSmallFile(const std::string& path, const std::string& text) {
    AtomicFile f;
    if (!f.open(path)) return;
    f.write(text);
    f.commit();
}

std::string halfQuestion(int64_t i, int64_t n) {
    return "Dirroll has only listed the appropriate files from  " + std::to_string(i) + " out of  " +
           std::to_string(n) + " folders." + kCRLF + "Do you want to halt the operation ?";
}

// Asks whether to halt; No clears the flag. True means halt.
bool confirmHalt(MainModel& m, const std::string& question) {
    Answer a = rt().host->message(question, "Halt during Refresh?", Buttons::YesNo, Icon::Question);
    if (a == Answer::Yes) return true;
    m.setHalt(false);
    return false;
}

bool badName(std::string_view name) {
    for (char c : name)
        if (c == '\r' || c == '\n' || c == '\x1f') return true;
    return false;
}

std::string printable(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c == '\r' || c == '\n' || c == '\x1f') c = '?';
    return out;
}

} // namespace

std::string GroupDigits(uint64_t n, bool zeroAsDigit) {
    if (n == 0) return zeroAsDigit ? "0" : "";
    char digits[24];
    int len = 0;
    while (n) {
        digits[len++] = static_cast<char>('0' + n % 10);
        n /= 10;
    }
    std::string out;
    out.reserve(static_cast<size_t>(len + len / 3));
    for (int i = len - 1; i >= 0; --i) {
        out.push_back(digits[i]);
        if (i > 0 && i % 3 == 0) out.push_back(',');
    }
    return out;
}

std::string FormatSize(uint64_t bytes, int width) {
    std::string s = GroupDigits(bytes);
    if (s.empty()) s = "0";
    if (static_cast<int64_t>(s.size()) <= width) s.insert(0, static_cast<size_t>(width) + 1 - s.size(), ' ');
    return s;
}

std::string FormatSize(std::string_view text, int width) {
    // A number with separators is regrouped; any other text keeps its form.
    size_t a = text.find_first_not_of(' ');
    size_t b = text.find_last_not_of(' ');
    std::string_view t = a == std::string_view::npos ? std::string_view() : text.substr(a, b - a + 1);
    bool numeric = !t.empty() && std::any_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; }) &&
                   std::all_of(t.begin(), t.end(), [](char c) { return (c >= '0' && c <= '9') || c == ','; });
    if (numeric || t.empty()) return FormatSize(SizeTextValue(t), width);
    std::string s(t);
    if (static_cast<int64_t>(s.size()) <= width) s.insert(0, static_cast<size_t>(width) + 1 - s.size(), ' ');
    return s;
}

std::vector<std::string> BuildPatternTable(const std::vector<std::string>& patterns) {
    std::vector<std::string> table;
    for (const std::string& p : patterns) {
        if (p.empty()) continue;
        table.push_back(p.find('.') == std::string::npos ? "*." + p : p);
    }
    return table;
}

bool GlobMatch(std::string_view pat, std::string_view name) {
    // Iterative '*' matching with one backtrack point; '?' is any one character.
    size_t p = 0, n = 0, star = std::string_view::npos, mark = 0;
    while (n < name.size()) {
        if (p < pat.size() && pat[p] == '*') {
            star = p++;
            mark = n;
        } else if (p < pat.size() && (pat[p] == '?' || upper(pat[p]) == upper(name[n]))) {
            ++p;
            ++n;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            n = ++mark;
        } else {
            return false;
        }
    }
    while (p < pat.size() && pat[p] == '*') ++p;
    return p == pat.size();
}

bool MatchesFilePattern(std::string_view name, const std::vector<std::string>& table) {
    for (const std::string& p : table) {
        if (p.empty()) continue;
        if (p == "*.*" || GlobMatch(p, name)) return true;
    }
    return false;
}

bool InDateRange(const DateTime& modified, const DateTime& from, const DateTime& to) {
    int d = dayKey(modified);
    return d >= dayKey(from) && d <= dayKey(to);
}

bool InDateRange(const std::string& path, const DateTime& from, const DateTime& to) {
    FileStat st;
    DateTime when{1899, 12, 30, 0, 0, 0};
    if (platform().fileStat(path, st) && st.exists) when = DateTime::fromTimeT(st.modified, true);
    return InDateRange(when, from, to);
}

ListingInput InputFromModel(const MainModel& m) {
    ListingInput in;
    in.from = m.dtFrom;
    in.to = m.dtTo;
    in.folders = m.lstPath.items();
    in.patterns = m.lstXtn.items();
    in.exclusions = m.lvExclude;
    return in;
}

std::string FixedListHeader(const DateTime& t) {
    return ";DR formatted list of files created by Vaultrel - " + formatDate(t, "DDD, dd/m/yyyy hh:mm:ss");
}

// ---- Folder trees -----------------------------------------------------------

namespace {

std::string withoutTrailingSlash(std::string s) {
    while (s.size() > 1 && s.back() == '/') s.pop_back();
    return s;
}

// Adds folder and its tree depth first; stops when halted. Links to folders
// are not entered.
void addTree(MainModel& m, const std::string& folder, std::vector<std::string>& out) {
    if (folder.empty()) return;
    std::vector<std::string> subs;
    bool ok = platform().listFolder(folder, false, [&](const Platform::DirEntry& e) {
        if (e.isDir) subs.emplace_back(e.name, e.nameLen);
        return true;
    });
    if (!ok) return;
    if (out.empty() || out.back() != folder) out.push_back(folder);
    std::string base = folder.back() == '/' ? folder : folder + "/";
    for (const std::string& s : subs) {
        pump(m);
        if (m.halted()) return;
        addTree(m, base + s, out);
    }
}

void applyExclusions(std::vector<std::string>& actual, const std::vector<std::string>& exclusions) {
    for (const std::string& x : exclusions) {
        if (x.empty()) continue;
        actual.erase(std::remove_if(actual.begin(), actual.end(),
                                    [&](const std::string& f) { return f.find(x) != std::string::npos; }),
                     actual.end());
    }
}

} // namespace

bool ExpandPathList(MainModel& m, const std::vector<std::string>& folders, std::vector<std::string>& actual,
                    const std::vector<std::string>& exclusions) {
    actual.clear();
    bool completed = true;
    for (const std::string& entry : folders) {
        if (!entry.empty() && entry.back() == '*') {
            rt().host->setBusy(true);
            std::string root = entry.substr(0, entry.size() - 1);
            addTree(m, root.empty() ? root : withoutTrailingSlash(root), actual);
            pump(m);
            if (m.halted()) {
                rt().host->message("Halting before directory list can be retrieved");
                completed = false;
                break;
            }
        } else {
            actual.push_back(entry);
        }
    }
    applyExclusions(actual, exclusions);
    m.changed(SpecPart::AllPaths);
    return completed;
}

// ---- Rows -------------------------------------------------------------------

void AddFileRow(MainModel& m, std::string_view folder, std::string_view name, const FileFacts& facts,
                uint32_t colour) {
    FileList& files = m.files;
    // Type: the text after the last dot of the full path, upper-cased.
    static thread_local std::string type;
    type.clear();
    size_t dot = name.rfind('.');
    if (dot != std::string_view::npos) {
        type.assign(name.substr(dot + 1));
    } else {
        size_t fdot = folder.rfind('.');
        if (fdot != std::string_view::npos) {
            type.assign(folder.substr(fdot + 1));
            type.append(name);
        }
    }
    for (char& c : type) c = upper(c);

    files.totals.files += 1;
    files.totals.bytes += facts.size;

    std::string size = FormatSize(facts.size, 10);
    char when[32];
    const DateTime& t = facts.modified;
    std::snprintf(when, sizeof when, "%04d-%02d-%02d %02d:%02d", t.year, t.month, t.day, t.hour, t.minute);

    FileList::Fields f{};
    f[Filename] = name;
    f[Path] = folder;
    f[Size] = size;
    f[Type] = type;
    f[Modified] = when;
    try {
        files.append(f, colour);
    } catch (const std::bad_alloc&) {
        rt().host->message("Error adding a file to list - may be out of space");
    }
    int64_t n = files.totals.files;
    if (n == 33 || n == 133 || n == 433 || n == 933) pump(m);
}

namespace {

enum class FolderEnd { Done, CannotOpen, Halted };

FolderEnd listFolder(MainModel& m, const std::string& folder, const DateTime& from, const DateTime& to,
                     const std::vector<std::string>& table, const std::function<bool()>& askHalt) {
    if (folder.empty() || table.empty()) return folder.empty() ? FolderEnd::CannotOpen : FolderEnd::Done;
    std::string dir = folder.back() == '/' ? folder : folder + "/";
    if (badName(dir)) {
        WriteLogLine("Folder left out of the list (its name holds a line break or character 31): " + printable(dir), 0);
        return FolderEnd::Done;
    }
    const int fromKey = dayKey(from), toKey = dayKey(to);
    const bool colours = fileTypeTable().anyColour;
    int64_t added = 0;
    bool halted = false;
    bool ok = platform().listFolder(folder, true, [&](const Platform::DirEntry& e) {
        if (!e.isRegular) return true;
        std::string_view name(e.name, e.nameLen);
        if (!MatchesFilePattern(name, table)) return true;
        FileFacts facts;
        if (e.stat && e.stat->exists) {
            facts.size = e.stat->size;
            facts.modified = DateTime::fromTimeT(e.stat->modified, true);
        } else {
            facts.modified = DateTime{1899, 12, 30, 0, 0, 0};
        }
        int d = dayKey(facts.modified);
        if (d < fromKey || d > toKey) return true;
        if (badName(name)) {
            WriteLogLine("File left out of the list (its name holds a line break or character 31): " + dir +
                             printable(name),
                         0);
            return true;
        }
        AddFileRow(m, dir, name, facts, colours ? DisplayColourOf(name) : 0);
        ++added;
        if (m.halted()) {
            if (!askHalt || askHalt()) {
                halted = true;
                return false;
            }
        }
        if (added % 60 == 0) pump(m);
        return true;
    });
    if (halted) return FolderEnd::Halted;
    return ok ? FolderEnd::Done : FolderEnd::CannotOpen;
}

} // namespace

bool ListFolderFiles(MainModel& m, const std::string& folder, const DateTime& from, const DateTime& to,
                     const std::vector<std::string>& table, bool* opened) {
    FolderEnd end = listFolder(m, folder, from, to, table, {});
    if (opened) *opened = end != FolderEnd::CannotOpen;
    return end == FolderEnd::Done;
}

// ---- One run ------------------------------------------------------------------

bool BuildListing(MainModel& m, const ListingInput& in) {
    // A halt left over from an earlier click must not stop this run.
    m.setHalt(false);
    const std::string backup = rt().sideFile("BackupFiles.DR");
    const std::string home = rt().sideFile("Homestack.DR");
    ::unlink(backup.c_str());
    const std::string header = FixedListHeader(now()) + kCRLF;
    writeSmallFile(backup, header);
    writeSmallFile(home, header);

    FileList& files = m.files;
    files.setSorting(false);
    files.clear();
    files.totals = Totals{};
    rt().host->setBusy(true);

    auto progress = [&](int pct) {
        if (!in.showProgress) return;
        if (in.progress) in.progress(pct);
        else m.setProgress(pct);
    };

    const std::vector<std::string> table = BuildPatternTable(in.patterns);
    // A halted expansion leaves the folder list short: the list is never whole.
    const bool expanded = ExpandPathList(m, in.folders, m.lstAllPaths, in.exclusions);

    {
        std::string text;
        for (const std::string& f : m.lstAllPaths) text += f + "    " + kCRLF;
        writeSmallFile(rt().sideFile("folders.lis"), text);
    }
    pump(m);

    const int64_t n = static_cast<int64_t>(m.lstAllPaths.size());
    bool halted = false;
    for (int64_t i = 1; i <= n && !halted; ++i) {
        progress(static_cast<int>(i * 100 / n));
        if (m.halted() && confirmHalt(m, halfQuestion(i, n))) {
            halted = true;
            break;
        }
        if (i % 30 == 0) pump(m);
        // A copy: a pump inside the scan may let the window change the list.
        const std::string folder = m.lstAllPaths[static_cast<size_t>(i - 1)];
        FolderEnd end = listFolder(m, folder, in.from, in.to, table,
                                   [&] { return confirmHalt(m, halfQuestion(i, n)); });
        if (end == FolderEnd::Halted) halted = true;
        m.setStatus(1, FilesPanelText(files.totals.files));
        m.setStatus(2, BytesPanelText(files.totals.bytes));
        rt().host->repaint();
        if (i % 20 == 0) pump(m);
    }

    if (!halted) {
        if (in.checkAll) files.setAllTagged(true);
        files.setSorting(true);
    }
    files.publish();
    rt().host->setBusy(false);
    return !halted && expanded;
}

bool BuildListing(MainModel& m, bool checkAll) {
    ListingInput in = InputFromModel(m);
    in.checkAll = checkAll;
    return BuildListing(m, in);
}

// ---- Date range ---------------------------------------------------------------

void DateRangeClick(MainModel& m) {
    const DateTime t = now();
    switch (m.dateRangeIndex) {
    case AnyDates:
        m.dtFrom = DateTime{1984, 1, 1, 0, 0, 0};
        m.dtTo = DateTime{2999, 12, 31, 0, 0, 0};
        break;
    case LastYear: m.dtFrom = t.addDays(-365); m.dtTo = t; break;
    case LastMonth: m.dtFrom = t.addDays(-31); m.dtTo = t; break;
    case LastWeek: m.dtFrom = t.addDays(-7); m.dtTo = t; break;
    case Last3Days: m.dtFrom = t.addDays(-3); m.dtTo = t; break;
    case TodayOnly: m.dtFrom = t; m.dtTo = t; break;
    case CustomRange:
        if (!m.loading) rt().host->message("Use the dates in the side panel ('view Specification panel' from options menu)");
        m.dateRangeToolTip = "Custom Date from " + dmy(m.dtFrom) + " to " + dmy(m.dtTo);
        break;
    default: return;
    }
    m.changed(SpecPart::Dates);
    if (!m.loading) RefreshDirrollFromSelectedDates(m);
}

void SelectDateRange(MainModel& m, int index) {
    m.dateRangeIndex = (index >= 0 && index < static_cast<int>(kDateRangeNames.size())) ? index : -1;
    m.changed(SpecPart::DateRange);
    DateRangeClick(m);
}

void DatePickerChanged(MainModel& m) {
    m.loading = true;
    SelectDateRange(m, CustomRange);
    m.loading = false;
    if (!m.menus.pauseAutoRefresh) RefreshDirrollFromSelectedDates(m);
}

namespace {
void deleteSavedList(const MainModel& m) {
    const std::string name = m.profileText();
    if (name.empty()) return;
    const std::string path = ResolveOnDisk(rt().sideFile(name + ".DR"));
    ::unlink(path.c_str());
}
} // namespace

void RefreshDirrollFromSelectedDates(MainModel& m) {
    deleteSavedList(m);
    BuildListing(m, false);
    UpdateFileStatus(m);
}

void RefreshCommand(MainModel& m) {
    m.setHalt(false);
    m.showProgress(true);
    const std::string name = m.profileText();
    if (name.empty()) {
        // No current profile (one opened from elsewhere): rebuild what the window holds.
        BuildListing(m, false);
    } else {
        deleteSavedList(m);
        m.txtHiddenProfileName = name;
        m.setProfileEnabled(false);
        RunProfile(m, name);
        m.setProfileEnabled(true);
    }
    UpdateFileStatus(m);
    m.showProgress(false);
}

void RefreshWithAnyDates(MainModel& m) {
    m.setHalt(false);
    m.showProgress(true);
    const bool wasLoading = m.loading;
    m.loading = false;
    SelectDateRange(m, AnyDates); // as a choice, this refreshes once
    m.loading = wasLoading;
    m.showProgress(false);
}

void RefreshClearExcluded(MainModel& m) {
    m.lvExclude.clear();
    m.clearExcludedEnabled = false;
    m.changed(SpecPart::Exclusions);
    FileSaveProfile(m);
    RefreshCommand(m);
}

void HaltCommand(MainModel& m) {
    m.setHalt(true);
    m.setStatus(3, m.status(3) + " - Operation Halted by user");
    if (m.stopWebLoading) m.stopWebLoading();
    rt().host->setBusy(false);
}

} // namespace dr::roll
