// Writes a saved list of realistic records for the client's benchmarks:
// office shares and home folders, names with spaces and numbers, sizes from
// empty to gigabytes, dates from 1998 to this year, about forty owners.
//
//   bench_client_gen <list.DR> [records] [real]
//
// The first `real` records (default 0) are created as empty files under the
// list's folder, so searches that find them have results to show; the others
// point into that folder too but do not exist. users.txt is written beside
// the list.
#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

uint64_t state = 0x9E3779B97F4A7C15ULL;
uint64_t rnd() {
    uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}
uint64_t below(uint64_t n) { return rnd() % n; }
template <size_t N>
const char* pick(const char* const (&a)[N]) {
    return a[below(N)];
}

const char* const kOwners[] = {
    "alice",   "bob",     "carol",   "dave",    "erin",    "frank",   "grace",   "heidi",   "ivan",    "judy",
    "mallory", "niaj",    "olivia",  "peggy",   "rupert",  "sybil",   "trent",   "victor",  "walter",  "xavier",
    "yasmin",  "zoe",     "amir",    "bianca",  "chen",    "dmitri",  "elena",   "farah",   "gunnar",  "hana",
    "igor",    "jamal",   "kenji",   "lucia",   "mateo",   "nadia",   "oscar",   "priya",   "quentin", "rosa"};
const char* const kDepts[] = {"Finance",   "HR",      "Sales",    "Engineering", "Marketing", "Legal",
                              "IT",        "Operations", "Projects", "Archive",   "Board",     "Research"};
const char* const kSub[] = {"Reports",  "Invoices",  "Contracts", "Minutes",   "Drafts",   "old",      "Photos",
                            "Clients",  "Acme Ltd",  "Q1",        "Q2",        "Q3",       "Q4",       "Budgets",
                            "Templates", "Presentations", "src",   "build",     "docs",     "Scans",    "Holiday",
                            "Training", "Policies",  "Suppliers", "Payroll",   "Audit",    "Backup",   "Misc"};
const char* const kHome[] = {"Documents", "Pictures", "Music", "Downloads", "Desktop", "Videos"};
const char* const kWords[] = {"report",   "budget",  "invoice", "minutes",  "meeting",  "draft",    "final",
                              "summary",  "letter",  "contract", "proposal", "notes",   "plan",     "forecast",
                              "review",   "agenda",  "quote",   "order",    "statement", "policy",  "memo",
                              "schedule", "roadmap", "survey",  "results",  "analysis", "customer", "supplier",
                              "project",  "annual",  "monthly", "weekly",   "travel",   "expenses", "timesheet",
                              "training", "handbook", "presentation", "sales", "marketing", "design", "brief"};
struct Ext {
    const char* ext;
    int weight;
};
const Ext kExts[] = {{"doc", 14}, {"docx", 10}, {"xls", 9}, {"xlsx", 7}, {"pdf", 12}, {"jpg", 12}, {"JPG", 4},
                     {"png", 4},  {"gif", 2},   {"bmp", 1}, {"mp3", 5},  {"wav", 1},  {"txt", 5},  {"htm", 2},
                     {"html", 2}, {"xml", 1},   {"c", 1},   {"cpp", 1},  {"h", 1},    {"bas", 1},  {"zip", 3},
                     {"msg", 3},  {"ppt", 3},   {"mdb", 1}, {"dbf", 1},  {"vsd", 1},  {"log", 2},  {"csv", 2}};

const char* pickExt() {
    static int total = [] {
        int t = 0;
        for (const Ext& e : kExts) t += e.weight;
        return t;
    }();
    int r = int(below(uint64_t(total)));
    for (const Ext& e : kExts)
        if ((r -= e.weight) < 0) return e.ext;
    return "doc";
}

std::string upper(const char* s) {
    std::string u(s);
    for (char& c : u) c = char(c >= 'a' && c <= 'z' ? c - 32 : c);
    return u;
}

std::string capital(const char* s) {
    std::string u(s);
    if (!u.empty() && u[0] >= 'a' && u[0] <= 'z') u[0] = char(u[0] - 32);
    return u;
}

// Thousands separators, right-aligned in 11 characters.
std::string sizeText(uint64_t v) {
    std::string d = std::to_string(v), g;
    for (size_t i = 0; i < d.size(); ++i) {
        if (i && (d.size() - i) % 3 == 0) g += ',';
        g += d[i];
    }
    if (g.size() < 11) g.insert(0, 11 - g.size(), ' ');
    return g;
}

std::string fileName(const char* ext) {
    char buf[160];
    std::string e(ext);
    if (e == "jpg" || e == "JPG" || e == "png") {
        std::snprintf(buf, sizeof buf, below(2) ? "IMG_%04u.%s" : "DSC%05u.%s", unsigned(below(10000)), ext);
    } else if (e == "mp3" || e == "wav") {
        std::snprintf(buf, sizeof buf, "%02u - %s %s.%s", unsigned(1 + below(14)), capital(pick(kWords)).c_str(),
                      pick(kWords), ext);
    } else if (e == "c" || e == "cpp" || e == "h" || e == "bas") {
        std::snprintf(buf, sizeof buf, "%s_%s.%s", pick(kWords), pick(kWords), ext);
    } else {
        switch (below(5)) {
        case 0:
            std::snprintf(buf, sizeof buf, "%s %s %u.%s", capital(pick(kWords)).c_str(), pick(kWords),
                          unsigned(1998 + below(29)), ext);
            break;
        case 1:
            std::snprintf(buf, sizeof buf, "%s_%05u.%s", pick(kWords), unsigned(below(100000)), ext);
            break;
        case 2:
            std::snprintf(buf, sizeof buf, "%s - %s (%s).%s", capital(pick(kWords)).c_str(), pick(kDepts),
                          pick(kOwners), ext);
            break;
        case 3:
            std::snprintf(buf, sizeof buf, "%s %02u-%02u-%04u.%s", capital(pick(kWords)).c_str(),
                          unsigned(1 + below(28)), unsigned(1 + below(12)), unsigned(1998 + below(29)), ext);
            break;
        default:
            std::snprintf(buf, sizeof buf, "%s v%u.%s", capital(pick(kWords)).c_str(), unsigned(1 + below(9)), ext);
        }
    }
    return buf;
}

// Sizes from empty to gigabytes, most of them small.
uint64_t fileSize() {
    if (below(40) == 0) return 0;
    int bits = int(6 + below(26));
    return (uint64_t(1) << bits) + below(uint64_t(1) << bits);
}

bool mkdirs(const std::string& path) {
    for (size_t i = 1; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != '/') continue;
        std::string p = path.substr(0, i);
        if (::mkdir(p.c_str(), 0755) != 0 && errno != EEXIST) return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <list.DR> [records] [real]\n", argv[0]);
        return 2;
    }
    std::string listPath = argv[1];
    long records = argc > 2 ? std::atol(argv[2]) : 1000000;
    long real = argc > 3 ? std::atol(argv[3]) : 0;
    std::string root = listPath.substr(0, listPath.rfind('/') + 1);
    if (root.empty()) root = "./";
    root += "files";

    FILE* f = std::fopen(listPath.c_str(), "wb");
    if (!f) {
        std::perror(listPath.c_str());
        return 1;
    }
    std::fputs(";DR formatted list of files created by Dirroller - Wed, 9/12/2026 17:14:05\r\n", f);
    const char sep = '\x1f';
    std::string line, folder, owner;
    long inFolder = 0;
    for (long i = 0; i < records; ++i) {
        if (inFolder-- <= 0) {
            // A new folder of 1 to 400 files, on a share or in a home folder.
            inFolder = long(1 + below(400));
            owner = pick(kOwners);
            if (below(3) == 0) {
                folder = root + "/home/" + owner + "/" + pick(kHome) + "/";
                if (below(2)) folder += std::string(pick(kSub)) + "/";
            } else {
                folder = root + "/share/" + pick(kDepts) + "/" + pick(kSub) + "/";
                if (below(2)) folder += std::to_string(1998 + below(29)) + "/";
                if (below(3) == 0) folder += std::string(pick(kSub)) + "/";
            }
        }
        const char* ext = pickExt();
        std::string name = fileName(ext);
        uint64_t size = fileSize();
        // Recent years hold more files.
        unsigned year = unsigned(2026 - below(1 + below(29)));
        char date[32];
        std::snprintf(date, sizeof date, "%04u-%02u-%02u %02u:%02u", year, unsigned(1 + below(12)),
                      unsigned(1 + below(28)), unsigned(7 + below(12)), unsigned(below(60)));
        std::string own = below(20) == 0 ? "EVERYONE" : below(6) == 0 ? pick(kOwners) : owner;
        line.clear();
        if (below(100) == 0) line += ' ';
        line += sep;
        line += name + sep + folder + sep + sizeText(size) + sep + upper(ext) + sep + date + sep;
        for (int k = 7; k <= 13; ++k) line += sep;
        line += own;
        line += sep;
        line += "\r\n";
        std::fwrite(line.data(), 1, line.size(), f);
        if (i < real) {
            std::string dir = folder.substr(0, folder.size() - 1);
            if (!mkdirs(dir)) continue;
            if (FILE* r = std::fopen((folder + name).c_str(), "wb")) std::fclose(r);
        }
    }
    if (std::fclose(f) != 0) return 1;

    FILE* u = std::fopen((listPath.substr(0, listPath.rfind('/') + 1) + "users.txt").c_str(), "wb");
    if (u) {
        for (const char* o : kOwners) std::fprintf(u, "%s\r\n", o);
        std::fclose(u);
    }
    return 0;
}
