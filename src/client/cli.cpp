#include <cstdio>
#include "client/cli.h"

#include <exception>
#include <optional>

#include "client/client_settings.h"
#include "client/list_model.h"
#include "client/search.h"
#include "client/server_update.h"
#include "client/summary.h"
#include "common/format.h"
#include "common/log.h"
#include "common/runtime.h"
#include "common/text.h"

namespace dr::client {

namespace {

constexpr int kFound = 0, kNothing = 1, kError = 2;

enum class Command { None, Search, Summary, Lists, Update, Help, Version };

struct Options {
    Command command = Command::None;
    std::string words;
    std::optional<std::string> list, type, range, from, to, owner, limit, style, html;
};

struct UsageError {
    std::string text;
};

bool allDigits(const std::string& s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

// A small whole number option in [lo, hi].
int64_t numberOption(const char* name, const std::string& v, int64_t lo, int64_t hi) {
    int64_t n = 0;
    if (!allDigits(v) || !parseInt64(v, n) || n < lo || n > hi)
        throw UsageError{std::string(name) + " wants a number from " + std::to_string(lo) + " to " +
                         std::to_string(hi) + ", not '" + v + "'"};
    return n;
}

Options parse(const std::vector<std::string>& args) {
    Options o;
    auto setCommand = [&](Command c, const std::string& arg) {
        if (o.command != Command::None && o.command != c) throw UsageError{"'" + arg + "' cannot be combined with another command"};
        o.command = c;
    };
    for (size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        std::optional<std::string> inlineValue;
        if (arg.rfind("--", 0) == 0) {
            if (auto eq = arg.find('='); eq != std::string::npos) {
                inlineValue = arg.substr(eq + 1);
                arg.resize(eq);
            }
        }
        auto value = [&]() -> std::string {
            if (inlineValue) return *inlineValue;
            if (i + 1 >= args.size()) throw UsageError{arg + " needs a value"};
            return args[++i];
        };
        auto flag = [&](Command c) {
            if (inlineValue) throw UsageError{arg + " takes no value"};
            setCommand(c, arg);
        };
        if (arg == "--search" || arg == "-s") {
            setCommand(Command::Search, arg);
            o.words = value();
        } else if (arg == "--summary") flag(Command::Summary);
        else if (arg == "--lists") flag(Command::Lists);
        else if (arg == "--update") flag(Command::Update);
        else if (arg == "--help" || arg == "-h") flag(Command::Help);
        else if (arg == "--version") flag(Command::Version);
        else if (arg == "--list") o.list = value();
        else if (arg == "--type") o.type = value();
        else if (arg == "--range") o.range = value();
        else if (arg == "--from") o.from = value();
        else if (arg == "--to") o.to = value();
        else if (arg == "--owner") o.owner = value();
        else if (arg == "--limit") o.limit = value();
        else if (arg == "--style") o.style = value();
        else if (arg == "--html") o.html = value();
        else throw UsageError{"unknown option '" + args[i] + "'"};
    }
    if (o.command == Command::None) throw UsageError{"say what to do: --search, --summary, --lists or --update"};
    if (o.command != Command::Search && (o.type || o.range || o.from || o.to || o.owner || o.limit || o.style || o.html))
        throw UsageError{"--type, --range, --from, --to, --owner, --limit, --style and --html go with --search"};
    if (o.range && (o.from || o.to)) throw UsageError{"--range or --from/--to, not both"};
    if (o.list && o.command != Command::Search && o.command != Command::Summary)
        throw UsageError{"--list goes with --search or --summary"};
    return o;
}

// A day written yyyy-mm-dd.
DateTime dateOption(const char* name, const std::string& text) {
    DateTime d;
    char tail = 0;
    if (text.size() != 10 || std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &d.year, &d.month, &d.day, &tail) != 3 ||
        text[4] != '-' || text[7] != '-' || !d.valid())
        throw UsageError{std::string(name) + " takes a day written yyyy-mm-dd, not '" + text + "'"};
    return d;
}

std::string nameOfList(const std::string& path) {
    std::string name = ExtractFileName(path);
    if (auto dot = name.rfind('.'); dot != std::string::npos) name.resize(dot);
    return name;
}

// --list NAME|PATH, else the remembered list, else the newest one; "" with a reason.
std::string resolveList(const std::optional<std::string>& given, std::string& why) {
    if (!given) {
        std::string list = RememberedList();
        if (list.empty()) list = NewestList();
        if (list.empty()) why = "no saved lists in " + rt().programFolder;
        return list;
    }
    const std::string& g = *given;
    FileStat st;
    if (g.find('/') != std::string::npos || (platform().fileStat(g, st) && st.isRegular)) {
        if (platform().fileStat(g, st) && st.isRegular) return g;
        why = "no such list file: " + g;
        return {};
    }
    std::vector<SavedList> lists = FindSavedLists();
    for (const SavedList& l : lists)
        if (l.name == g || ExtractFileName(l.path) == g) return l.path;
    for (const SavedList& l : lists)
        if (iequals(l.name, g) || iequals(ExtractFileName(l.path), g)) return l.path;
    why = "no list named '" + g + "' in " + rt().programFolder + " (see --lists)";
    return {};
}

std::vector<std::string> ownerCombo() {
    std::vector<std::string> owners{kAnyUser};
    for (std::string& u : LoadUsersFile()) owners.push_back(std::move(u));
    return owners;
}

int runSearch(const Options& o, std::ostream& out, std::ostream& err) {
    const ClientSettings& s = settings();
    SearchRequest req;
    req.searchText = o.words;
    std::string why;
    req.listPath = resolveList(o.list, why);
    if (req.listPath.empty()) {
        err << "dr-client: " << why << "\n";
        return kError;
    }
    req.listName = nameOfList(req.listPath);

    if (o.type) {
        if (allDigits(*o.type)) {
            int idx = static_cast<int>(numberOption("--type", *o.type, 0, kTypeChoose - 1));
            req.typeText = TypeEntries()[idx];
            req.typeFilter = TypeFilterFor(idx);
        } else {
            req.typeText = TypeEntries()[kTypeChoose];
            req.typeFilter = *o.type;
        }
    }
    if (o.range) {
        int idx = static_cast<int>(numberOption("--range", *o.range, 0, kRangeCustom - 1));
        req.rangeText = DateRangeEntries()[idx];
        DateRangeFor(idx, now(), req.from, req.to);
    }
    if (o.from || o.to) {
        // The custom range of the window's date frame, by whole days.
        req.rangeText = DateRangeEntries()[kRangeCustom];
        req.from = o.from ? dateOption("--from", *o.from) : DateTime{1980, 1, 1, 0, 0, 0};
        if (o.to) {
            req.to = dateOption("--to", *o.to);
            req.to.hour = 23; // the whole last day
            req.to.minute = 59;
        } else {
            req.to = now();
        }
    }
    if (o.owner) req.owner = o.owner->empty() ? std::string(kAnyUser) : *o.owner;
    req.maxResults = o.limit ? numberOption("--limit", *o.limit, 0, INT64_MAX) : s.maxResults;
    req.style = o.style ? static_cast<int>(numberOption("--style", *o.style, 0, 3)) : 0;
    req.showMissing = s.showMissing;
    req.previewSize = s.previewSize;
    req.askQuestions = false;
    // In memory: an open window's work files stay as they are.
    req.workPath.clear();
    req.foldersPath.clear();
    req.pagePath = o.html.value_or("");

    SearchOutcome r = RunSearch(req);
    switch (r.status) {
    case SearchOutcome::Status::Done: break;
    case SearchOutcome::Status::Cancelled: return kNothing;
    default:
        err << "dr-client: cannot search " << req.listPath << "\n";
        return kError;
    }
    for (const ResultEntry& e : r.results) out << e.path << "\n";
    out.flush();
    if (o.html && !r.pageWritten) {
        err << "dr-client: could not write " << *o.html << "\n";
        return kError;
    }
    return r.count > 0 ? kFound : kNothing;
}

int runSummary(const Options& o, std::ostream& out, std::ostream& err) {
    std::string why;
    std::string list = resolveList(o.list, why);
    if (list.empty()) {
        err << "dr-client: " << why << "\n";
        return kError;
    }
    std::string page = SummaryPathOf(list);
    if (!BuildListSummary(list, page, ownerCombo())) {
        err << "dr-client: no summary of " << list << "\n";
        return kError;
    }
    out << page << "\n";
    return kFound;
}

int runLists(std::ostream& out) {
    std::vector<SavedList> lists = FindSavedLists();
    for (const SavedList& l : lists) {
        out << l.name << '\t' << formatDate(l.modified, "yyyy-mm-dd hh:mm");
        if (l.outOfDate) out << '\t' << Trim(kOutOfDateMark);
        out << "\n";
    }
    return lists.empty() ? kNothing : kFound;
}

int runUpdate(std::ostream& out, std::ostream& err) {
    ClientSettings& s = settings();
    if (s.serverUpdatePath.empty()) {
        appLog().log("Blank Server path, so not updating", 0);
        err << "dr-client: no server folder set (ServerUpdatePath in " << s.iniPath << ")\n";
        return kError;
    }
    ServerUpdateResult r = RunServerUpdate(nullptr, s);
    switch (r.check) {
    case FolderCheck::Exists:
        out << r.updated << (r.updated == 1 ? " list" : " lists") << " updated from " << s.serverUpdatePath << "\n";
        return kFound;
    case FolderCheck::Missing:
        err << "dr-client: server folder not found: " << s.serverUpdatePath << "\n";
        return kError;
    case FolderCheck::Error: break;
    }
    err << "dr-client: server folder not responding: " << s.serverUpdatePath << "\n";
    return kError;
}

} // namespace

std::string CliUsage() {
    return "Usage: dr-client                       open the window\n"
           "       dr-client --search \"WORDS\" [--list NAME|PATH] [--type INDEX|\".EXT ...\"] [--range INDEX]\n"
           "                 [--from yyyy-mm-dd] [--to yyyy-mm-dd] [--owner NAME] [--limit N]\n"
           "                 [--style 0-3] [--html FILE]\n"
           "       dr-client --summary [--list NAME|PATH]\n"
           "       dr-client --lists | --update | --help | --version\n"
           "\n"
           "--search   prints the full path of every file whose list line holds all the words\n"
           "           (exit 0 found, 1 nothing found, 2 error); --html also writes the results page\n"
           "--list     a saved list by name (see --lists) or path; default: the list last chosen,\n"
           "           else the newest\n"
           "--type     0 All File Types, 1 Documents, 2 web Pages, 3 Pictures, 4 Music,\n"
           "           5 Database files, 6 Source Code, or extensions such as \".TXT .LOG\"\n"
           "--range    0 over a Week ago, 1 over a Month ago, 2 over a year ago, 3 At any time,\n"
           "           4 since the last Year, 5 since the last Month, 6 since the last Week\n"
           "--from, --to  only files modified on these days or between them (a custom range;\n"
           "           --from alone runs to today)\n"
           "--owner    only files of this owner (and EVERYONE)\n"
           "--limit    at most N results (0: no limit; default: maxresults of dr-client.ini)\n"
           "--style    the page's style: 0 Web Style, 1 Single Line, 2 Table mode, 3 Preview mode\n"
           "--summary  writes the list's summary page beside it and prints its path\n"
           "--lists    prints the saved lists with their dates and out-of-date marks\n"
           "--update   copies newer lists and users.txt from the server folder\n";
}

bool WantsCli(const std::vector<std::string>& args) { return !args.empty(); }

int runClientCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    Options o;
    try {
        o = parse(args);
        switch (o.command) {
        case Command::Help: out << CliUsage(); return kFound;
        case Command::Version: out << "dr-client " << getAppVersionNum() << "\n"; return kFound;
        default: break;
        }
        LoadClientSettings(settings());
        switch (o.command) {
        case Command::Search: return runSearch(o, out, err);
        case Command::Summary: return runSummary(o, out, err);
        case Command::Lists: return runLists(out);
        case Command::Update: return runUpdate(out, err);
        default: return kError;
        }
    } catch (const UsageError& e) {
        err << "dr-client: " << e.text << "\n" << "Try 'dr-client --help'.\n";
        return kError;
    } catch (const std::exception& e) {
        err << "dr-client: " << e.what() << "\n";
        return kError;
    }
}

} // namespace dr::client
