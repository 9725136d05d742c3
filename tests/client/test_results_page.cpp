// The results page: its exact texts, the four entry styles, the foot and the
// caption, escaping of names from others, FIND links, save and launch.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "client/results_page.h"
#include "client/search.h"
#include "client_fixture.h"
#include "common/log.h"
#include "common/runtime.h"
#include "platform/platform.h"

using namespace dr::client;
using drtest::drList;
using drtest::drRecord;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

using PageTest = drtest::ClientLogTest;

const std::string kHead =
    "<HTML><HEAD><TITLE>Search Results</TITLE>\r\n" + drtest::kPageStyleText +
    "</HEAD><BODY>\r\n";

TEST_F(PageTest, WholePageOfAnOrdinarySearch) {
    env.write("My Docs/report.doc", "x");
    env.write("My Docs/empty.doc", "");
    std::string folder = env.path("My Docs") + "/";
    env.write("Work.DR", drList({drRecord("report.doc", folder, "      1,234", "2026-12-09 17:05", "jane"),
                                 drRecord("empty.doc", folder, "          0", "2026-12-10 08:00", "bob")}));
    SearchRequest r = SearchRequest::forWindow();
    r.searchText = "Report";
    r.listName = "Work";
    r.owner = "jane";
    RunSearch(r);
    std::string page = env.read("results.htm");
    std::string expect =
        kHead + "<H3>Search Result for 'Report'</H3>\r\n" +
        "Searching in Work for All File Types containing 'Report' modified by jane At any time<BR><BR>\r\n" +
        "<a href=\"file://" + folder + "report.doc\" target=new><B>report.doc</a></B><BR>  2026-12-09 17:05   " +
        "<a href=\"file://" + folder + "\" target=blank>" + folder + "</a>     (1,234 bytes) [owned by jane] " +
        "<br><br>\r\n" +
        "Found 1 results which matched all criteria (user name, file type and date range)<BR>\r\n" +
        "out of 1 files which matched REPORT from the Dirroll " + env.path("Work.DR") + "<BR>\r\n" +
        " (Found a total of 2 files.)<BR>\r\n" + "<BR><BR><BR></BODY></HTML>\r\n";
    EXPECT_EQ(page, expect);
    EXPECT_THAT(env.host.captions, ElementsAre("Findwright  - 1 Matches"));
}

TEST_F(PageTest, TableStyleFrame) {
    std::string page;
    RenderParams p;
    p.style = kStyleTable;
    p.searchText = "x";
    RenderLines(";DR\r\n", p, &page);
    EXPECT_THAT(page, HasSubstr("<BR><BR>\r\n<table width=90% valign=top align=center border=1><TR>\r\n"
                                "<td width=20%>File Name</td>\r\n<td width=10%>Size</td>\r\n"
                                "<td width=20%>Last Modified</td>\r\n<td width=50%>Path</td>\r\n</tr>\r\n"
                                "</table><BR>\r\nFound  results"));
}

TEST_F(PageTest, EntryStyles) {
    const std::string F = "/data/docs/", N = "plan.doc", P = F + N;
    struct Case {
        int style;
        const char* size;
        std::string expect;
    } cases[] = {
        {0, "1,234",
         "<a href=\"file:///data/docs/plan.doc\" target=new><B>plan.doc</a></B><BR>  2026-12-09 17:05   <a "
         "href=\"file:///data/docs/\" target=blank>/data/docs/</a>     (1,234 bytes) [owned by jane] <br><br>"},
        {0, "0",
         "<a href=\"file:///data/docs/plan.doc\" target=new><B>plan.doc</a></B><BR>  2026-12-09 17:05   <a "
         "href=\"file:///data/docs/\" target=blank>/data/docs/</a>     (empty file)  <br><br> "},
        {1, "1,234",
         "<a href=\"file:///data/docs/\" target=new>/data/docs/</a><a href=\"file:///data/docs/plan.doc\" "
         "target=new><B>plan.doc</a></B>    (1,234 bytes)   2026-12-09 17:05   <BR>"},
        {1, "0",
         "<a href=\"file:///data/docs/\" target=new>/data/docs/</a><a href=\"file:///data/docs/plan.doc\" "
         "target=new><B>plan.doc</a></B>    (empty file)   2026-12-09 17:05   <BR>"},
        {2, "1,234",
         "<tr><TD><a href=\"file:///data/docs/plan.doc\" target=new><B>plan.doc</a></B> </td><td>  1,234<td> "
         "2026-12-09 17:05</td>   <td> <a href=\"file:///data/docs/\" target=_blank>/data/docs/</a><BR></td></tr> "},
        {2, "0",
         "<tr><TD><a href=\"file:///data/docs/plan.doc\" target=new><B>plan.doc</a></B> </td><td>  0<td> "
         "2026-12-09 17:05</td>   <td> <a href=\"file:///data/docs/\" target=_blank>/data/docs/</a><BR></td></tr> "},
        {3, "1,234",
         "  <a href=\"/data/docs/\" target=new>/data/docs/</a><a href=\"/data/docs/plan.doc\" "
         "target=new><B>plan.doc</a></B>    (1,234 bytes)   2026-12-09 17:05<BR>   <BR>"},
        {3, "0",
         "  <a href=\"/data/docs/\" target=new>/data/docs/</a><a href=\"/data/docs/plan.doc\" "
         "target=new><B>plan.doc</a></B>    (0 bytes)   2026-12-09 17:05<BR>   <BR>"},
        // A size text that is no number counts as an empty file.
        {0, "n/a",
         "<a href=\"file:///data/docs/plan.doc\" target=new><B>plan.doc</a></B><BR>  2026-12-09 17:05   <a "
         "href=\"file:///data/docs/\" target=blank>/data/docs/</a>     (empty file)  <br><br> "},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatResultEntry(F, N, P, c.style, "2026-12-09 17:05", c.size, "jane"), c.expect)
            << c.style << " " << c.size;
    // Web Style without an owner has no brackets.
    EXPECT_THAT(FormatResultEntry(F, N, P, 0, "d", "5", ""), testing::EndsWith("(5 bytes)  <br><br>"));
}

TEST_F(PageTest, TableModeShortensLongNames) {
    std::string n40(36, 'n'), n41(37, 'n');
    n40 += ".doc";
    n41 += ".doc";
    EXPECT_THAT(FormatResultEntry("/d/", n40, "/d/" + n40, 2, "", "1", ""), HasSubstr("<B>" + n40 + "</a></B>"));
    EXPECT_THAT(FormatResultEntry("/d/", n41, "/d/" + n41, 2, "", "1", ""),
                HasSubstr("<B>" + n41.substr(0, 38) + "..</a></B>"));
    // The link keeps the whole name; other styles the whole text.
    EXPECT_THAT(FormatResultEntry("/d/", n41, "/d/" + n41, 2, "", "1", ""), HasSubstr("file:///d/" + n41 + "\""));
    EXPECT_THAT(FormatResultEntry("/d/", n41, "/d/" + n41, 0, "", "1", ""), HasSubstr("<B>" + n41 + "</a>"));
    // A character of several bytes is not cut in two.
    std::string u = std::string(37, 'u') + "\xC3\xA9" + "xyz.doc";
    EXPECT_THAT(FormatResultEntry("/d/", u, "/d/" + u, 2, "", "1", ""),
                HasSubstr("<B>" + std::string(37, 'u') + "..</a></B>"));
}

TEST_F(PageTest, PreviewPictures) {
    struct Case {
        const char* path;
        int previewSize;
        std::string expect;
    } cases[] = {
        {"/p/Photo.jpeg", 100,
         "  <a href=\"/p/Photo.jpeg\" target=new><B><IMG height=100 alt=\"/p/Photo.jpeg\" src=\"/p/Photo.jpeg\"></a>"},
        {"/p/photo.Gif", 1, "  <a href=\"/p/photo.Gif\" target=new><B><IMG alt=\"/p/photo.Gif\" src=\"/p/photo.Gif\"></a>"},
        {"/p/x.BMP", 64, "  <a href=\"/p/x.BMP\" target=new><B><IMG height=64 alt=\"/p/x.BMP\" src=\"/p/x.BMP\"></a>"},
    };
    for (const Case& c : cases) {
        std::string p = c.path;
        EXPECT_EQ(FormatResultEntry("/p/", p.substr(3), p, 3, "d", "1", "", c.previewSize), c.expect);
    }
    // A PNG is no picture here.
    EXPECT_THAT(FormatResultEntry("/p/", "x.png", "/p/x.png", 3, "d", "1", "", 100), Not(HasSubstr("<IMG")));
}

TEST_F(PageTest, UnknownStyleAndCommentPaths) {
    env.host.expectBox(dr::Answer::OK, "unknown output style");
    EXPECT_EQ(FormatResultEntry("/d/", "a", "/d/a", 4, "", "1", ""), "");
    for (int style = 0; style < 4; ++style) EXPECT_EQ(FormatResultEntry("", "", ";comment", style, "", "1", ""), "");
    EXPECT_TRUE(env.host.scriptUsedUp());
}

TEST_F(PageTest, NoResults) {
    std::string page;
    RenderParams p;
    p.searchText = "zz";
    p.total = 0;
    p.listPath = "/l/Work.DR";
    p.progressText = " (Found a total of 5 files.)";
    RenderCounts c = RenderLines(";DR\r\n", p, &page);
    EXPECT_EQ(c.count, 0);
    EXPECT_THAT(page, HasSubstr("\r\nFound  results which matched all criteria (user name, file type and date range)"
                                "<BR>\r\nout of  files which matched ZZ from the Dirroll /l/Work.DR<BR>\r\n"
                                " (Found a total of 5 files.)<BR>\r\n<BR><BR><BR></BODY></HTML>\r\n"));
    EXPECT_THAT(env.host.captions, ElementsAre("Findwright  - No Matches"));
    EXPECT_EQ(ResultsCaption(1234), "Findwright  - 1,234 Matches");
}

TEST_F(PageTest, NamesFromOthersAreEscaped) {
    env.write("a#b/50%/R&D <v2> \"x\".doc", "1");
    std::string folder = env.path("a#b/50%") + "/";
    std::string name = "R&D <v2> \"x\".doc";
    env.write("Work.DR", drList({drRecord(name, folder, "1", "2026-12-09 17:05", "<b>&co")}));
    env.write("folders.lis", folder + "\r\n");
    const std::string encFolder = env.path("a%23b/50%25") + "/";
    const std::string encPath = encFolder + "R&amp;D %3Cv2%3E %22x%22.doc";
    const std::string textName = "R&amp;D &lt;v2&gt; &quot;x&quot;.doc";
    for (int style = 0; style < 4; ++style) {
        SearchRequest r;
        r.searchText = "<v2>";
        r.listName = "Work";
        r.style = style;
        r.typeText = "Documents";
        r.typeFilter = ".DOC";
        r.pageInMemory = true;
        SearchOutcome o = RunSearch(r);
        ASSERT_EQ(o.count, 1);
        EXPECT_EQ(o.results[0].path, folder + name); // the command line gets the real path
        const std::string& page = o.page;
        EXPECT_THAT(page, HasSubstr("<H3>Search Result for '&lt;v2&gt;'</H3>"));
        EXPECT_THAT(page, HasSubstr("containing '&lt;v2&gt;' modified by"));
        EXPECT_THAT(page, HasSubstr("which matched &lt;V2&gt; from"));
        EXPECT_THAT(page, HasSubstr(style == 3 ? "href=\"" + encPath + "\"" : "href=\"file://" + encPath + "\""));
        EXPECT_THAT(page, HasSubstr(textName)) << style;
        EXPECT_THAT(page, Not(HasSubstr(name))) << style;
        if (style == 0) {
            EXPECT_THAT(page, HasSubstr("[owned by &lt;b&gt;&amp;co]"));
        }
    }
    // Folder links and missing-file lines.
    EXPECT_EQ(BuildFolderLinks(env.path("folders.lis")),
              "1. <a href=\"" + encFolder + "\" target=new>" + folder + "</a><BR>");
    std::string miss;
    AppendMissingLine(miss, "/x/<gone>.doc");
    EXPECT_EQ(miss, "<FONT color=#808080>/x/&lt;gone&gt;.doc was not found on hard drive</FONT><BR>\r\n");
}

TEST(FileUrls, EncodeWhatAUrlCannotCarry) {
    struct Case {
        const char* path;
        const char* url;
    } cases[] = {
        {"/home/u/My Docs/a.doc", "file:///home/u/My Docs/a.doc"},
        {"/a#b/50%/q?.txt", "file:///a%23b/50%25/q%3F.txt"},
        {"/a\\b/{c}`", "file:///a%5Cb/%7Bc%7D%60"},
        {"/caf\xC3\xA9/\x01", "file:///caf%C3%A9/%01"},
        {"/r&d/", "file:///r&amp;d/"},
    };
    for (const Case& c : cases) EXPECT_EQ(FileUrl(c.path), c.url) << c.path;
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    EXPECT_EQ(FileUrl("rel/x"), "file://" + std::string(cwd) + "/rel/x");
}

TEST(FindLinks, FirstFourCharactersAreFind) {
    struct Case {
        const char* url;
        bool find;
        const char* words;
    } cases[] = {
        {"FINDreport 2026", true, "report 2026"}, {"find:budget", true, ":budget"}, {"Find", true, ""},
        {"file:///x/FINDME", false, ""},          {"FIN", false, ""},
    };
    for (const Case& c : cases) {
        std::string w;
        EXPECT_EQ(IsFindLink(c.url, w), c.find) << c.url;
        if (c.find) {
            EXPECT_EQ(w, c.words);
        }
    }
}

TEST_F(PageTest, SaveSearchResults) {
    env.write("results.htm", "<HTML>page</HTML>");
    struct Case {
        std::optional<std::string> answer;
        bool saved;
    } cases[] = {{std::nullopt, false}, {"", false}, {"*.HTM", false}, {env.path("kept.HTM"), true}};
    for (const Case& c : cases) {
        env.host.expectSaveFile(c.answer);
        EXPECT_EQ(SaveSearchResults(env.path("results.htm")), c.saved);
    }
    EXPECT_EQ(env.read("kept.HTM"), "<HTML>page</HTML>");
    EXPECT_FALSE(env.exists("kept.HTM.BAK"));
    ASSERT_FALSE(env.host.dialogs.empty());
    const dr::FileDialogRequest& d = env.host.dialogs.back();
    EXPECT_EQ(d.title, "Choose a name to save the List of Directories");
    EXPECT_EQ(d.startFolder, env.folder());
    EXPECT_EQ(d.fileName, "*.HTM");
    EXPECT_EQ(d.defaultExt, "HTM");
    EXPECT_EQ(d.filter, "*.HTM");
}

// Records what is opened; everything else goes to the real platform.
class OpenRecorder : public dr::Platform {
public:
    std::vector<std::string> opened;
    std::string executablePath() override { return real->executablePath(); }
    std::string programFolder() override { return real->programFolder(); }
    std::string userName() override { return real->userName(); }
    std::string computerName() override { return real->computerName(); }
    std::string specialFolder(dr::SpecialFolder w) override { return real->specialFolder(w); }
    std::vector<std::string> recentDocuments() override { return {}; }
    bool fileStat(const std::string& p, dr::FileStat& out, bool noFollow) override {
        return real->fileStat(p, out, noFollow);
    }
    std::string accountName(uint32_t uid) override { return real->accountName(uid); }
    std::string fileOwner(const std::string& p, bool& ok) override { return real->fileOwner(p, ok); }
    std::vector<dr::Volume> volumes() override { return {}; }
    bool listFolder(const std::string& f, bool withStat, const std::function<bool(const DirEntry&)>& fn) override {
        return real->listFolder(f, withStat, fn);
    }
    int openDocument(const std::string& target, const std::string&) override {
        opened.push_back(target);
        return dr::launch::kOk;
    }
    bool startProgram(const std::vector<std::string>&) override { return false; }
    int runProgramAndWait(const std::vector<std::string>&, const std::function<void()>&) override { return -1; }
    bool hasDisplay() override { return false; }

private:
    std::unique_ptr<dr::Platform> real = dr::makeNativePlatform();
};

TEST_F(PageTest, LaunchResultsInBrowser) {
    OpenRecorder rec;
    dr::setPlatform(&rec);
    LaunchResultsInBrowser();
    dr::setPlatform(nullptr);
    EXPECT_THAT(rec.opened, ElementsAre(env.path("results.htm")));
}

} // namespace
