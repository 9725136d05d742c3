#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "common/ini.h"
#include "support/test_env.h"

using namespace dr;
using drtest::EnvTest;

namespace {

// Mixed line ends, comments, blank lines, duplicates and odd spacing, as
// hand-edited settings files have them.
const std::string kSample =
    "; settings\r\n"
    "[Main]\r\n"
    "  Name = Alpha Beta  \r\n"
    "Empty=\r\n"
    "Blank =   \r\n"
    "dup=first\r\n"
    "DUP=second\r\n"
    "noequals\r\n"
    ";Hidden=yes\r\n"
    "\r\n"
    "[ Spaced Section ]\n"
    "k=lf-only\n"
    "[CrOnly]\r"
    "k=cr-only\r"
    "[main]\r\n"
    "Late=in second main\r\n"
    "[Last]\r\n"
    "eq=a=b\r\n"
    "tail=no line end";

struct ReadCase {
    const char* section;
    const char* key;
    const char* want;
};

} // namespace

TEST_F(EnvTest, IniReadsWithTheProfileRules) {
    env.write("s.ini", kSample);
    const ReadCase cases[] = {
        {"Main", "Name", "Alpha Beta"},        // trimmed, inner blank kept
        {"MAIN", "name", "Alpha Beta"},        // names match without regard to case
        {"Main", "Empty", ""},                 // empty reads like missing
        {"Main", "Blank", ""},
        {"Main", "Missing", ""},
        {"Nope", "Name", ""},
        {"Main", "dup", "first"},              // first key wins
        {"Main", "noequals", ""},
        {"Main", ";Hidden", ""},               // comment
        {"Main", "Late", ""},                  // only the first matching section counts
        {"Spaced Section", "k", "lf-only"},
        {"CrOnly", "K", "cr-only"},
        {"Last", "eq", "a=b"},                 // value runs to the line end
        {"Last", "tail", "no line end"},
        {"", "Name", ""},
        {"Main", "", ""},
    };
    IniSnapshot snap(env.path("s.ini"));
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(std::string(c.section) + "/" + c.key);
        EXPECT_EQ(ReadIniValue(env.path("s.ini"), c.section, c.key), c.want);
        EXPECT_EQ(snap.value(c.section, c.key), c.want);
    }
    EXPECT_EQ(snap.sectionNames(),
              (std::vector<std::string>{"Main", "Spaced Section", "CrOnly", "main", "Last"}));
    const auto* main = snap.section("main");
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->size(), 5u); // Name, Empty, Blank, dup, DUP
    EXPECT_EQ(ReadIniSection(env.path("s.ini"), "last"),
              (std::vector<IniPair>{{"eq", "a=b"}, {"tail", "no line end"}}));
}

TEST_F(EnvTest, IniWriteChangesOnlyItsOwnLine) {
    const std::string file = env.path("s.ini");
    struct Case {
        const char* what;
        const char* section;
        const char* key;
        const char* value;
        std::string before, after;
    } cases[] = {
        {"replace keeps the file's key spelling and every other byte", "main", "NAME", "Gamma",
         kSample, [] {
             std::string s = kSample;
             s.replace(s.find("  Name = Alpha Beta  \r\n"), 23, "Name=Gamma\r\n");
             return s;
         }()},
        {"replace in an LF file", "b", "k", "2", "[a]\nk=1\n[b]\nk=1\n", "[a]\nk=1\n[b]\nk=2\r\n"},
        {"new key after the last key line, before blank lines", "a", "new", "v",
         "[a]\r\nx=1\r\n; note\r\n\r\n\r\n[b]\r\ny=2\r\n", "[a]\r\nx=1\r\n; note\r\nnew=v\r\n\r\n\r\n[b]\r\ny=2\r\n"},
        {"new key in a section that is the last line", "b", "z", "3", "[a]\r\nx=1\r\n[b]",
         "[a]\r\nx=1\r\n[b]\r\nz=3\r\n"},
        {"new key in an empty section", "a", "k", "v", "[a]\n[b]\n", "[a]\nk=v\r\n[b]\n"},
        {"new section at the end of a file without a final line end", "c", "k", "v", "[a]\r\nx=1",
         "[a]\r\nx=1\r\n[c]\r\nk=v\r\n"},
        {"only the first matching section is changed", "a", "k", "new", "[a]\r\n[A]\r\nk=old\r\n",
         "[a]\r\nk=new\r\n[A]\r\nk=old\r\n"},
        {"a line break ends the value", "a", "k", "one\r\n[evil]\r\nx=1", "[a]\r\nk=0\r\n", "[a]\r\nk=one\r\n"},
        {"an empty value is written", "a", "k", "", "[a]\r\nk=0\r\n", "[a]\r\nk=\r\n"},
        {"no sections at all", "s", "k", "v", "just text\r\n", "just text\r\n[s]\r\nk=v\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        env.write("s.ini", c.before);
        WriteIniValue(c.section, c.key, c.value, file);
        EXPECT_EQ(env.read("s.ini"), c.after);
    }
    // The temporary files are gone.
    int entries = 0;
    for (const auto& e : std::filesystem::directory_iterator(env.folder())) ++entries, (void)e;
    EXPECT_EQ(entries, 1);
}

TEST_F(EnvTest, IniWriteCreatesAndRoundTrips) {
    const std::string file = env.path("new.ini");
    WriteIniValue("Window", "Left", "120", file);
    WriteIniValue("Window", "Top", "  spaced value  ", file);
    WriteIniValue("Other", "Flag", "-1", file);
    WriteIniValue("window", "left", "130", file);
    EXPECT_EQ(env.read("new.ini"), "[Window]\r\nLeft=130\r\nTop=  spaced value  \r\n[Other]\r\nFlag=-1\r\n");
    EXPECT_EQ(ReadIniValue(file, "WINDOW", "TOP"), "spaced value");

    // No caching: another writer's change is seen at once.
    env.write("new.ini", "[Window]\nLeft=7\n");
    EXPECT_EQ(ReadIniValue(file, "Window", "Left"), "7");

    // A missing folder is a silent failure.
    WriteIniValue("a", "b", "c", env.path("no/such/dir.ini"));
    EXPECT_FALSE(env.exists("no"));
}

TEST_F(EnvTest, IniWriteKeepsModeAndWritesThroughLinks) {
    env.write("real.ini", "[a]\r\nk=1\r\n");
    ASSERT_EQ(::chmod(env.path("real.ini").c_str(), 0640), 0);
    ASSERT_EQ(::symlink("real.ini", env.path("link.ini").c_str()), 0);
    WriteIniValue("a", "k", "2", env.path("link.ini"));
    struct stat st{};
    ASSERT_EQ(::lstat(env.path("link.ini").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(env.read("real.ini"), "[a]\r\nk=2\r\n");
    ASSERT_EQ(::stat(env.path("real.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(EnvTest, IniLongValuesAreCappedOnRead) {
    const std::string file = env.path("s.ini");
    std::string big(kIniValueMax + 500, 'x');
    WriteIniValue("a", "k", big, file);
    EXPECT_EQ(ReadIniValue(file, "a", "k"), std::string(kIniValueMax, 'x'));
    EXPECT_EQ(IniSnapshot(file).value("a", "k").size(), kIniValueMax);
}

TEST_F(EnvTest, IniGarbageNeverBreaksTheReader) {
    std::string binary;
    for (int i = 0; i < 4096; ++i) binary += static_cast<char>((i * 7919) & 0xff);
    const std::pair<const char*, std::string> files[] = {
        {"binary", binary},
        {"nul in names", std::string("[a\0b]\r\nk\0=v\r\n[a]\r\nk=ok\r\n", 24)},
        {"megabyte line", "[a]\r\nk=" + std::string(1 << 20, 'y') + "\r\nz=after\r\n"},
        {"no sections", "k=v\r\nother=1\r\n"},
        {"unclosed header", "[a\r\nk=v\r\n"},
        {"only line ends", std::string(10000, '\r')},
        {"empty", ""},
    };
    for (const auto& [what, content] : files) {
        SCOPED_TRACE(what);
        env.write("g.ini", content);
        const std::string file = env.path("g.ini");
        (void)ReadIniValue(file, "a", "k");
        (void)IniSnapshot(file).sectionNames();
        WriteIniValue("a", "k", "written", file);
        EXPECT_EQ(ReadIniValue(file, "a", "k"), "written");
    }
    env.write("g.ini", "[a]\r\nk=" + std::string(1 << 20, 'y') + "\r\nz=after\r\n");
    EXPECT_EQ(ReadIniValue(env.path("g.ini"), "a", "z"), "after");
    env.write("g.ini", "k=v\r\n");
    EXPECT_EQ(ReadIniValue(env.path("g.ini"), "", "k"), "");
}

TEST_F(EnvTest, IniUnreadableFilesReadEmptyAndAreNotClobbered) {
    env.mkdir("folder.ini");
    EXPECT_EQ(ReadIniValue(env.path("folder.ini"), "a", "k"), "");
    EXPECT_EQ(ReadIniValue(env.path("missing.ini"), "a", "k"), "");
    IniSnapshot snap;
    EXPECT_FALSE(snap.load(env.path("missing.ini")));
    EXPECT_TRUE(snap.empty());
    WriteIniValue("a", "k", "v", env.path("folder.ini"));
    EXPECT_TRUE(std::filesystem::is_directory(env.path("folder.ini")));
}

TEST_F(EnvTest, IniFileWithoutReadPermissionIsNotClobbered) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
    env.write("locked.ini", "[a]\r\nk=1\r\n");
    ::chmod(env.path("locked.ini").c_str(), 0200);
    EXPECT_EQ(ReadIniValue(env.path("locked.ini"), "a", "k"), "");
    WriteIniValue("a", "other", "2", env.path("locked.ini"));
    ::chmod(env.path("locked.ini").c_str(), 0600);
    EXPECT_EQ(env.read("locked.ini"), "[a]\r\nk=1\r\n");
}
