// The summary page of a saved list: totals, type groups, owners, years.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/summary.h"
#include "client_fixture.h"
#include "common/log.h"
#include "common/runtime.h"

using namespace dr::client;
using drtest::drList;
using drtest::drRecord;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

class SummaryTest : public drtest::ClientLogTest {
protected:
    // A record with the given extension, size, date and owner.
    static std::string rec(const std::string& name, const std::string& size, const std::string& date,
                           const std::string& owner = "") {
        return drRecord(name, "/d/", size, date, owner);
    }
    std::string summarise(const std::vector<std::string>& records, const std::vector<std::string>& owners = {kAnyUser}) {
        env.write("Work.DR", drList(records));
        drtest::setFileTime(env.path("Work.DR"), {2026, 12, 9, 17, 14, 5});
        EXPECT_TRUE(BuildListSummary(env.path("Work.DR"), env.path("Work.sum"), owners));
        return env.read("Work.sum");
    }
    // The lines of the page between two lines (both excluded).
    static std::vector<std::string> between(const std::string& page, const std::string& from, const std::string& to) {
        std::vector<std::string> out;
        size_t a = page.find(from + "\r\n");
        if (a == std::string::npos) return out;
        a += from.size() + 2;
        size_t b = page.find(to + "\r\n", a);
        std::string mid = page.substr(a, b - a);
        for (size_t p = 0; p < mid.size();) {
            size_t e = mid.find("\r\n", p);
            out.push_back(mid.substr(p, e - p));
            p = e + 2;
        }
        return out;
    }
    static constexpr const char* kTypeHead = "<TR><TD>File Types</TD><TD>Num Files</TD><TD>Size</TD></TR>";
    static constexpr const char* kUserHead = "<TR><TD>User</TD><TD>Num Files</TD><TD>Size</TD></TR>";
    static constexpr const char* kYearHead = "<TR><TD>Year</TD><TD>Num Files</TD><TD>Size</TD></TR>";
};

TEST_F(SummaryTest, WholePage) {
    std::string page = summarise({rec("a.doc", "      1,000", "2005-06-07 10:00", "jane"),
                                  rec("b.txt", "      2,000", "2026-01-01 00:00", "bob"),
                                  rec("c.jpg", "          0", "2005-01-01 00:00", "jane")},
                                 {kAnyUser, "jane", "bob", "nobody"});
    std::string expect =
        "<HTML><HEAD><TITLE>Summary of Dirroll</TITLE>\r\n" + drtest::kPageStyleText +
        "</HEAD><BODY>\r\n"
        "<H3>Summary Result for '" + env.path("Work.DR") + "'</H3>\r\n"
        "<FONT size=1 face=arial color=blue>Dirroll was last updated on Wed, 09-Dec-2026 17:14:05</font><BR>\r\n"
        "Total Files = 3<BR>\r\n"
        "Total Size  = 3,000 Bytes<BR>\r\n"
        "Average Size  = 1. kBytes <BR>\r\n"
        "<BR>\r\n"
        "<TABLE valign=top border=0 width=100% align=center valign=top><TR>\r\n"
        "<TD valign=top width=50%>\r\n"
        "List of Files Split by Type<BR>\r\n"
        "<TABLE  valign=top border=1 width=100% align=center valign=top>\r\n"
        "<TR><TD>File Types</TD><TD>Num Files</TD><TD>Size</TD></TR>\r\n"
        "<TR><TD>Documents ( DOC,XLS ) </TD>\r\n<TD>1</TD>\r\n<TD>1,000</TD></TR>\r\n"
        "<TR><TD>Pictures ( JPG,GIF,BMP ) </TD>\r\n<TD>1</TD>\r\n<TD>0</TD></TR>\r\n"
        "<TR><TD>Other File Types</TD>\r\n<TD>1</TD>\r\n<TD>2,000</TD></TR>\r\n"
        "</TR></TABLE>\r\n"
        "<BR><BR>List of Files Split by User<BR>\r\n"
        "<TABLE  valign=top border=1 width=100% align=center valign=top>\r\n"
        "<TR><TD>User</TD><TD>Num Files</TD><TD>Size</TD></TR>\r\n"
        "<TR><TD>jane</TD>\r\n<TD>2</TD>\r\n<TD>1,000</TD>\r\n"
        "<TR><TD>bob</TD>\r\n<TD>1</TD>\r\n<TD>2,000</TD>\r\n"
        "</TR></TABLE>\r\n"
        "</TD>\r\n"
        "<TD valign=top width=50%>\r\n"
        "List of Files Split by Year<BR>\r\n"
        "<TABLE valign=top border=1 width=100% align=center valign=top>\r\n"
        "<TR><TD>Year</TD><TD>Num Files</TD><TD>Size</TD></TR>\r\n"
        "<TR><TD>2005</TD><TD>2</TD><TD>1,000</TD></TR>\r\n"
        "<TR><TD>2026</TD><TD>1</TD><TD>2,000</TD></TR>\r\n"
        "</TR></TABLE>\r\n"
        "<BR>\r\n"
        "<BR>\r\n"
        "<BR><BR><BR></BODY></HTML>\r\n";
    EXPECT_EQ(page, expect);
}

TEST_F(SummaryTest, TypeGroups) {
    std::string page = summarise({rec("a.txt", "1", "2005-01-01 00:00"), rec("b.vsd", "2", "2005-01-01 00:00"),
                                  rec("c.asp", "4", "2005-01-01 00:00"), rec("d.sql", "8", "2005-01-01 00:00"),
                                  rec("e.MP3", "16", "2005-01-01 00:00"), rec("noext", "32", "2005-01-01 00:00"),
                                  rec("f.xls", "64", "2005-01-01 00:00")});
    // TXT, VSD and a name without extension are other types, listed after the named groups;
    // ASP is a web page, SQL source code, the extension field is compared without case.
    EXPECT_THAT(between(page, kTypeHead, "</TR></TABLE>"),
                ElementsAre("<TR><TD>Documents ( DOC,XLS ) </TD>", "<TD>1</TD>", "<TD>64</TD></TR>",
                            "<TR><TD>Webpages ( HTM,XML ) </TD>", "<TD>1</TD>", "<TD>4</TD></TR>",
                            "<TR><TD>Music Files ( MP3,OGG,WAV ) </TD>", "<TD>1</TD>", "<TD>16</TD></TR>",
                            "<TR><TD>Source Code ( VB,C,ASP ) </TD>", "<TD>1</TD>", "<TD>8</TD></TR>",
                            "<TR><TD>Other File Types</TD>", "<TD>3</TD>", "<TD>35</TD></TR>"));
}

TEST_F(SummaryTest, Owners) {
    struct Case {
        const char* what;
        std::vector<std::string> combo;
        std::vector<std::string> rows;
    } cases[] = {
        {"an owner listed twice is counted in both rows",
         {kAnyUser, "jane", "bob", "jane"},
         {"<TR><TD>jane</TD>", "<TD>2</TD>", "<TD>3</TD>", "<TR><TD>jane</TD>", "<TD>2</TD>", "<TD>3</TD>"}},
        {"owners match exactly; owners not in the combo are not counted",
         {kAnyUser, "JANE", "carol"},
         {}},
    };
    for (const Case& c : cases) {
        std::string page = summarise({rec("a.doc", "1", "2005-01-01 00:00", "jane"),
                                      rec("b.doc", "2", "2005-01-01 00:00", "jane"),
                                      rec("c.doc", "4", "2005-01-01 00:00", "[any user]")},
                                     c.combo);
        EXPECT_EQ(between(page, kUserHead, "</TR></TABLE>"), c.rows) << c.what;
    }
}

TEST_F(SummaryTest, ThirtyFiveUsers) {
    std::string users;
    std::vector<std::string> records;
    for (int i = 1; i <= 35; ++i) {
        users += "user" + std::to_string(i) + "\r\n";
        records.push_back(rec("f" + std::to_string(i) + ".doc", "10", "2005-01-01 00:00", "user" + std::to_string(i)));
    }
    env.write("users.txt", users);
    std::vector<std::string> combo = DefaultOwnerCombo();
    ASSERT_EQ(combo.size(), 36u);
    EXPECT_EQ(combo[0], kAnyUser);
    std::vector<std::string> rows = between(summarise(records, combo), kUserHead, "</TR></TABLE>");
    // Combo entries 1 to 30 are compared: "[any user]" and the first 29 lines of the file.
    ASSERT_EQ(rows.size(), 29u * 3);
    EXPECT_EQ(rows.front(), "<TR><TD>user1</TD>");
    EXPECT_EQ(rows[rows.size() - 3], "<TR><TD>user29</TD>");
}

TEST_F(SummaryTest, YearsRunToThisYear) {
    struct Case {
        std::vector<std::string> dates;
        std::vector<std::string> rows;
    } cases[] = {
        {{"1984-12-31 23:59", "1970-01-01 00:00", "garbage", "", "2027-01-01 00:00"}, {}},
        {{"1985-01-01 00:00", "2014-12-31 00:00", "2015-01-01 00:00", "2026-12-11 10:00"},
         {"<TR><TD>1985</TD><TD>1</TD><TD>10</TD></TR>", "<TR><TD>2014</TD><TD>1</TD><TD>10</TD></TR>",
          "<TR><TD>2015</TD><TD>1</TD><TD>10</TD></TR>", "<TR><TD>2026</TD><TD>1</TD><TD>10</TD></TR>"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> records;
        for (const std::string& d : c.dates) records.push_back(rec("a.doc", "10", d));
        std::string page = summarise(records);
        EXPECT_EQ(between(page, kYearHead, "</TR></TABLE>"), c.rows);
        EXPECT_THAT(page, HasSubstr("Total Files = " + std::to_string(c.dates.size()) + "<BR>"));
    }
}

TEST_F(SummaryTest, ListWithoutHeaderWritesNoPage) {
    env.write("Work.DR", "FullFilename,Filename\r\n" + drRecord("a.doc", "/d/") + "\r\n");
    env.write("Work.sum", "old page");
    env.host.expectBox(dr::Answer::OK, "Summary does not work on standard CSV files");
    EXPECT_FALSE(BuildListSummary(env.path("Work.DR"), env.path("Work.sum"), {kAnyUser}));
    EXPECT_EQ(env.read("Work.sum"), "old page");
    EXPECT_FALSE(BuildListSummary(env.path("missing.DR"), env.path("missing.sum"), {kAnyUser}));
    EXPECT_FALSE(env.exists("missing.sum"));
    EXPECT_TRUE(env.host.scriptUsedUp());
}

TEST_F(SummaryTest, DamagedRecordsAddWhatTheyCan) {
    std::string wide = rec("w.doc", "5", "2005-01-01 00:00", "jane");
    for (int i = 0; i < 26; ++i) wide += "junk\x1f";
    std::string page = summarise({"\x1fshort.doc\x1f/d/\x1f", rec("n.doc", "lots", "2005-01-01 00:00", "jane"),
                                  "   ", std::string(1 << 20, 'z'), wide, rec("g.doc", "7", "nonsense")},
                                 {kAnyUser, "jane"});
    EXPECT_THAT(page, HasSubstr("Total Files = 5<BR>\r\nTotal Size  = 12 Bytes<BR>\r\n"));
    EXPECT_EQ(between(page, kUserHead, "</TR></TABLE>"),
              (std::vector<std::string>{"<TR><TD>jane</TD>", "<TD>2</TD>", "<TD>5</TD>"}));
    EXPECT_EQ(between(page, kYearHead, "</TR></TABLE>"),
              (std::vector<std::string>{"<TR><TD>2005</TD><TD>2</TD><TD>5</TD></TR>"}));
}

TEST_F(SummaryTest, EmptyListAndProgress) {
    std::string page = summarise({});
    EXPECT_THAT(page, HasSubstr("Total Files = <BR>\r\nTotal Size  =  Bytes<BR>\r\nAverage Size  = 0 kBytes <BR>"));
    EXPECT_EQ(between(page, kTypeHead, "</TR></TABLE>"), std::vector<std::string>{});

    std::vector<std::string> records(80, rec("a.doc", "1", "2005-01-01 00:00"));
    env.write("Work.DR", drList(records));
    std::vector<std::string> labels;
    ListSummary s;
    ASSERT_TRUE(SummariseList(env.path("Work.DR"), {kAnyUser}, s, [&](const std::string& l) { labels.push_back(l); }));
    EXPECT_THAT(labels, ElementsAre("Processing File # 37", "Processing File # 74"));
    EXPECT_EQ(s.files, 80);
}

TEST_F(SummaryTest, OwnerNamesAndListPathAreEscaped) {
    env.write("R&D <x>/Work.DR", drList({rec("a.doc", "1", "2005-01-01 00:00", "<script>")}));
    ASSERT_TRUE(BuildListSummary(env.path("R&D <x>/Work.DR"), env.path("R&D <x>/Work.sum"), {kAnyUser, "<script>"}));
    std::string page = env.read("R&D <x>/Work.sum");
    EXPECT_THAT(page, HasSubstr("<H3>Summary Result for '" + env.path("R&amp;D &lt;x&gt;/Work.DR") + "'</H3>"));
    EXPECT_THAT(page, HasSubstr("<TR><TD>&lt;script&gt;</TD>"));
    EXPECT_THAT(page, Not(HasSubstr("<script>")));
}

} // namespace
