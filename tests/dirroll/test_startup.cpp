#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "common/ini.h"
#include "desktop_platform.h"
#include "dirroll/automode.h"
#include "dirroll/main_model.h"
#include "dirroll/startup.h"
#include "support/test_env.h"

using namespace dr::roll;
using Lines = std::vector<std::string>;

namespace {


// The messages of the log lines written through WriteLogLine
// ("yyyymmdd,hh:mm:ss,program,user,computer,message").
Lines setupMessages(const drtest::TestEnv& env) {
    Lines out;
    for (const std::string& line : drtest::crlfLines(env.read("dirroll.log"))) {
        size_t at = line.find(",testpc,");
        if (line.size() > 8 && line[8] == ',' && at != std::string::npos) out.push_back(line.substr(at + 8));
    }
    return out;
}

class StartupTest : public drtest::EnvTest {
protected:
    drtest::DesktopPlatform desktop; // no real documents or recent files
};

} // namespace

TEST_F(StartupTest, FirstStartWritesTheDefaultSettingsFileAndProfiles) {
    StartInfo info = startProgram("", ScreenTwips{19200, 11520});
    EXPECT_EQ(info.mode, StartMode::Window);
    EXPECT_TRUE(info.createdIni);
    EXPECT_EQ(info.iniPath, env.path("dirroll.INI"));
    const std::string f = env.folder();
    const Lines expected = {
        "DIRROLL.INI - this INI file was automatically created on 11-Dec-2026 10:30:00",
        "",
        "[general]",
        "",
        "",
        "[chronal]",
        "dataPath=",
        "fileExtractionEXE=" + f + "/Tickwell.exe",
        "TempFileChronal=" + f + "/~temp01.str",
        "",
        "",
        "[HowToDisplayFiles]",
        ";  This section describes the default display mode for various file types",
        ";  You will still be able to display any file in any mode (if it will display)",
        ";  By default - all files will be shown as text unless specified otherwise below",
        ";  Note - all settings below can be overwritten, by turning off autochoose display",
        "",
        "This file can be changed from the Dirroll Options menu (Note the comma at the end of each entry)",
        "",
        "DefaultDisplay = 1",
        "Text=BAT,TXT,PRO,LIS,SYS,INI,CGI,C,CPP,H,HH,BAS,FRM,VBP,VBW,DAT,",
        "Picture=GIF,JPG,JPEG,ICO,WMF,BMP,",
        "Web=HTML,HTM,PDF,MHT,DOC,DOT,PNG,",
        "Strings=COM,DLL,",
        "Details=EXE,WAV,MP3,OGG",
        "OLE=XLS,",
        "ColorPicture = &H800080",
        "ColorWeb = &H800000",
        "ColorStrings = &HC0",
        "ColorDetails = &H8000",
        "ColorOLE = &H8000",
        "[frmFiles]",
        "Height = 10820",
        "width = 18500",
        "Left = 100",
        "top = 100",
        "",
        "[display]",
        "MenuCheckedViewSpecs = 0",
        "MenuCheckedAutoChoose = 1",
        "MenuCheckedWrapText = 1",
        "imgSplitter = 7110",
        "",
    };
    Lines got = drtest::crlfLines(env.read("dirroll.INI"));
    EXPECT_EQ(got.size(), 43u);
    EXPECT_EQ(got, expected);
    EXPECT_EQ(setupMessages(env), (Lines{"Setup - CreateDefaultIniFile", "Setup - CreateDefaultProfileFiles",
                                         "Setup - created new INI File (no other was there)"}));
    for (const char* p : {"Dirroll Directory.pro", "Graphics Files.pro", "Audio and Music.pro", "Document Files.pro",
                          "Source Code.pro", "Applications.pro", "System Configuration Files.pro", "Recent Files.pro",
                          "Recent Pictures.pro", "Recent Documents.pro"})
        EXPECT_TRUE(env.exists(p)) << p;
    // The settings reader sees the values the window restores.
    EXPECT_EQ(dr::ReadIniValue(info.iniPath, "frmFiles", "Width"), "18500");
    EXPECT_EQ(dr::ReadIniValue(info.iniPath, "HowToDisplayFiles", "DefaultDisplay"), "1");
}

TEST(StartupExisting, AnExistingSettingsFileIsNeverRewritten) {
    for (const char* name : {"dirroll.INI", "dirroll.ini"}) {
        drtest::TestEnv own;
        drtest::DesktopPlatform desktop;
        own.write(name, "[display]\r\nimgSplitter=5\r\n");
        StartInfo info = startProgram("Documents");
        EXPECT_FALSE(info.createdIni) << name;
        EXPECT_EQ(info.iniPath, own.path(name));
        EXPECT_EQ(own.read(name), "[display]\r\nimgSplitter=5\r\n");
        EXPECT_FALSE(own.exists("Graphics Files.pro"));
        EXPECT_TRUE(setupMessages(own).empty());
    }
}

TEST(StartMode, ServerByExactNameThenCommandLineThenWindow) {
    struct Case {
        const char* program;
        const char* line;
        StartMode mode;
    } cases[] = {
        {"dr-server", "", StartMode::Server},   {"dr-server", "Documents", StartMode::Server},
        {"dirroll", "Documents", StartMode::Automode}, {"dirroll", "", StartMode::Window},
        {"DR-SERVER", "", StartMode::Window},   {"dr-server2", "", StartMode::Window},
        {"dirroll", " ", StartMode::Automode},
    };
    for (const Case& c : cases) EXPECT_EQ(ChooseStartMode(c.program, c.line), c.mode) << c.program << "|" << c.line;
}

TEST(StartMode, TheCommandLineIsTheArgumentsJoinedByBlanks) {
    const char* none[] = {"dirroll"};
    const char* two[] = {"dirroll", "My", "Docs"};
    const char* quoted[] = {"dirroll", "\"Docs\""};
    const char* spaced[] = {"dirroll", "a  b", "", "c"};
    EXPECT_EQ(JoinCommandLine(1, none), "");
    EXPECT_EQ(JoinCommandLine(3, two), "My Docs");
    EXPECT_EQ(JoinCommandLine(2, quoted), "\"Docs\"");
    EXPECT_EQ(JoinCommandLine(4, spaced), "a  b  c");
}

TEST_F(StartupTest, WindowStateIsRestoredFromTheSettingsFile) {
    struct Case {
        const char* name;
        std::string display;
        bool specs, autoChoose, wrap;
        int splitter;
    } cases[] = {
        {"defaults", "MenuCheckedViewSpecs = 0\r\nMenuCheckedAutoChoose = 1\r\nMenuCheckedWrapText = 1\r\n"
                     "imgSplitter = 7110\r\n", false, true, true, 7110},
        {"zero splitter", "imgSplitter=0\r\n", false, false, false, 7110},
        {"missing", "", false, false, false, 7110},
        {"one and a blank", "MenuCheckedViewSpecs=1 \r\nimgSplitter=5000\r\n", true, false, false, 5000},
        {"true and -1", "MenuCheckedViewSpecs=true\r\nMenuCheckedAutoChoose=-1\r\nMenuCheckedWrapText=01\r\n", false,
         false, false, 7110},
        {"any case", "menucheckedwraptext=1\r\nIMGSPLITTER=123\r\n", false, false, true, 123},
    };
    for (const Case& c : cases) {
        env.write("dirroll.INI", "[display]\r\n" + c.display);
        WindowState s = RestoreWindowState(env.path("dirroll.INI"));
        EXPECT_EQ(s.viewSpecs, c.specs) << c.name;
        EXPECT_EQ(s.autoChoose, c.autoChoose) << c.name;
        EXPECT_EQ(s.wrapText, c.wrap) << c.name;
        EXPECT_EQ(s.splitterLeft, c.splitter) << c.name;
        EXPECT_EQ(s.excludedPathsFile, env.path("ExcludedPaths.txt")) << c.name;
    }
    EXPECT_EQ(RightMarginFor(true), 0);
    EXPECT_EQ(RightMarginFor(false), 1000000);
}

TEST_F(StartupTest, ColumnWidthsAndExcludedPathsFile) {
    env.write("dirroll.INI", "[general]\r\nExcludedPathlist=/srv/excluded.txt\r\n[ColumnHeaders]\r\n1=100\r\n3= 300\r\n"
                             "5=\r\n14=1400\r\n");
    WindowState s = RestoreWindowState(env.path("dirroll.INI"));
    EXPECT_EQ(s.excludedPathsFile, "/srv/excluded.txt");
    for (int k = 1; k <= 14; ++k) {
        const auto& w = s.columnWidths[static_cast<size_t>(k - 1)];
        if (k == 1 || k == 3 || k == 14) {
            ASSERT_TRUE(w.has_value()) << k;
            EXPECT_EQ(*w, k * 100) << k;
        } else {
            EXPECT_FALSE(w.has_value()) << k;
        }
    }
    MainModel m;
    const int untouched = m.files.widths[1];
    ApplyWindowState(m, s);
    EXPECT_EQ(m.files.widths[0], 100);
    EXPECT_EQ(m.files.widths[1], untouched);
    EXPECT_EQ(m.excludedPathsFile, "/srv/excluded.txt");
}

TEST_F(StartupTest, SavedWindowStateComesBackTheSame) {
    MainModel m;
    MenuTicks t = m.menus;
    t.viewSpecs = true;
    t.autoChoose = false;
    t.wrapText = true;
    m.setMenus(t);
    m.splitterLeft = 4321;
    for (size_t i = 0; i < 14; ++i) m.files.widths[i] = static_cast<int>(100 + i);
    const std::string ini = env.path("dirroll.INI");
    SaveWindowState(ini, WindowStateOf(m));
    EXPECT_EQ(dr::ReadIniValue(ini, "display", "MenuCheckedViewSpecs"), "1");
    EXPECT_EQ(dr::ReadIniValue(ini, "display", "MenuCheckedAutoChoose"), "0");
    EXPECT_EQ(dr::ReadIniValue(ini, "ColumnHeaders", "14"), "113");
    EXPECT_NE(env.read("dirroll.INI").find(" 4321"), std::string::npos) << "a blank before the number";

    MainModel back;
    ApplyWindowState(back, RestoreWindowState(ini));
    EXPECT_TRUE(back.menus.viewSpecs);
    EXPECT_FALSE(back.menus.autoChoose);
    EXPECT_TRUE(back.menus.wrapText);
    EXPECT_EQ(back.splitterLeft, 4321);
    EXPECT_EQ(back.files.widths, m.files.widths);
}

TEST_F(StartupTest, ChronalSettingsTakeTheirDefaults) {
    env.write("dirroll.INI", "[chronal]\r\ndataPath=/data/chronal\r\nfileExtractionEXE=\r\n");
    ChronalSettings c = ReadChronalSettings(env.path("dirroll.INI"));
    EXPECT_EQ(c.dataPath, "/data/chronal");
    EXPECT_EQ(c.extractionExe, env.path("Tickwell.exe"));
    EXPECT_EQ(c.tempFile, env.path("~temp01.str"));
}

TEST_F(StartupTest, InteractiveStartFillsTheWindowAndRunsRecentFiles) {
    startProgram("");
    env.write("ff_paths.lis", "/zeta\r\n\r\n/Alpha\r\n");
    env.write("ff_specs.lis", "*.TXT\r\n");
    env.write("data/a.txt", "a");
    env.write("Recent Files.pro", "S01/01/1984\r\nE12/31/2999\r\nP" + env.path("data") + "\r\nX*.*\r\n");
    MainModel m;
    WindowState s = BeginInteractiveStart(m);
    EXPECT_TRUE(m.loading);
    EXPECT_EQ(s.splitterLeft, 7110);
    EXPECT_TRUE(m.menus.autoChoose);
    EXPECT_EQ(m.dtFrom, (dr::DateTime{2026, 12, 4, 10, 30, 0}));
    struct stat st{};
    EXPECT_EQ(::stat(env.path("deleted").c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));

    ChronalSettings c = FinishInteractiveStart(m);
    EXPECT_FALSE(m.loading);
    EXPECT_EQ(c.extractionExe, env.path("Tickwell.exe"));
    EXPECT_EQ(m.profileText(), "Recent Files");
    ASSERT_EQ(m.files.size(), 1u);
    EXPECT_EQ(m.files.text(0, Filename), "a.txt");
    // The profile's own lists replace what the side files gave.
    EXPECT_EQ(m.lstPath.items(), (Lines{env.path("data")}));
    EXPECT_GT(m.profiles.size(), 5u);
}

TEST_F(StartupTest, InteractiveStartReadsTheSideFilesIntoSortedLists) {
    startProgram("");
    for (const char* p : {"Recent Files.pro", "Recent Pictures.pro", "Recent Documents.pro"}) ::unlink(env.path(p).c_str());
    env.write("ff_paths.lis", "/zeta\r\n\r\n/Alpha\r\n");
    env.write("ff_specs.lis", "*.TXT\r\n");
    // No profiles at all: nothing runs.
    for (const char* p : {"Applications.pro", "Audio and Music.pro", "Dirroll Directory.pro", "Document Files.pro",
                          "Graphics Files.pro", "Source Code.pro", "System Configuration Files.pro"})
        ::unlink(env.path(p).c_str());
    MainModel m;
    BeginInteractiveStart(m);
    bool sawLists = false;
    env.host.onDoEvents = [&] {
        if (!sawLists && m.loading)
            sawLists = m.lstPath.items() == Lines{"/Alpha", "/zeta"} && m.lstXtn.items() == Lines{"*.TXT"};
    };
    FinishInteractiveStart(m);
    EXPECT_TRUE(sawLists);
    EXPECT_TRUE(m.profiles.empty());
    EXPECT_EQ(m.dateRangeIndex, AnyDates);
    EXPECT_EQ(m.dtFrom, (dr::DateTime{1984, 1, 1, 0, 0, 0}));
    EXPECT_EQ(m.dtTo.year, 2999);
}

TEST_F(StartupTest, UnattendedRunsReturnTheirStatus) {
    env.write("data/a.txt", "a");
    env.write("Docs.pro", "S01/01/1984\r\nE12/31/2999\r\nP" + env.path("data") + "\r\nX*.*\r\n");
    StartInfo info = startProgram("Docs");
    ASSERT_EQ(info.mode, StartMode::Automode);
    EXPECT_EQ(runUnattended(info), kExitOk);
    EXPECT_TRUE(env.exists("Docs.DR"));

    info.commandLine = "Nope";
    EXPECT_EQ(runUnattended(info), kExitMissingProfile);

    // dr-server: with a display and a server window, the window takes over.
    info.mode = StartMode::Server;
    static int windowRuns = 0;
    auto window = +[]() { return ++windowRuns, 7; };
    desktop.display = true;
    EXPECT_EQ(runUnattended(info, window), 7);
    desktop.display = false;
    EXPECT_EQ(runUnattended(info, window), kExitNoConfig);
    EXPECT_EQ(windowRuns, 1);
}
