#include "dirroll/profiles.h"

#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "common/format.h"
#include "common/log.h"
#include "common/runtime.h"
#include "dirroll/listing.h"
#include "dirroll/saved_list.h"

namespace dr::roll {

const char* const kProgramTitle = "Quendal Vidazidev Dirroller";

namespace {

const char* const kSupportWeb = "https://www.quendal.example/dirroller";
const char* const kSupportMail = "support@quendal.example";

std::string fileNameOf(const std::string& path) {
    size_t s = path.rfind('/');
    return s == std::string::npos ? path : path.substr(s + 1);
}

bool exists(const std::string& path) {
    FileStat st;
    return platform().fileStat(path, st) && st.exists;
}

std::string mdy(const DateTime& t) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", t.month, t.day, t.year);
    return buf;
}

std::string dmy(const DateTime& t) { return formatDate(t, "d-MMM-yyyy"); }

// A date from the last ten characters of a line, as mm/dd/yyyy.
bool parseMDY(std::string_view line, DateTime& out) {
    while (!line.empty() && line.back() == ' ') line.remove_suffix(1);
    if (line.size() < 10) return false;
    std::string_view d = line.substr(line.size() - 10);
    auto num = [&](size_t at, size_t len, int& v) {
        v = 0;
        for (size_t i = at; i < at + len; ++i) {
            if (d[i] < '0' || d[i] > '9') return false;
            v = v * 10 + (d[i] - '0');
        }
        return true;
    };
    int m, day, y;
    if (d[2] != '/' || d[5] != '/' || !num(0, 2, m) || !num(3, 2, day) || !num(6, 4, y)) return false;
    DateTime t{y, m, day, 0, 0, 0};
    if (!t.valid()) return false;
    out = t;
    return true;
}

std::vector<std::string> readLines(const std::string& path, bool& ok) {
    std::ifstream in(path, std::ios::binary);
    ok = static_cast<bool>(in);
    std::vector<std::string> lines;
    if (!ok) return lines;
    std::ostringstream ss;
    ss << in.rdbuf();
    const std::string text = ss.str();
    size_t at = 0;
    while (at < text.size()) {
        size_t e = text.find_first_of("\r\n", at);
        if (e == std::string::npos) e = text.size();
        lines.push_back(text.substr(at, e - at));
        if (e < text.size() && text[e] == '\r' && e + 1 < text.size() && text[e + 1] == '\n') ++e;
        at = e + 1;
    }
    return lines;
}

bool writeLines(const std::string& path, const std::vector<std::string>& lines, std::string* why = nullptr) {
    AtomicFile f;
    if (!f.open(path)) {
        if (why) *why = f.error();
        return false;
    }
    for (const std::string& l : lines) {
        f.write(l);
        f.write("\r\n");
    }
    if (!f.commit()) {
        if (why) *why = f.error();
        return false;
    }
    return true;
}

void saveError(const std::string& path, const std::string& description) {
    const std::string head = "An error occurred saving the profile '" + path + "' ERR=";
    WriteLogLine(head + description, 0);
    rt().host->message(head + "\r\n" + description, "Error Saving Profile", Buttons::OK, Icon::Information);
}

} // namespace

// ---- Names on disk -------------------------------------------------------------

std::string ResolveOnDisk(const std::string& path) {
    if (exists(path)) return path;
    size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0) return path;
    std::string_view stem(name.data(), dot + 1); // the name and its dot, matched exactly
    std::string found;
    platform().listFolder(folder, false, [&](const Platform::DirEntry& e) {
        std::string_view n(e.name, e.nameLen);
        if (n.size() == name.size() && n.substr(0, stem.size()) == stem && iequals(n.substr(stem.size()), std::string_view(name).substr(stem.size()))) {
            found.assign(n);
            return false;
        }
        return true;
    });
    if (found.empty()) return path;
    return (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + found;
}

// ---- Loading ---------------------------------------------------------------------

void WriteSpecSideFiles(const MainModel& w, bool withExclusions) {
    if (w.unattended) return;
    writeLines(rt().sideFile("ff_paths.lis"), w.lstPath.items());
    writeLines(rt().sideFile("ff_specs.lis"), w.lstXtn.items());
    if (withExclusions) writeLines(w.excludedPathsPath(), w.lvExclude);
}

bool LoadProfile(MainModel& w, const std::string& pathIn) {
    w.loading = true;
    w.lstPath.clear();
    w.lstXtn.clear();
    w.lvExclude.clear();
    const std::string path = ResolveOnDisk(pathIn);
    bool ok = false;
    std::vector<std::string> lines;
    if (exists(path)) lines = readLines(path, ok);
    if (!ok) {
        w.changed(SpecPart::Paths);
        w.changed(SpecPart::Patterns);
        w.changed(SpecPart::Exclusions);
        rt().host->message("Cant find the profile \r\n " + pathIn);
        w.loading = false;
        return false;
    }
    const DateTime t = now();
    for (const std::string& line : lines) {
        if (line.empty()) continue;
        const char type = static_cast<char>(std::toupper(static_cast<unsigned char>(line[0])));
        const std::string value = line.substr(1);
        switch (type) {
        case 'P': w.lstPath.add(value); break;
        case 'X': w.lstXtn.add(value); break;
        case '~': w.lvExclude.push_back(value); break;
        case 'S':
            if (value.size() > 3) {
                DateTime d;
                if (parseMDY(line, d)) {
                    w.dtFrom = d;
                    SelectDateRange(w, CustomRange);
                }
            } else {
                const std::string v = Trim(value);
                int n = 0;
                for (char c : v) {
                    if (c < '0' || c > '9') break;
                    n = n * 10 + (c - '0');
                }
                w.dtFrom = t.addDays(-n);
                int choice = -1;
                if (v == "1") choice = TodayOnly;
                else if (v == "3") choice = Last3Days;
                else if (v == "7") choice = LastWeek;
                else if (v == "30" || v == "31") choice = LastMonth;
                else if (v == "364" || v == "365") choice = LastYear;
                if (choice >= 0) SelectDateRange(w, choice);
                w.dateRangeToolTip.clear();
            }
            break;
        case 'E':
            if (iequals(Trim(value), "TODAY")) {
                w.dtTo = t;
            } else {
                DateTime d;
                if (!parseMDY(line, d)) break;
                w.dtTo = d;
                // The old profiles wrote Any Dates as 01/01/1984 to 12/31/2020.
                const bool oldAnyDates = w.dtFrom.dateOnly() == DateTime{1984, 1, 1, 0, 0, 0} &&
                                         d == DateTime{2020, 12, 31, 0, 0, 0};
                if (w.dtFrom < DateTime{1985, 1, 1, 0, 0, 0} && (w.dtTo > t || oldAnyDates)) {
                    SelectDateRange(w, AnyDates);
                    w.dateRangeToolTip = "Any Date  ";
                } else {
                    SelectDateRange(w, CustomRange);
                    w.dateRangeToolTip = "Custom Date from " + dmy(w.dtFrom) + " to " + dmy(w.dtTo);
                }
            }
            break;
        case ';': case '\'': case ':': case '*':
            pump(w);
            break;
        default: break;
        }
    }
    w.changed(SpecPart::Paths);
    w.changed(SpecPart::Patterns);
    w.changed(SpecPart::Exclusions);
    w.changed(SpecPart::Dates);
    WriteSpecSideFiles(w, false);
    w.loading = false;
    return true;
}

// ---- Saving ------------------------------------------------------------------------

std::vector<std::string> ProfileLines(const std::vector<std::string>& paths, const std::vector<std::string>& patterns,
                                      const std::vector<std::string>& exclusions, const std::string& startLine,
                                      const std::string& endLine) {
    std::vector<std::string> l = {
        "; Profile for Quendal Vidazidev Dirroller - " + GetVersionString(),
        std::string(";  for support visit ") + kSupportWeb,
        std::string(";  or email ") + kSupportMail,
        "; ",
        "; --------------------------------------------------------------",
        "; Format of Profiles: ",
        ";   Line starting with 'S' is the start date of the file",
        ";   Line starting with 'E' is the end date of the file",
        ";   Line starting with 'P' is a path to include in the list",
        ";   Line starting with '~' is text to exclude from the list",
        ";   Line starting with 'X' is a file pattern to include",
        "; ",
        "; --------------------------------------------------------------",
        "",
        "",
        "; Start Date of Files",
        startLine,
        "",
        "; End Date of Files",
        endLine,
        "",
        "",
        "; Directories to Scan ",
        "",
    };
    for (const std::string& p : paths) l.push_back("P" + Trim(p));
    l.push_back("");
    l.push_back("; Extensions (eg EXE, DOC, MP3 )");
    for (const std::string& x : patterns)
        if (!Trim(x).empty()) l.push_back("X" + Trim(x));
    l.push_back("");
    l.push_back("");
    l.push_back("; Excluded Paths and Strings");
    for (const std::string& e : exclusions)
        if (!Trim(e).empty()) l.push_back("~" + Trim(e));
    l.push_back("");
    l.push_back("");
    return l;
}

bool SaveProfile(const std::vector<std::string>& paths, const std::vector<std::string>& patterns,
                 const std::vector<std::string>& exclusions, const std::string& path, const std::string& startLine,
                 const std::string& endLine) {
    std::string why;
    if (!writeLines(ResolveOnDisk(path), ProfileLines(paths, patterns, exclusions, startLine, endLine), &why)) {
        saveError(path, why);
        return false;
    }
    return true;
}

bool SaveProfile(const MainModel& w, const std::string& path, const std::string& startLine,
                 const std::string& endLine) {
    return SaveProfile(w.lstPath.items(), w.lstXtn.items(), w.lvExclude, path, startLine, endLine);
}

std::pair<std::string, std::string> DateLinesFor(const MainModel& w) {
    switch (w.dateRangeIndex) {
    case AnyDates: return {"S01/01/1984", "E12/31/2999"};
    case LastYear: return {"S365", "Etoday"};
    case LastMonth: return {"S31", "Etoday"};
    case LastWeek: return {"S7", "Etoday"};
    case Last3Days: return {"S3", "Etoday"};
    case TodayOnly: return {"S1", "Etoday"};
    case CustomRange: return {"S" + mdy(w.dtFrom), "E" + mdy(w.dtTo)};
    default: return {"", ""};
    }
}

// ---- Listing and running -------------------------------------------------------------

std::vector<std::string> ProfileFiles() {
    std::vector<std::string> names;
    platform().listFolder(rt().programFolder, false, [&](const Platform::DirEntry& e) {
        std::string_view n(e.name, e.nameLen);
        if (!e.isDir && n.size() > 4 && iendsWith(n, ".pro")) names.emplace_back(n);
        return true;
    });
    return names;
}

void ListProfiles(MainModel& w) {
    std::vector<std::string> names = ProfileFiles();
    for (std::string& n : names) n.resize(n.size() - 4);
    w.setProfiles(std::move(names));
}

void RunProfile(MainModel& w, const std::string& name) {
    w.profileSwitching = true;
    ListProfiles(w);
    pump(w);
    int i = w.findProfile(name);
    SelectProfileIndex(w, i >= 0 ? i : (w.profiles.empty() ? -1 : 0));
    w.profileSwitching = false;
    const std::string profile = w.profileText();

    const std::string cache = ResolveOnDisk(rt().sideFile(profile + ".DR"));
    w.setCaption(std::string(kProgramTitle) + " - Loading new Profile...");
    LoadProfile(w, rt().sideFile(profile + ".pro"));

    bool shown = false;
    if (!profile.empty() && exists(cache)) {
        WriteSpecSideFiles(w);
        w.lstAllPaths.assign(1, "[using Saved Dirroll]");
        w.changed(SpecPart::AllPaths);
        pump(w);
        // A file that is not a saved list is rebuilt like a missing one.
        if (LoadSavedList(w, cache) != LoadResult::NotAList) {
            w.setCaption(std::string(kProgramTitle) + " - '" + profile + "' (last refreshed on " +
                         LastRefreshedText(cache) + " click refresh to update list)");
            shown = true;
        }
    }
    if (shown) return; // the saved list is left as it is, date and records

    bool completed = BuildListing(w, false);
    // The caption first, so the status bar does not keep "Loading new Profile...".
    w.setCaption(std::string(kProgramTitle) + " - " + profile);
    UpdateFileStatus(w);
    WriteSpecSideFiles(w);
    // Only a whole list replaces the saved one.
    if (completed && !profile.empty()) SaveListViewToDATFile(w.files, cache);
}

void ProfileClick(MainModel& w) {
    if (w.profileIndex < 0 || w.profileSwitching) return;
    const std::string name = w.profileText();
    w.txtHiddenProfileName = name;
    w.setProfileEnabled(false);
    RunProfile(w, name);
    w.setProfileEnabled(true);
}

void SelectProfileIndex(MainModel& w, int i) {
    w.setProfileIndex(i);
    ProfileClick(w);
}

void SetupProfile(MainModel& w, const std::string& text) {
    const std::string path = iendsWith(text, ".PRO") ? text : rt().sideFile(text + ".pro");
    LoadProfile(w, path);
    WriteSpecSideFiles(w);
    pump(w);
    const bool paused = w.menus.pauseAutoRefresh;
    if (paused) {
        w.setStatus(3, "AUTOREFRESH IS TURNED OFF - Dirroll has not been refreshed");
    } else {
        w.setHalt(false);
        w.showProgress(true);
        BuildListing(w, false);
        UpdateFileStatus(w);
        w.showProgress(false);
    }
    w.files.setAllTagged(false);
    w.files.totals.taggedFiles = 0;
    w.files.totals.taggedBytes = 0;
    // The status update would cover the paused notice.
    if (!paused) UpdateFileStatus(w);
}

// ---- File menu -----------------------------------------------------------------------

void FileNewProfile(MainModel& w) {
    ::unlink(rt().sideFile("ff_paths.lis").c_str());
    ::unlink(rt().sideFile("ff_specs.lis").c_str());
    w.lstPath.clear();
    w.lstXtn.clear();
    w.lvExclude.clear();
    const DateTime t = now();
    w.dtFrom = t.addDays(-14);
    w.dtTo = t;
    w.changed(SpecPart::Paths);
    w.changed(SpecPart::Patterns);
    w.changed(SpecPart::Exclusions);
    w.changed(SpecPart::Dates);
    if (w.profileEditor) w.profileEditor(w, "New Profile");
    RunProfile(w, w.txtHiddenProfileName);
}

void FileOpenProfile(MainModel& w) {
    FileDialogRequest req;
    req.title = "Choose Profile to Open";
    req.startFolder = rt().programFolder;
    req.fileName = "*.pro";
    req.defaultExt = "pro";
    req.filter = "Profiles (*.pro)|*.pro";
    rt().host->setBusy(true);
    std::optional<std::string> chosen = rt().host->openFileDialog(req);
    if (!chosen || chosen->empty() || *chosen == "*.pro") {
        rt().host->setBusy(false);
        return;
    }
    const std::string path = *chosen;
    std::string name = fileNameOf(path);
    if (iendsWith(name, ".pro")) name.resize(name.size() - 4);
    w.txtHiddenProfileName = name;
    // A profile of the program folder runs as one; folder names keep their case.
    const bool inProgramFolder = path.size() > 4 && iendsWith(path, ".pro") &&
                                 path.substr(0, path.size() - 4) == rt().sideFile(name);
    if (inProgramFolder) {
        RunProfile(w, name);
    } else {
        w.setCaption(std::string(kProgramTitle) + " - Loading new Profile...");
        SetupProfile(w, path);
        w.setCaption(std::string(kProgramTitle) + " - " + path);
        WriteSpecSideFiles(w, false);
        w.profileSwitching = false;
        w.setProfileIndex(-1);
    }
    rt().host->setBusy(false);
}

void FileSaveProfile(MainModel& w) {
    std::string path;
    const std::string current = w.profileText();
    if (!current.empty()) {
        path = rt().sideFile(current + ".pro");
    } else {
        std::optional<std::string> answer =
            rt().host->inputBox("Enter name for current settings", "Saving Profile", "new profile");
        if (!answer || answer->empty()) return;
        path = rt().sideFile(*answer + ".pro");
        if (answer->find('/') != std::string::npos) {
            saveError(path, "a profile name cannot hold '/'");
            return;
        }
    }
    auto [start, end] = DateLinesFor(w);
    SaveProfile(w, path, start, end);
}

void FileSaveProfileAs(MainModel& w) {
    FileDialogRequest req;
    req.title = "Choose a name to save the Profile as";
    req.startFolder = rt().programFolder;
    req.fileName = "*.PRO";
    req.defaultExt = "PRO";
    req.filter = "Profiles (*.PRO)|*.PRO";
    std::optional<std::string> chosen = rt().host->saveFileDialog(req);
    if (!chosen || chosen->empty() || *chosen == "*.PRO") return;
    std::string path = *chosen;
    if (fileNameOf(path).find('.') == std::string::npos) path += ".PRO";
    SaveProfile(w, path, "S" + mdy(w.dtFrom), "E" + mdy(w.dtTo));
    std::string name = fileNameOf(path);
    if (iendsWith(name, ".pro")) name.resize(name.size() - 4);
    w.txtHiddenProfileName = name;
    RunProfile(w, name);
}

} // namespace dr::roll
