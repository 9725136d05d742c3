// The client's search: word rules, the pre-filter and its scan, the filters,
// the limit, missing files, RunSearch's checks, questions and log lines, and
// saved lists that are damaged.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <random>
#include <string>
#include <vector>

#include "client/record.h"
#include "client/search.h"
#include "client_fixture.h"
#include "common/format.h"
#include "common/log.h"
#include "common/runtime.h"

using namespace dr::client;
using drtest::drList;
using drtest::drRecord;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

class SearchTest : public drtest::ClientLogTest {
protected:

    // A file on disk and its saved-list record.
    std::string file(const std::string& rel, const std::string& size = "      1,234",
                     const std::string& date = "2026-12-09 17:05", const std::string& owner = "") {
        env.write(rel, "x");
        std::string p = env.path(rel);
        size_t slash = p.rfind('/');
        return drRecord(p.substr(slash + 1), p.substr(0, slash + 1), size, date, owner);
    }
    void list(const std::vector<std::string>& records, const std::string& name = "Work.DR") {
        env.write(name, drList(records));
    }

    SearchRequest request(const std::string& words) {
        SearchRequest r;
        r.searchText = words;
        r.listName = "Work";
        r.pageInMemory = true;
        return r;
    }
    static std::vector<std::string> names(const SearchOutcome& o) {
        std::vector<std::string> n;
        for (const ResultEntry& e : o.results) n.push_back(e.name);
        return n;
    }
    std::string log() const { return env.read("dr-client.log"); }
};

// ---- Word rules ---------------------------------------------------------------

TEST_F(SearchTest, WordRules) {
    struct Case {
        const char* text;
        std::vector<std::string> words;
        bool logsSplitError;
    } cases[] = {
        {"report 2026", {"REPORT", "2026"}, false},
        {"Report  2026 budget", {"REPORT"}, false},   // a double space ends the words
        {" report", {}, false},                         // a leading space: no words at all
        {"", {}, false},
        {"a b c d e f g h i", {"A", "B", "C", "D", "E", "F", "G", "H", "I"}, false},
        {"a b c d e f g h i j k", {"A", "B", "C", "D", "E", "F", "G", "H", "I", "J"}, true},
    };
    for (const Case& c : cases) {
        std::string before = log();
        EXPECT_EQ(SearchWords(c.text), c.words) << c.text;
        bool logged = log().size() > before.size() && log().substr(before.size()).find("Error in splitTextIntoFields") !=
                                                            std::string::npos;
        EXPECT_EQ(logged, c.logsSplitError) << c.text;
    }
}

TEST_F(SearchTest, WordRulesDecideWhichLinesPass) {
    list({file("d/alpha report.doc"), file("d/alpha.doc"), file("d/report.doc"), file("d/j.doc"),
          file("k/qa1 qb2 qc3 qd4 qe5 qf6 qg7 qh8 qi9 qj0.doc"), file("k/qa1 qb2.doc")});
    struct Case {
        const char* text;
        std::vector<std::string> found;
    } cases[] = {
        {"alpha  report", {"alpha report.doc", "alpha.doc"}},
        {" nothing-here",
         {"alpha report.doc", "alpha.doc", "report.doc", "j.doc", "qa1 qb2 qc3 qd4 qe5 qf6 qg7 qh8 qi9 qj0.doc",
          "qa1 qb2.doc"}},
        // eleven words: the eleventh (zzz) is not required
        {"qa1 qb2 qc3 qd4 qe5 qf6 qg7 qh8 qi9 qj0 zzz", {"qa1 qb2 qc3 qd4 qe5 qf6 qg7 qh8 qi9 qj0.doc"}},
        {"ALPHA RePoRt", {"alpha report.doc"}},
    };
    for (const Case& c : cases) {
        SearchOutcome o = RunSearch(request(c.text));
        EXPECT_EQ(names(o), c.found) << c.text;
    }
    EXPECT_THAT(log(), HasSubstr("Error in splitTextIntoFields"));
}

TEST(LineHasAllWords, PlainComparisonOfUpperCasedTexts) {
    std::vector<std::string> w{"DOC", "2005"};
    EXPECT_TRUE(LineHasAllWords(w, 0, "ANYTHING"));
    EXPECT_TRUE(LineHasAllWords(w, 2, "\x1fREPORT.DOC\x1f/A/2005/\x1f"));
    EXPECT_FALSE(LineHasAllWords(w, 2, "\x1freport.doc\x1f/a/2005/\x1f"));
    EXPECT_FALSE(LineHasAllWords(w, 2, "REPORT.DOC"));
}

TEST_F(SearchTest, AWordMatchesAnyFieldOfTheLine) {
    list({file("docs/a.txt"), file("x/b.txt", "      1,234", "2026-12-09 17:05", "doctor"),
          file("x/c.txt", "      1,234", "2026-06-07 09:00"), file("x/d.txt")});
    EXPECT_THAT(names(RunSearch(request("doc"))), ElementsAre("a.txt", "b.txt"));
    EXPECT_THAT(names(RunSearch(request("2026-06-07"))), ElementsAre("c.txt"));
}

// ---- The pre-filter's scan -------------------------------------------------------

// What the pre-filter must give, the slow way.
struct Reference {
    std::string out;
    int64_t lines = 0, matches = 0;
    bool stopped = false;
};

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t e = text.find_first_of("\r\n", pos);
        if (e == std::string::npos) e = text.size();
        lines.push_back(text.substr(pos, e - pos));
        if (e < text.size() && text[e] == '\r' && e + 1 < text.size() && text[e + 1] == '\n') ++e;
        pos = e + 1;
    }
    if (lines.empty()) lines.push_back("");
    return lines;
}

// `upper` holds the lines in upper case.
Reference referencePrefilter(const std::vector<std::string>& lines, const std::vector<std::string>& upper,
                             const std::string& search, int64_t limit) {
    std::vector<std::string> words = SearchWords(search);
    Reference r;
    r.out = lines[0] + "\r\n";
    for (size_t i = 1; i < lines.size(); ++i) {
        if (lines[i].empty()) continue;
        ++r.lines;
        if (LineHasAllWords(words, words.size(), upper[i])) {
            r.out += lines[i] + "\r\n";
            if (limit > 0 && ++r.matches > limit) {
                r.stopped = true;
                break;
            }
            if (limit <= 0) ++r.matches;
        }
    }
    return r;
}

TEST_F(SearchTest, PrefilterAgreesWithAPlainLineByLineReading) {
    // Random lists of mixed line ends, empty lines and long lines, larger than
    // one read block so lines cross block and chunk boundaries.
    std::mt19937 rng(7);
    const std::string alphabet = "abcXYZ q\x1f.,-/019";
    const char* ends[] = {"\r\n", "\n", "\r"};
    for (int round = 0; round < 4; ++round) {
        std::string text = round == 3 ? "" : ";DR header\r\n";
        size_t target = round == 0 ? (size_t(5) << 20) : 40000;
        while (text.size() < target) {
            size_t len = rng() % 16 == 0 ? rng() % 3000 : rng() % 120;
            for (size_t i = 0; i < len; ++i) text += alphabet[rng() % alphabet.size()];
            // one kind of line end per list keeps CR and LF from pairing up by chance
            text += ends[round == 2 ? rng() % 2 * 2 : round % 2];
        }
        if (round == 1) text += "abc tail without end";
        env.write("r.DR", text);
        std::vector<std::string> lines = splitLines(text), upper;
        for (const std::string& l : lines) upper.push_back(dr::UCase(l));
        for (const char* search : {"abc", "xyz q", "zzzz", "q.1 ,-", "9", " lead", ""}) {
            for (int64_t limit : {int64_t(0), int64_t(3), int64_t(500)}) {
                Reference ref = referencePrefilter(lines, upper, search, limit);
                std::string got, label;
                int64_t n = PrefilterToBuffer(search, env.path("r.DR"), got, {}, limit, &label);
                ASSERT_EQ(got, ref.out) << "round " << round << " '" << search << "' limit " << limit;
                EXPECT_EQ(n, ref.matches);
                std::string want = std::string(ref.stopped ? " (Found first " : " (Found a total of ") +
                                   dr::formatInt(ref.lines, "###,###,###") + " files.)";
                EXPECT_EQ(label, want) << "round " << round << " '" << search << "' limit " << limit;
            }
        }
    }
}

TEST_F(SearchTest, PrefilterWritesTheWorkFileAndUpperCasesTheText) {
    list({file("a/one.doc"), file("a/two.doc"), file("a/three.txt")});
    std::vector<std::string> labels;
    std::string text = "doc";
    int64_t n = PrefilterList(text, env.path("Work.DR"), env.path("tmpResults.txt"),
                              [&](const std::string& l) { labels.push_back(l); }, 100);
    EXPECT_EQ(n, 2);
    EXPECT_EQ(text, "DOC");
    std::string out = env.read("tmpResults.txt");
    EXPECT_EQ(out.substr(0, 3), ";DR");
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 3);
    EXPECT_THAT(labels, ElementsAre(" (Found a total of 3 files.)"));
}

TEST_F(SearchTest, PrefilterShowsProgressEvery37Matches) {
    std::vector<std::string> recs;
    for (int i = 0; i < 80; ++i) recs.push_back(drRecord("f" + std::to_string(i) + ".doc", "/nowhere/"));
    list(recs);
    std::vector<std::string> labels;
    std::string text = "doc";
    PrefilterList(text, env.path("Work.DR"), env.path("tmpResults.txt"),
                  [&](const std::string& l) { labels.push_back(l); }, 0);
    EXPECT_THAT(labels, ElementsAre(" Searched 37 files. Found 37 matches so far ",
                                    " Searched 74 files. Found 74 matches so far ", " (Found a total of 80 files.)"));
}

// ---- The limit ----------------------------------------------------------------

TEST_F(SearchTest, LimitTenOfFifty) {
    std::vector<std::string> recs;
    for (int i = 0; i < 50; ++i) recs.push_back(file("many/f" + std::to_string(i) + ".doc"));
    list(recs);
    SearchRequest r = SearchRequest::forWindow();
    r.searchText = "doc";
    r.listName = "Work";
    r.maxResults = 10;
    SearchOutcome o = RunSearch(r);
    EXPECT_EQ(o.count, 10);
    EXPECT_EQ(o.results.size(), 10u);
    EXPECT_EQ(o.total, -1); // every filter at its default
    // The pre-filter kept the header and 11 lines.
    std::string work = env.read("tmpResults.txt");
    EXPECT_EQ(std::count(work.begin(), work.end(), '\n'), 12);
    EXPECT_EQ(o.progressText, " (Found first 11 files.)");
    std::string page = env.read("results.htm");
    EXPECT_THAT(page, HasSubstr("Found 10 results which matched"));
    EXPECT_THAT(page, HasSubstr(" (Found first 11 files.)<BR>"));
    size_t entries = 0;
    for (size_t at = 0; (at = page.find("target=new><B>", at)) != std::string::npos; ++at) ++entries;
    EXPECT_EQ(entries, 10u);
}

TEST_F(SearchTest, LimitZeroMeansNoLimit) {
    std::vector<std::string> recs;
    for (int i = 0; i < 120; ++i) recs.push_back(file("many/f" + std::to_string(i) + ".doc"));
    list(recs);
    SearchRequest r = request("doc");
    r.maxResults = 0;
    EXPECT_EQ(RunSearch(r).count, 120);
}

// ---- Filters ----------------------------------------------------------------------

TEST_F(SearchTest, MissingFilesWithAndWithoutShowMissing) {
    std::string gone = drRecord("gone.doc", env.path("d") + "/");
    list({file("d/here.doc"), gone, file("d/also.doc")});
    for (bool show : {false, true}) {
        SearchRequest r = request("doc");
        r.showMissing = show;
        r.maxResults = 2;
        SearchOutcome o = RunSearch(r);
        EXPECT_THAT(names(o), ElementsAre("here.doc", "also.doc")); // the missing file does not use up the limit
        EXPECT_EQ(o.missing, 1);
        std::string line = "<FONT color=#808080>" + env.path("d") + "/gone.doc was not found on hard drive</FONT><BR>";
        EXPECT_EQ(o.page.find(line) != std::string::npos, show);
    }
}

TEST_F(SearchTest, OwnerFilter) {
    list({file("o/mine.doc", "1", "2026-12-09 17:05", "jane"), file("o/all.doc", "1", "2026-12-09 17:05", "Everyone"),
          file("o/other.doc", "1", "2026-12-09 17:05", "bob"), file("o/none.doc")});
    struct Case {
        const char* owner;
        std::vector<std::string> found;
    } cases[] = {
        {"[any user]", {"mine.doc", "all.doc", "other.doc", "none.doc"}},
        {"", {"mine.doc", "all.doc", "other.doc", "none.doc"}},
        {"jane", {"mine.doc", "all.doc"}},
        {"JANE", {"all.doc"}}, // owners match exactly; EVERYONE in any case passes
    };
    for (const Case& c : cases) {
        SearchRequest r = request("doc");
        r.owner = c.owner;
        EXPECT_EQ(names(RunSearch(r)), c.found) << c.owner;
    }
}

TEST_F(SearchTest, DateFilter) {
    list({file("t/empty.doc", "1", ""), file("t/old.doc", "1", "1999-01-01 00:00"),
          file("t/exact.doc", "1", "2026-12-01 08:15"), file("t/new.doc", "1", "2026-12-10 23:59")});
    struct Case {
        dr::DateTime from, to;
        std::vector<std::string> found;
    } cases[] = {
        {{1980, 1, 1, 0, 0, 0}, {2099, 12, 31, 0, 0, 0}, {"old.doc", "exact.doc", "new.doc"}}, // "At any time"
        {{2026, 12, 1, 8, 15, 0}, {2026, 12, 1, 8, 15, 0}, {"exact.doc"}},                   // the same instant
        {{2026, 12, 1, 8, 15, 0}, {2026, 12, 10, 23, 59, 0}, {"exact.doc", "new.doc"}},       // bounds included
        {{1980, 1, 1, 0, 0, 0}, {2026, 11, 30, 0, 0, 0}, {"old.doc"}},
    };
    for (const Case& c : cases) {
        SearchRequest r = request("doc");
        r.from = c.from;
        r.to = c.to;
        EXPECT_EQ(names(RunSearch(r)), c.found);
    }
}

TEST(DateTexts, DoesFileHaveCorrectDateRange) {
    dr::DateTime a{2026, 1, 2, 3, 4, 0}, b{2026, 1, 2, 3, 4, 59}, c{2027, 1, 1, 0, 0, 0};
    EXPECT_FALSE(DoesFileHaveCorrectDateRange("", a, c));
    EXPECT_TRUE(DoesFileHaveCorrectDateRange("2026-01-02 03:04", a, a));
    EXPECT_FALSE(DoesFileHaveCorrectDateRange("2026-01-02 03:05", a, a));
    // Bounds that differ only in seconds format alike but are not the same instant.
    EXPECT_TRUE(DoesFileHaveCorrectDateRange("2026-01-02 03:04", a, b));
    EXPECT_TRUE(DoesFileHaveCorrectDateRange("2026-06-01 00:00", a, c));
    EXPECT_FALSE(DoesFileHaveCorrectDateRange("garbage", a, c));
}

TEST_F(SearchTest, TypeFilter) {
    struct Case {
        const char* path;
        const char* filter;
        bool wanted;
    } cases[] = {
        {"/a/b.txt", "", true},
        {"/a/b.txt", "TXT", false}, // typed without the dot: matches nothing
        {"/a/b.txt", ".txt", true},
        {"/a/b.TXT", ".DOC .TXT", true},
        {"/a/b", ".DOC", false},
        {"/a/b", ".DOC .", true},         // no dot in the path: the wanted text is "."
        {"/a.dir/b", ".DIR/B", true},     // the text after the last dot of the whole path
        {"/a/b.doc", ".DOT .DOC .XLS .XLM .VSD", true},
        {"/a/b.p15", ".P1 .P2 .P3 .P4 .P5 .P6 .P7 .P8 .P9 .P10 .P11 .P12 .P13 .P14 .P15", true},
        {"/a/b.p16", ".P1 .P2 .P3 .P4 .P5 .P6 .P7 .P8 .P9 .P10 .P11 .P12 .P13 .P14 .P15 .P16", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsWantedFileType(c.path, c.filter), c.wanted) << c.path << " / " << c.filter;

    std::string before = log();
    EXPECT_FALSE(IsWantedFileType("/a/b.p17", ".P1 .P2 .P3 .P4 .P5 .P6 .P7 .P8 .P9 .P10 .P11 .P12 .P13 .P14 .P15 "
                                              ".P16 .P17"));
    EXPECT_THAT(log().substr(before.size()), HasSubstr("Error in splitTextIntoFields"));

    list({file("y/a.txt"), file("y/b.doc")});
    SearchRequest r = request("");
    r.typeText = "Choose File Types...";
    r.typeFilter = "TXT";
    EXPECT_TRUE(RunSearch(r).results.empty());
    r.typeFilter = ".TXT";
    EXPECT_THAT(names(RunSearch(r)), ElementsAre("a.txt"));
}

TEST_F(SearchTest, ListWithoutFieldsIsAListOfPaths) {
    env.write("in/new.doc", "x");
    env.write("in/old.doc", "x");
    drtest::setFileTime(env.path("in/new.doc"), {2026, 12, 10, 12, 0, 0});
    drtest::setFileTime(env.path("in/old.doc"), {2001, 5, 5, 12, 0, 0});
    env.write("Work.DR", "full paths\r\n" + env.path("in/new.doc") + "\r\n" + env.path("in/old.doc") + "\r\n" +
                             env.path("in/missing.doc") + "\r\n");
    SearchRequest r = request("doc");
    r.from = {2026, 12, 1, 0, 0, 0};
    r.to = {2026, 12, 11, 10, 30, 0};
    SearchOutcome o = RunSearch(r);
    ASSERT_EQ(o.results.size(), 1u);
    EXPECT_EQ(o.results[0].path, env.path("in/new.doc"));
    EXPECT_EQ(o.results[0].name, "");
    // No owner field: an owner filter skips every line.
    r.owner = "tester";
    EXPECT_EQ(RunSearch(r).count, 0);
}

TEST_F(SearchTest, IsFileDayInRange) {
    env.write("f.txt", "x");
    drtest::setFileTime(env.path("f.txt"), {2026, 3, 4, 23, 59, 0});
    EXPECT_TRUE(IsFileDayInRange(env.path("f.txt"), {2026, 3, 4, 12, 0, 0}, {2026, 3, 4, 12, 0, 0}));
    EXPECT_TRUE(IsFileDayInRange(env.path("f.txt"), {2026, 3, 4, 12, 0, 0}, {2026, 3, 4, 13, 0, 0}));
    EXPECT_FALSE(IsFileDayInRange(env.path("f.txt"), {2026, 3, 5, 0, 0, 0}, {2026, 4, 1, 0, 0, 0}));
    // An unreadable time counts as 30 December 1899.
    EXPECT_TRUE(IsFileDayInRange(env.path("none"), {1899, 12, 30, 0, 0, 0}, {1899, 12, 30, 0, 0, 0}));
}

// ---- RunSearch --------------------------------------------------------------------

TEST_F(SearchTest, NoListsAndInvalidList) {
    SearchRequest r = request("doc");
    r.listName.clear();
    env.host.expectBox(dr::Answer::OK, "There are no Dirrolls available - please run Dirroll.exe, or update dirrolls "
                                       "from your Server path");
    EXPECT_EQ(RunSearch(r).status, SearchOutcome::Status::NoLists);

    r.listName = "Gone";
    env.host.expectBox(dr::Answer::OK, "The Dirroll '" + env.path("Gone.DR") +
                                           "' is invalid. Please run Dirroll.exe, or update dirrolls from your Server "
                                           "path");
    EXPECT_EQ(RunSearch(r).status, SearchOutcome::Status::InvalidList);
    ASSERT_EQ(env.host.boxes.size(), 2u);
    EXPECT_EQ(env.host.boxes[1].req.title, "No Dirrolls Available");
    EXPECT_EQ(env.host.boxes[1].req.icon, dr::Icon::Critical);
    EXPECT_FALSE(env.exists("results.htm"));
}

TEST_F(SearchTest, ListFoundWhateverTheCaseOfItsExtension) {
    env.write("Lower.dr", drList({file("z/a.doc")}));
    SearchRequest r = request("doc");
    r.listName = "Lower";
    SearchOutcome o = RunSearch(r);
    EXPECT_EQ(o.listPath, env.path("Lower.dr"));
    EXPECT_EQ(o.count, 1);
}

TEST_F(SearchTest, ShortSearchOfABigListAsksFirst) {
    // A sparse list of 11 MB: header and nothing else.
    env.write("Work.DR", ";DR\r\n");
    ASSERT_EQ(truncate(env.path("Work.DR").c_str(), 11000000), 0);
    env.host.expectBox(dr::Answer::No, "The dirroll is 11. MBytes so a short search may take a long time.\r\nDo you "
                                       "want to continue?");
    EXPECT_EQ(RunSearch(request("abc")).status, SearchOutcome::Status::Cancelled);
    env.host.expectBox(dr::Answer::Yes);
    EXPECT_EQ(RunSearch(request("abc")).status, SearchOutcome::Status::Done);
    EXPECT_EQ(env.host.boxes[1].req.title, "Short search will take a long time - Continue?");
    EXPECT_EQ(RunSearch(request("abcd")).status, SearchOutcome::Status::Done); // four characters: no question
    SearchRequest quiet = request("abc");
    quiet.askQuestions = false;
    EXPECT_EQ(RunSearch(quiet).status, SearchOutcome::Status::Done);
    EXPECT_EQ(env.host.boxes.size(), 2u);
}

TEST_F(SearchTest, ShowFolders) {
    list({file("p/one/a.doc"), file("p/one/b.doc"), file("p/two/c.doc"), file("p/three/x.txt")});
    SearchRequest r = SearchRequest::forWindow();
    r.listName = "Work";
    r.searchText = "doc";
    r.showFolders = true;
    env.host.expectBox(dr::Answer::Cancel, "Do you want to turn off 'Show Folders' for this search?");
    EXPECT_EQ(RunSearch(r).status, SearchOutcome::Status::Cancelled);

    env.host.expectBox(dr::Answer::No);
    EXPECT_EQ(RunSearch(r).count, 3);
    EXPECT_EQ(env.read("folders.lis"), env.path("p/one") + "/\r\n" + env.path("p/two") + "/\r\n");
    std::string page = env.read("results.htm");
    EXPECT_THAT(page, HasSubstr("<B>Folders containing 'doc'</B><BR>\r\n1. <a href=\"" + env.path("p/one") +
                                "/\" target=new>" + env.path("p/one") + "/</a><BR>2. <a href=\""));

    env.host.expectBox(dr::Answer::Yes); // off for this search only
    RunSearch(r);
    EXPECT_THAT(env.read("results.htm"), Not(HasSubstr("Folders containing")));

    r.searchText = "a.doc b"; // five characters: no question
    RunSearch(r);
    EXPECT_THAT(env.read("results.htm"), HasSubstr("Folders containing 'a.doc b'"));
    r.searchText = ""; // an empty search never lists folders
    RunSearch(r);
    EXPECT_THAT(env.read("results.htm"), Not(HasSubstr("Folders containing")));

    // In memory (the command line) the same folders, and no work file is touched.
    std::string before = env.read("folders.lis");
    SearchRequest m = request("a.doc b");
    m.showFolders = true;
    m.listName = "Work";
    m.searchText = "one/";
    env.host.expectBox(dr::Answer::No);
    EXPECT_THAT(RunSearch(m).page, HasSubstr("1. <a href=\"" + env.path("p/one") + "/\""));
    EXPECT_EQ(env.read("folders.lis"), before);
    EXPECT_TRUE(env.host.scriptUsedUp());
}

TEST_F(SearchTest, CommandLineRequestWritesNoWorkFiles) {
    list({file("c/a.doc")});
    env.write("tmpResults.txt", "keep");
    env.write("results.htm", "keep");
    SearchRequest r = request("doc");
    r.pagePath = env.path("out.htm");
    SearchOutcome o = RunSearch(r);
    EXPECT_EQ(o.count, 1);
    EXPECT_EQ(env.read("tmpResults.txt"), "keep");
    EXPECT_EQ(env.read("results.htm"), "keep");
    EXPECT_EQ(env.read("out.htm"), o.page);
    std::vector<std::string> streamed;
    r.onResult = [&](const ResultEntry& e) { streamed.push_back(e.path); };
    EXPECT_TRUE(RunSearch(r).results.empty());
    EXPECT_THAT(streamed, ElementsAre(env.path("c/a.doc")));
}

TEST_F(SearchTest, TotalInTheFoot) {
    list({file("q/a.doc"), file("q/b.doc"), file("q/c.txt")});
    struct Case {
        const char* words;
        const char* owner;
        int64_t total;
        const char* footLine;
    } cases[] = {
        {"doc", "[any user]", -1, " [CHECK 'all' TOTAL] out of ALL files from the Dirroll "},
        {"", "[any user]", -1, " [CHECK 'all' TOTAL] out of ALL files from the Dirroll "},
        {"doc", "EVERYONE", 2, "out of 2 files which matched DOC from the Dirroll "},
    };
    for (const Case& c : cases) {
        SearchRequest r = request(c.words);
        r.owner = c.owner;
        SearchOutcome o = RunSearch(r);
        EXPECT_EQ(o.total, c.total);
        EXPECT_THAT(o.page, HasSubstr(std::string(c.footLine) + env.path("Work.DR") + "<BR>\r\n")) << c.words;
    }
    // An empty search leaves the description on the wait label as the progress text.
    SearchOutcome o = RunSearch(request(""));
    EXPECT_EQ(o.progressText, "Searching in Work for All File Types containing ''");
    EXPECT_EQ(o.count, 3);
}

TEST_F(SearchTest, DebugModeLogLines) {
    list({file("g/a.doc", "1", "2026-12-09 17:05", "EVERYONE")});
    SearchRequest r = request("doc");
    r.debugMode = true;
    r.owner = "EVERYONE";
    std::vector<std::string> labels;
    r.progress = [&](const std::string& l) { labels.push_back(l); };
    RunSearch(r);
    std::string l = log();
    const char* inOrder[] = {
        "TIMING Searching in Work for All File Types containing 'doc' modified by EVERYONE At any time",
        "-------------------------------------",
        " Searching for 'doc'",
        "cmbDateRange = At any time",
        "cmbUser      = EVERYONE",
        "cmbDirroll  = Work",
        "cmbType      = All File Types",
        "DoesFileHaveCorrectDateRange [2026-12-09 17:05] is True for " ,
        "TIMING - Finished saving files to ",
        "STATS - 1 of 1 files in under one second",
    };
    size_t at = 0;
    for (const char* s : inOrder) {
        size_t f = l.find(s, at);
        ASSERT_NE(f, std::string::npos) << s << "\n" << l;
        at = f;
    }
    EXPECT_THAT(labels, ElementsAre("Searching in Work for All File Types containing 'doc'",
                                    " (Found a total of 1 files.)", "Formatting Results"));
    EXPECT_THAT(env.host.captions, ElementsAre("Findwright  - 1 Matches"));
}

TEST_F(SearchTest, StatsLineWithElapsedSeconds) {
    list({file("g/a.doc"), file("g/b.doc")});
    SearchRequest r = request("doc");
    r.debugMode = true;
    // Each pre-filter progress repaint moves the clock on.
    r.progress = [&](const std::string& l) {
        if (l.rfind(" (Found", 0) == 0) env.clock.advanceSeconds(4);
    };
    RunSearch(r);
    EXPECT_THAT(log(), HasSubstr("STATS - 2 of -1 files in 00:00:04 = 0.5 files/second"));
}

// ---- Small operations ------------------------------------------------------------------

TEST(ClockDifference, FieldByFieldWithBorrows) {
    struct Case {
        const char *a, *b;
        int h, m, s;
    } cases[] = {
        {"10:00:00", "10:00:00", 0, 0, 0}, {"10:05:50", "11:05:10", 0, 59, 20},
        {"09:59:59", "10:00:00", 0, 0, 1}, {"23:59:30", "00:00:10", 0, 0, 40},
        {"garbage", "01:02:03", 1, 2, 3},
    };
    for (const Case& c : cases) {
        ClockTime t = ClockDifference(c.a, c.b);
        EXPECT_EQ(t.hours, c.h) << c.a << " " << c.b;
        EXPECT_EQ(t.minutes, c.m) << c.a << " " << c.b;
        EXPECT_EQ(t.seconds, c.s) << c.a << " " << c.b;
    }
    EXPECT_EQ(ClockDifference("10:05:50", "11:05:10").totalSeconds(), 3560);
}

TEST_F(SearchTest, ExtractFolderColumn) {
    env.write("in.txt", drList({drRecord("a.doc", "/x/"), " \x1f" "b.doc\x1f/tagged/\x1f 1\x1f", "bare line",
                                drRecord("c.doc", "/y/")}));
    ExtractFolderColumn(env.path("in.txt"), env.path("out.lis"));
    // The header and a line without fields give empty lines; a tagged row gives its folder too.
    EXPECT_EQ(env.read("out.lis"), "\r\n/x/\r\n/tagged/\r\n\r\n/y/\r\n");
}

TEST_F(SearchTest, RemoveDuplicateLines) {
    std::string text;
    std::vector<std::string> want;
    for (int i = 0; i < 50; ++i) {
        text += "/f" + std::to_string(i % 20) + "/\r\n\r\n";
        if (i < 20) want.push_back("/f" + std::to_string(i) + "/");
    }
    text += "/F1/\r\n";
    want.push_back("/F1/");
    env.write("folders.lis", text);
    env.write("removeDuplicates.lis", "/stale/\r\n/f3/\r\n");
    std::vector<std::string> labels;
    RemoveDuplicateLines(env.path("folders.lis"), true, "Getting Folder List ",
                         [&](const std::string& l) { labels.push_back(l); });
    std::string expect;
    for (const std::string& w : want) expect += w + "\r\n";
    EXPECT_EQ(env.read("folders.lis"), expect);
    EXPECT_FALSE(env.exists("removeDuplicates.lis"));
    EXPECT_THAT(labels, ElementsAre("Getting Folder List  of 51", "Getting Folder List 23 of 51",
                                    "Getting Folder List 46 of 51"));

    RemoveDuplicateLines(env.path("folders.lis"), false, "", {});
    EXPECT_THAT(env.read("folders.lis"), Not(HasSubstr("/F1/")));
}

// ---- Damaged lists ------------------------------------------------------------------

TEST(Record, FieldsByNumber) {
    const std::string line("\x1f" "a.doc\x1f/x/\x1f      1,234\x1f" "DOC\x1f" "2026-01-02 03:04\x1f\x1f\x1f\x1f\x1f\x1f\x1f\x1f"
                         " bob \x1f");
    Record r(line);
    EXPECT_EQ(r.fieldCount(), 15u);
    EXPECT_EQ(r.field(2), "a.doc");
    EXPECT_EQ(r.field(4), "1,234");
    EXPECT_EQ(r.field(14), "bob");
    EXPECT_EQ(r.field(15), "");
    EXPECT_EQ(r.field(0), "");
    EXPECT_EQ(r.field(16), "");
    EXPECT_EQ(r.fullPath(), "/x/a.doc");

    std::string many;
    for (int i = 1; i <= 120; ++i) many += std::to_string(i) + "\x1f";
    Record m(many);
    EXPECT_EQ(m.fieldCount(), 99u);
    EXPECT_EQ(m.field(99), "99");
}

TEST(Record, SizeTexts) {
    struct Case {
        const char* text;
        bool ok;
        int64_t value;
    } cases[] = {
        {"      1,234", true, 1234}, {"0", true, 0},     {"1,234,567,890,123", true, 1234567890123},
        {"12.5", true, 13},          {"", false, 0},      {"abc", false, 0},
        {"12abc", false, 0},         {",12", false, 0},   {"99999999999999999999999", false, 0},
        {"-5", true, -5},
    };
    for (const Case& c : cases) {
        int64_t v = -1;
        EXPECT_EQ(ParseSizeText(c.text, v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(v, c.value) << c.text;
        }
    }
}

TEST_F(SearchTest, LineReaderLineEnds) {
    env.write("l.txt", std::string("a\r\nb\nc\rd\r\n\r\ne") + std::string(3 << 20, 'x') + "\nlast");
    LineReader in(env.path("l.txt"), size_t(1) << 20);
    std::vector<std::string> got;
    std::string_view l;
    while (in.next(l)) got.emplace_back(l.size() > 10 ? std::to_string(l.size()) : std::string(l));
    // A line longer than the cap comes in pieces of the cap.
    EXPECT_THAT(got, ElementsAre("a", "b", "c", "d", "", "1048576", "1048576", "1048576", "x", "last"));
    LineReader none(env.path("missing"));
    EXPECT_FALSE(none.ok());
    EXPECT_FALSE(none.next(l));
}

TEST_F(SearchTest, DamagedListsFinishWithWhatTheyCanRead) {
    std::string good = file("b/good.doc");
    std::string shortRec = std::string("\x1f") + "short.doc\x1f" + env.path("b") + "/\x1f";
    env.write("b/short.doc", "x");
    std::string wide = good.substr(0, good.size() - 1);
    wide.replace(wide.find("good"), 4, "wide");
    env.write("b/wide.doc", "x");
    for (int i = 0; i < 26; ++i) wide += "\x1fjunk";
    std::string badSize = file("b/badsize.doc", "lots", "garbage date");
    std::string binary;
    for (int i = 0; i < 4000; ++i) binary += char(i * 37 % 256);
    std::string huge(1 << 20, 'd');
    struct Case {
        const char* what;
        std::string text;
        std::vector<std::string> found;
    } cases[] = {
        {"empty file", "", {}},
        {"header only", ";DR\r\n", {}},
        {"binary", binary, {}},
        {"3 and 40 fields", drList({shortRec, wide, good}), {"wide.doc", "good.doc"}},
        {"bad size and date", drList({badSize, good}), {"good.doc"}},
        {"megabyte line", drList({huge, good, huge + "doc"}), {"good.doc"}},
        {"no line end at all", ";DR\x1f" + huge, {}},
    };
    for (const Case& c : cases) {
        env.write("Work.DR", c.text);
        for (int style = 0; style < 4; ++style) {
            SearchRequest r = request("doc");
            r.style = style;
            SearchOutcome o = RunSearch(r);
            EXPECT_EQ(o.status, SearchOutcome::Status::Done) << c.what;
            EXPECT_EQ(names(o), c.found) << c.what;
            EXPECT_THAT(o.page, HasSubstr("</BODY></HTML>")) << c.what;
        }
    }
    // "short.doc" has no date field, so only the date filter keeps it out:
    // with an empty search text too.
    env.write("Work.DR", drList({shortRec}));
    EXPECT_EQ(RunSearch(request("")).count, 0);
}

TEST_F(SearchTest, ListRewrittenWhileItIsRead) {
    std::vector<std::string> recs;
    for (int i = 0; i < 120000; ++i) recs.push_back(drRecord("f" + std::to_string(i) + ".doc", "/nowhere/"));
    list(recs);
    // Every progress step cuts the list shorter or writes it anew.
    int step = 0;
    SearchRequest r = request("doc");
    r.maxResults = 0;
    r.progress = [&](const std::string&) {
        if (++step % 50 == 0) {
            ASSERT_EQ(truncate(env.path("Work.DR").c_str(), 6000000 - step * 1000), 0);
        } else if (step % 77 == 0) {
            list({drRecord("x.doc", "/nowhere/")});
        }
    };
    SearchOutcome o = RunSearch(r);
    EXPECT_EQ(o.status, SearchOutcome::Status::Done);
    EXPECT_EQ(o.count, 0);
}

} // namespace
