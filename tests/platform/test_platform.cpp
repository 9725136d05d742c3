#include <gtest/gtest.h>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <thread>

#include "platform/platform.h"
#include "platform/platform_linux.h"
#include "support/test_env.h"

namespace {

using drtest::EnvTest;
using drtest::readFile;
using drtest::writeFile;

// Sets (or clears) an environment variable for one scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value) ::setenv(name, value->c_str(), 1);
        else ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (old_) ::setenv(name_, old_->c_str(), 1);
        else ::unsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

constexpr uid_t kNobody = 65534;

// Runs fn in a child process without root's privileges (permission checks do
// not apply to root) and returns fn's result, or -1 when the child failed.
int runUnprivileged(const std::function<int()>& fn) {
    pid_t pid = ::fork();
    if (pid == 0) {
        if (::geteuid() == 0) {
            ::setgroups(0, nullptr);
            if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(250);
        }
        ::_exit(fn() & 0xff);
    }
    int st = 0;
    ::waitpid(pid, &st, 0);
    return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
}

uint32_t unusedUid() {
    for (uint32_t uid = 54321;; ++uid)
        if (!::getpwuid(uid)) return uid;
}

void makeExecutable(const std::string& path, const std::string& content) {
    writeFile(path, content);
    ::chmod(path.c_str(), 0755);
}

// Takes every permission from a path for one scope (the temporary folder must stay removable).
class Locked {
public:
    explicit Locked(std::string path) : path_(std::move(path)) { ::chmod(path_.c_str(), 0); }
    ~Locked() { ::chmod(path_.c_str(), 0755); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    std::string path_;
};

bool waitForFile(const std::string& path) {
    for (int i = 0; i < 200; ++i) {
        if (::access(path.c_str(), F_OK) == 0) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

class PlatformTest : public EnvTest {
protected:
    std::unique_ptr<dr::Platform> plat = dr::makeNativePlatform();
};

// ---- program folder, names ----------------------------------------------

TEST_F(PlatformTest, ProgramFolderIsTheExecutablesFolderUnlessDirrollHomeIsSet) {
    const std::string exe = plat->executablePath();
    ASSERT_FALSE(exe.empty());
    EXPECT_EQ(exe.substr(exe.rfind('/') + 1), "test_platform");
    const std::string exeFolder = exe.substr(0, exe.rfind('/'));
    char cwd[PATH_MAX];
    ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);

    struct Case {
        std::optional<std::string> home;
        std::string expected;
    } cases[] = {
        {std::nullopt, exeFolder},
        {"", exeFolder},
        {env.folder(), env.folder()},
        {env.folder() + "//", env.folder()},
        {"rel/dir", std::string(cwd) + "/rel/dir"},
    };
    for (const Case& c : cases) {
        ScopedEnv e("DIRROLL_HOME", c.home);
        EXPECT_EQ(plat->programFolder(), c.expected) << (c.home ? *c.home : "(unset)");
    }
}

TEST_F(PlatformTest, UserNameComesFromTheAccountAndFallsBackToUserVariable) {
    const passwd* pw = ::getpwuid(::geteuid());
    ASSERT_NE(pw, nullptr);
    {
        ScopedEnv user("USER", "someone-else");
        EXPECT_EQ(plat->userName(), pw->pw_name);
    }
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to become an account-less uid";
    const uid_t stray = unusedUid();
    pid_t pid = ::fork();
    if (pid == 0) {
        if (::setuid(stray) != 0) ::_exit(250);
        ::setenv("USER", "fallback-user", 1);
        ::_exit(dr::makeNativePlatform()->userName() == "fallback-user" ? 0 : 1);
    }
    int st = 0;
    ::waitpid(pid, &st, 0);
    EXPECT_TRUE(WIFEXITED(st) && WEXITSTATUS(st) == 0);
}

TEST_F(PlatformTest, ComputerNameIsTheHostNameUpToTheFirstDot) {
    char host[256] = {};
    ASSERT_EQ(::gethostname(host, sizeof host - 1), 0);
    std::string expected(host);
    expected = expected.substr(0, expected.find('.'));
    EXPECT_EQ(plat->computerName(), expected);
    EXPECT_EQ(plat->computerName().find('.'), std::string::npos);
}

TEST_F(PlatformTest, HasDisplayFollowsDisplayVariables) {
    struct Case {
        std::optional<std::string> display, wayland;
        bool expected;
    } cases[] = {
        {std::nullopt, std::nullopt, false},
        {"", "", false},
        {":0", std::nullopt, true},
        {std::nullopt, "wayland-0", true},
    };
    for (const Case& c : cases) {
        ScopedEnv d("DISPLAY", c.display), w("WAYLAND_DISPLAY", c.wayland);
        EXPECT_EQ(plat->hasDisplay(), c.expected);
    }
}

// ---- special folders ----------------------------------------------------

TEST_F(PlatformTest, SpecialFoldersFromXdgUserDirsElsePlainFolders) {
    const std::string home = env.path("home");
    const std::string abs = env.path("elsewhere/My Docs");
    env.mkdir("home/Docs");
    env.mkdir("home/Documents");
    env.mkdir("home/Pictures");
    env.mkdir("home/Dl");
    env.mkdir("home/My \"Music\"");
    env.mkdir("elsewhere/My Docs");
    env.mkdir("altconfig");

    struct Case {
        const char* what;
        std::string userDirs;    // content of $HOME/.config/user-dirs.dirs ("" = no file)
        bool altConfig;          // file lives in $XDG_CONFIG_HOME instead
        dr::SpecialFolder folder;
        std::string expected;
    } cases[] = {
        {"home-relative", "XDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n", false, dr::SpecialFolder::Documents, home + "/Docs"},
        {"absolute, spaces, CR LF, comment", "# written by xdg-user-dirs-update\r\n  XDG_DOCUMENTS_DIR = \"" + abs + "/\"\r\n",
         false, dr::SpecialFolder::Documents, abs},
        {"last assignment wins", "XDG_DOCUMENTS_DIR=\"$HOME/Documents\"\nXDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n", false,
         dr::SpecialFolder::Documents, home + "/Docs"},
        {"missing XDG folder falls back", "XDG_DOCUMENTS_DIR=\"$HOME/Gone\"\n", false, dr::SpecialFolder::Documents,
         home + "/Documents"},
        {"no file falls back", "", false, dr::SpecialFolder::Documents, home + "/Documents"},
        {"relative value ignored", "XDG_DOCUMENTS_DIR=\"Docs\"\n", false, dr::SpecialFolder::Documents,
         home + "/Documents"},
        {"unclosed quote ignored", "XDG_DOCUMENTS_DIR=\"$HOME/Docs\n", false, dr::SpecialFolder::Documents,
         home + "/Documents"},
        {"other key not taken", "XDG_DOCUMENTS_DIRX=\"$HOME/Docs\"\n", false, dr::SpecialFolder::Documents,
         home + "/Documents"},
        {"download key", "XDG_DOWNLOAD_DIR=\"$HOME/Dl\"\n", false, dr::SpecialFolder::Downloads, home + "/Dl"},
        {"escaped quote", "XDG_MUSIC_DIR=\"$HOME/My \\\"Music\\\"\"\n", false, dr::SpecialFolder::Music,
         home + "/My \"Music\""},
        {"XDG_CONFIG_HOME honoured", "XDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n", true, dr::SpecialFolder::Documents,
         home + "/Docs"},
        {"no folder at all", "", false, dr::SpecialFolder::Videos, ""},
        {"plain pictures", "XDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n", false, dr::SpecialFolder::Pictures,
         home + "/Pictures"},
        {"home", "", false, dr::SpecialFolder::Home, home},
    };
    for (const Case& c : cases) {
        std::remove((home + "/.config/user-dirs.dirs").c_str());
        std::remove(env.path("altconfig/user-dirs.dirs").c_str());
        if (!c.userDirs.empty()) env.write(c.altConfig ? "altconfig/user-dirs.dirs" : "home/.config/user-dirs.dirs", c.userDirs);
        ScopedEnv h("HOME", home);
        ScopedEnv x("XDG_CONFIG_HOME", c.altConfig ? std::optional<std::string>(env.path("altconfig")) : std::nullopt);
        EXPECT_EQ(plat->specialFolder(c.folder), c.expected) << c.what;
    }
}

TEST_F(PlatformTest, SpecialFolderIsEmptyWhenHomeIsMissing) {
    ScopedEnv h("HOME", env.path("no-such-home"));
    ScopedEnv x("XDG_CONFIG_HOME", std::nullopt);
    EXPECT_EQ(plat->specialFolder(dr::SpecialFolder::Home), "");
    EXPECT_EQ(plat->specialFolder(dr::SpecialFolder::Documents), "");
}

// ---- recent documents ---------------------------------------------------

std::string bookmark(const std::string& href, const std::string& attrs = "") {
    return "  <bookmark href=\"" + href + "\" " + attrs + ">\n    <info><metadata owner=\"http://freedesktop.org\">"
           "<bookmark:applications><bookmark:application name=\"x\" exec=\"&apos;x %u&apos;\"/>"
           "</bookmark:applications></metadata></info>\n  </bookmark>\n";
}

std::string xbel(const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<xbel version=\"1.0\" "
           "xmlns:bookmark=\"http://www.freedesktop.org/standards/desktop-bookmarks\">\n" +
           body + "</xbel>\n";
}

TEST_F(PlatformTest, RecentDocumentsFromXbel) {
    using V = std::vector<std::string>;
    struct Case {
        const char* what;
        std::string content; // "" = no file
        V expected;
    } cases[] = {
        {"no file", "", {}},
        {"percent and entity decoding",
         xbel(bookmark("file:///home/u/My%20File%2B1.txt") + bookmark("file:///home/u/caf%C3%A9&amp;bar.odt") +
              bookmark("file:///home/u/50%.txt")),
         {"/home/u/My File+1.txt", "/home/u/caf\xC3\xA9&bar.odt", "/home/u/50%.txt"}},
        {"newest first by modified or visited",
         xbel(bookmark("file:///a", "added=\"2024-01-01T00:00:00Z\" modified=\"2024-01-02T00:00:00Z\"") +
              bookmark("file:///b", "modified=\"2024-01-01T00:00:00Z\" visited=\"2024-03-01T00:00:00.5Z\"") +
              bookmark("file:///c", "modified=\"2024-03-01T00:00:00.25Z\"") +
              bookmark("file:///d")),
         {"/b", "/c", "/a", "/d"}},
        {"non-file and remote URLs skipped",
         xbel(bookmark("https://example.com/x") + bookmark("file://otherhost/etc/x") +
              bookmark("file://localhost/ok") + bookmark("trash:///gone") + bookmark("file:///nul%00byte")),
         {"/ok"}},
        {"duplicates kept once",
         xbel(bookmark("file:///same", "modified=\"2024-01-02T00:00:00Z\"") +
              bookmark("file:///same", "modified=\"2024-01-01T00:00:00Z\"")),
         {"/same"}},
        {"single quotes and odd spacing", "<xbel><bookmark\n  visited = '2024-01-01T00:00:00Z'\thref='file:///q'/></xbel>",
         {"/q"}},
        {"truncated in a tag", xbel(bookmark("file:///first")) + "<bookmark href=\"file:///cut", {"/first"}},
        {"not a bookmark tag", "<bookmarks href=\"file:///no\"><bookmark:x href=\"file:///no2\"/>", {}},
        {"binary garbage", std::string("\x00\xff<bookmark \x01=\"\"\x02 href=\"file:///g\" >\x00<", 38), {"/g"}},
        {"no href", "<bookmark modified=\"2024-01-01T00:00:00Z\"></bookmark>", {}},
    };
    const std::string data = env.path("data");
    env.mkdir("data");
    ScopedEnv x("XDG_DATA_HOME", data);
    for (const Case& c : cases) {
        std::remove((data + "/recently-used.xbel").c_str());
        if (!c.content.empty()) writeFile(data + "/recently-used.xbel", c.content);
        EXPECT_EQ(plat->recentDocuments(), c.expected) << c.what;
    }
}

TEST_F(PlatformTest, RecentDocumentsUseHomeWithoutXdgDataHome) {
    env.write("home/.local/share/recently-used.xbel", xbel(bookmark("file:///from/home")));
    ScopedEnv h("HOME", env.path("home"));
    ScopedEnv x("XDG_DATA_HOME", std::nullopt);
    EXPECT_EQ(plat->recentDocuments(), std::vector<std::string>{"/from/home"});
}

// ---- file status --------------------------------------------------------

TEST_F(PlatformTest, FileStatOnFileFolderLinkAndMissing) {
    env.write("f.txt", "12345");
    env.mkdir("d");
    drtest::setFileTime(env.path("f.txt"), dr::DateTime{2020, 5, 6, 7, 8, 9});
    ASSERT_EQ(::symlink("f.txt", env.path("link").c_str()), 0);
    ASSERT_EQ(::symlink("nowhere", env.path("dangling").c_str()), 0);

    dr::FileStat st;
    ASSERT_TRUE(plat->fileStat(env.path("f.txt"), st));
    EXPECT_TRUE(st.exists && st.isRegular);
    EXPECT_FALSE(st.isDir || st.isLink);
    EXPECT_EQ(st.size, 5u);
    EXPECT_EQ(st.uid, ::geteuid());
    EXPECT_EQ(st.modified, (dr::DateTime{2020, 5, 6, 7, 8, 9}.toTimeT(true)));
    EXPECT_TRUE(st.writable);
    if (st.hasCreated) {
        EXPECT_GT(st.created, 1600000000);
    }
    struct stat raw;
    ::stat(env.path("f.txt").c_str(), &raw);
    EXPECT_EQ(st.ino, raw.st_ino);
    EXPECT_EQ(st.dev, raw.st_dev);

    ASSERT_TRUE(plat->fileStat(env.path("d"), st));
    EXPECT_TRUE(st.isDir);
    EXPECT_FALSE(st.isRegular);

    ASSERT_TRUE(plat->fileStat(env.path("link"), st));
    EXPECT_TRUE(st.isRegular);
    EXPECT_FALSE(st.isLink);
    EXPECT_EQ(st.size, 5u);
    ASSERT_TRUE(plat->fileStat(env.path("link"), st, true));
    EXPECT_TRUE(st.isLink);
    EXPECT_FALSE(st.isRegular);

    EXPECT_FALSE(plat->fileStat(env.path("dangling"), st));
    EXPECT_FALSE(st.exists);
    EXPECT_TRUE(plat->fileStat(env.path("dangling"), st, true));
    for (const std::string& p : {env.path("missing"), env.path("f.txt/below"), std::string()}) {
        EXPECT_FALSE(plat->fileStat(p, st)) << p;
        EXPECT_FALSE(st.exists);
    }
}

TEST_F(PlatformTest, WritableIsFalseForReadOnlyFilesOfOthers) {
    ::chmod(env.folder().c_str(), 0755);
    env.write("ro.txt", "x");
    env.write("rw.txt", "x");
    ::chmod(env.path("ro.txt").c_str(), 0444);
    ::chmod(env.path("rw.txt").c_str(), 0666);
    const std::string folder = env.folder();
    int r = runUnprivileged([&] {
        auto p = dr::makeNativePlatform();
        dr::FileStat ro, rw;
        if (!p->fileStat(folder + "/ro.txt", ro) || !p->fileStat(folder + "/rw.txt", rw)) return 1;
        bool listedRo = true, listedRw = false;
        p->listFolder(folder, true, [&](const dr::Platform::DirEntry& e) {
            std::string n(e.name, e.nameLen);
            if (n == "ro.txt") listedRo = e.stat->writable;
            if (n == "rw.txt") listedRw = e.stat->writable;
            return true;
        });
        return (!ro.writable && rw.writable && !listedRo && listedRw) ? 0 : 2;
    });
    EXPECT_EQ(r, 0);
}

// ---- owners -------------------------------------------------------------

TEST_F(PlatformTest, AccountNamesAndFileOwner) {
    EXPECT_EQ(plat->accountName(0), "root");
    const uint32_t stray = unusedUid();
    EXPECT_EQ(plat->accountName(stray), "unknown");
    EXPECT_EQ(plat->accountName(stray), "unknown");
    EXPECT_EQ(plat->accountName(0), "root");

    env.write("mine.txt", "x");
    bool ok = false;
    EXPECT_EQ(plat->fileOwner(env.path("mine.txt"), ok), plat->accountName(::geteuid()));
    EXPECT_TRUE(ok);
    EXPECT_EQ(plat->fileOwner(env.path("missing.txt"), ok), "");
    EXPECT_FALSE(ok);
    EXPECT_EQ(plat->fileOwner("", ok), "");
    EXPECT_FALSE(ok);

    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(env.path("mine.txt").c_str(), stray, 0), 0);
        EXPECT_EQ(plat->fileOwner(env.path("mine.txt"), ok), "unknown");
        EXPECT_TRUE(ok);
    }
}

// ---- volumes ------------------------------------------------------------

TEST_F(PlatformTest, VolumesListTheRootAndNoPseudoFileSystems) {
    std::vector<dr::Volume> vols = plat->volumes();
    ASSERT_FALSE(vols.empty());
    std::set<std::string> roots;
    for (const dr::Volume& v : vols) {
        EXPECT_EQ(v.root.back(), '/') << v.root;
        EXPECT_TRUE(roots.insert(v.root).second) << "twice: " << v.root;
        for (const char* pseudo : {"/proc/", "/sys/", "/dev/"})
            EXPECT_NE(v.root.rfind(pseudo, 0), 0u) << v.root;
        for (const char* fs : {"proc", "sysfs", "cgroup", "cgroup2", "devpts", "devtmpfs", "mqueue"})
            EXPECT_NE(v.fsType, fs) << v.root;
        if (v.fsType == "tmpfs") {
            EXPECT_EQ(v.type, dr::DriveType::RamDisk) << v.root;
        }
        if (v.fsType == "ext4" || v.fsType == "xfs" || v.fsType == "btrfs") {
            EXPECT_TRUE(v.type == dr::DriveType::Fixed || v.type == dr::DriveType::Removable) << v.root;
        }
    }
    auto root = std::find_if(vols.begin(), vols.end(), [](const dr::Volume& v) { return v.root == "/"; });
    ASSERT_NE(root, vols.end());
    EXPECT_FALSE(root->fsType.empty());
}

TEST(MountTable, DriveTypesFromMountinfo) {
    using dr::DriveType;
    const std::string info =
        "21 27 0:20 / /proc rw,relatime - proc proc rw\n"
        "22 27 0:21 / /sys rw,relatime shared:7 - sysfs sysfs rw\n"
        "23 27 0:6 / /dev rw - devtmpfs devtmpfs rw\n"
        "25 23 0:23 / /dev/shm rw - tmpfs tmpfs rw\n"
        "27 1 254:0 / / rw,relatime shared:1 master:2 - ext4 /dev/vda rw\n"
        "28 27 0:25 / /tmp rw - tmpfs tmpfs rw\n"
        "29 27 0:26 / /run rw - tmpfs tmpfs rw\n"
        "30 29 0:27 / /run/user/1000 rw - tmpfs tmpfs rw\n"
        "31 27 8:17 / /media/u/USB\\040STICK rw - vfat /dev/sdb1 rw\n"
        "32 27 8:33 / /run/media/u/Backup rw - exfat /dev/sdc1 rw\n"
        "33 27 11:0 / /media/cdrom ro - iso9660 /dev/sr0 ro\n"
        "34 27 0:40 / /mnt/share rw - cifs //server/share rw\n"
        "35 27 0:41 / /mnt/nfs rw - nfs4 server:/export rw\n"
        "36 27 0:42 / /home/u/remote rw - fuse.sshfs u@host: rw\n"
        "37 27 7:1 / /snap/core/1 ro - squashfs /dev/loop1 ro\n"
        "38 27 0:43 / /mnt/odd rw - weirdfs something rw\n"
        "39 27 254:1 / /data rw - xfs /dev/vdb rw\n"
        "40 27 254:2 / /data rw - btrfs /dev/vdc rw\n"
        "41 27 0:44 / /sys/fs/cgroup rw - cgroup2 cgroup2 rw\n"
        "garbage line\n"
        "42 27 0:45 / /mnt/nodash rw ext4 /dev/x\n"
        "\n";
    struct Want {
        std::string root, fs;
        DriveType type;
    } wants[] = {
        {"/", "ext4", DriveType::Fixed},
        {"/tmp/", "tmpfs", DriveType::RamDisk},
        {"/media/u/USB STICK/", "vfat", DriveType::Removable},
        {"/run/media/u/Backup/", "exfat", DriveType::Removable},
        {"/media/cdrom/", "iso9660", DriveType::CdRom},
        {"/mnt/share/", "cifs", DriveType::Remote},
        {"/mnt/nfs/", "nfs4", DriveType::Remote},
        {"/home/u/remote/", "fuse.sshfs", DriveType::Remote},
        {"/mnt/odd/", "weirdfs", DriveType::Unknown},
        {"/data/", "btrfs", DriveType::Fixed},
    };
    std::vector<dr::Volume> got = dr::parseMountTable(info, true);
    ASSERT_EQ(got.size(), std::size(wants));
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].root, wants[i].root);
        EXPECT_EQ(got[i].fsType, wants[i].fs) << wants[i].root;
        EXPECT_EQ(got[i].type, wants[i].type) << wants[i].root;
    }
    EXPECT_EQ(got[0].device, "/dev/vda");
    EXPECT_EQ(got[5].device, "//server/share");
}

TEST(MountTable, ProcMountsFormatAndGarbage) {
    std::vector<dr::Volume> got = dr::parseMountTable(
        "/dev/vda / ext4 rw 0 0\nproc /proc proc rw 0 0\n//srv/x /mnt/x cifs rw 0 0\n\x01\x02\n", false);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].root, "/");
    EXPECT_EQ(got[1].type, dr::DriveType::Remote);
    EXPECT_TRUE(dr::parseMountTable(std::string("\0\xff - - -\n  \n-", 14), true).empty());
    EXPECT_TRUE(dr::parseMountTable("", false).empty());
}

// ---- folder listing -----------------------------------------------------

struct Listed {
    bool isDir, isRegular, isLink;
    bool hasStat;
    dr::FileStat stat;
};

std::map<std::string, Listed> listAll(dr::Platform& p, const std::string& folder, bool withStat, bool* ok = nullptr) {
    std::map<std::string, Listed> out;
    bool r = p.listFolder(folder, withStat, [&](const dr::Platform::DirEntry& e) {
        Listed l{e.isDir, e.isRegular, e.isLink, e.stat != nullptr, e.stat ? *e.stat : dr::FileStat{}};
        EXPECT_EQ(std::strlen(e.name), e.nameLen);
        EXPECT_TRUE(out.emplace(std::string(e.name, e.nameLen), l).second);
        return true;
    });
    if (ok) *ok = r;
    return out;
}

TEST_F(PlatformTest, ListFolderGivesKindsWithoutFollowingLinks) {
    env.write("top/a.txt", "abc");
    env.write("top/.hidden", "h");
    env.write("top/sub/inner.txt", "inner");
    ASSERT_EQ(::symlink("sub", env.path("top/linkdir").c_str()), 0);
    ASSERT_EQ(::symlink("a.txt", env.path("top/linkfile").c_str()), 0);
    ASSERT_EQ(::mkfifo(env.path("top/pipe").c_str(), 0600), 0);

    for (bool withStat : {false, true}) {
        bool ok = false;
        auto got = listAll(*plat, env.path("top"), withStat, &ok);
        ASSERT_TRUE(ok);
        ASSERT_EQ(got.size(), 6u);
        struct Want {
            const char* name;
            bool isDir, isRegular, isLink;
        } wants[] = {{"a.txt", false, true, false},    {".hidden", false, true, false},
                     {"sub", true, false, false},      {"linkdir", false, false, true},
                     {"linkfile", false, false, true}, {"pipe", false, false, false}};
        for (const Want& w : wants) {
            ASSERT_TRUE(got.count(w.name)) << w.name;
            const Listed& l = got[w.name];
            EXPECT_EQ(l.isDir, w.isDir) << w.name;
            EXPECT_EQ(l.isRegular, w.isRegular) << w.name;
            EXPECT_EQ(l.isLink, w.isLink) << w.name;
            EXPECT_EQ(l.hasStat, withStat) << w.name;
            if (withStat) {
                EXPECT_TRUE(l.stat.exists);
                EXPECT_EQ(l.stat.isLink, w.isLink) << w.name;
            }
        }
        if (withStat) {
            EXPECT_EQ(got["a.txt"].stat.size, 3u);
            EXPECT_EQ(got["linkfile"].stat.size, 5u); // the link's own length, "a.txt"
            EXPECT_EQ(got["a.txt"].stat.uid, ::geteuid());
        }
    }
}

TEST_F(PlatformTest, ListFolderFailsOnMissingFileAndUnreadableFolders) {
    env.write("plain.txt", "x");
    bool ok = true;
    EXPECT_TRUE(listAll(*plat, env.path("missing"), true, &ok).empty());
    EXPECT_FALSE(ok);
    EXPECT_TRUE(listAll(*plat, env.path("plain.txt"), false, &ok).empty());
    EXPECT_FALSE(ok);

    ::chmod(env.folder().c_str(), 0755);
    env.mkdir("locked");
    env.write("locked/secret.txt", "s");
    Locked lock(env.path("locked"));
    const std::string locked = env.path("locked");
    EXPECT_EQ(runUnprivileged([&] {
                  auto p = dr::makeNativePlatform();
                  bool called = false;
                  bool r = p->listFolder(locked, false, [&](const dr::Platform::DirEntry&) { return called = true; });
                  return !r && !called ? 0 : 1;
              }),
              0);
}

TEST_F(PlatformTest, ListFolderStopsWhenAskedAndNestsSafely) {
    for (int i = 0; i < 5; ++i) env.write("t/f" + std::to_string(i), "");
    for (int i = 0; i < 3; ++i) env.write("t/d" + std::to_string(i) + "/x", "");
    int seen = 0;
    EXPECT_TRUE(plat->listFolder(env.path("t"), false, [&](const dr::Platform::DirEntry&) { return ++seen < 2; }));
    EXPECT_EQ(seen, 2);

    // listing a subfolder from inside the callback must not disturb the outer listing
    std::set<std::string> outer, inner;
    plat->listFolder(env.path("t"), true, [&](const dr::Platform::DirEntry& e) {
        std::string name(e.name, e.nameLen);
        outer.insert(name);
        if (e.isDir)
            plat->listFolder(env.path("t/" + name), true, [&](const dr::Platform::DirEntry& in) {
                inner.insert(name + "/" + std::string(in.name, in.nameLen));
                return true;
            });
        return true;
    });
    EXPECT_EQ(outer.size(), 8u);
    EXPECT_EQ(inner, (std::set<std::string>{"d0/x", "d1/x", "d2/x"}));
}

TEST_F(PlatformTest, ListFolderReadsFoldersLargerThanOneBuffer) {
    const std::string pad(120, 'n');
    const int count = 2000; // well over 64 KiB of directory entries
    env.mkdir("big");
    for (int i = 0; i < count; ++i) writeFile(env.path("big/" + pad + std::to_string(i)), "");
    std::set<std::string> names;
    plat->listFolder(env.path("big"), true, [&](const dr::Platform::DirEntry& e) {
        names.insert(std::string(e.name, e.nameLen));
        return e.isRegular && e.stat && e.stat->exists;
    });
    EXPECT_EQ(names.size(), static_cast<size_t>(count));
}

// ---- opening documents --------------------------------------------------

// A fake desktop opener first on PATH: records its argument and exits with a chosen status.
class OpenDocumentTest : public PlatformTest {
protected:
    void SetUp() override {
        env.mkdir("bin");
        path_.emplace("PATH", env.path("bin") + ":/usr/bin:/bin");
    }
    void installOpener(int exitStatus) {
        makeExecutable(env.path("bin/xdg-open"), "#!/bin/sh\nprintf '%s' \"$1\" > \"" + env.path("opened") +
                                                     "\"\nexit " + std::to_string(exitStatus) + "\n");
    }
    std::string opened() { return env.exists("opened") ? env.read("opened") : "(nothing)"; }
    void forget() { std::remove(env.path("opened").c_str()); }

    std::optional<ScopedEnv> path_;
};

TEST_F(OpenDocumentTest, FailuresBeforeTheOpenerAreMapped) {
    installOpener(0);
    env.write("file.txt", "x");
    env.write("bad-exe", "\x7f" "ELF this is no program");
    ::chmod(env.path("bad-exe").c_str(), 0755);
    struct Case {
        std::string target;
        int expected;
    } cases[] = {
        {"", dr::launch::kOk},
        {env.path("missing.txt"), dr::launch::kFileNotFound},
        {env.path("missing.txt/"), dr::launch::kFileNotFound},
        {env.path("nofolder/missing.txt"), dr::launch::kPathNotFound},
        {env.path("file.txt/below.txt"), dr::launch::kPathNotFound},
        {env.path("bad-exe"), dr::launch::kBadExe},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(plat->openDocument(c.target, ""), c.expected) << c.target;
        EXPECT_EQ(opened(), "(nothing)") << c.target;
    }
}

TEST_F(OpenDocumentTest, UnreadableFileIsAccessDenied) {
    installOpener(0);
    ::chmod(env.folder().c_str(), 0755);
    env.write("secret.txt", "x");
    env.mkdir("closed");
    env.write("closed/inside.txt", "x");
    Locked lockFile(env.path("secret.txt")), lockFolder(env.path("closed"));
    const std::string secret = env.path("secret.txt"), inside = env.path("closed/inside.txt"),
                      closed = env.path("closed");
    EXPECT_EQ(runUnprivileged([&] { return dr::makeNativePlatform()->openDocument(secret, ""); }),
              dr::launch::kAccessDenied);
    EXPECT_EQ(runUnprivileged([&] { return dr::makeNativePlatform()->openDocument(inside, ""); }),
              dr::launch::kAccessDenied);
    EXPECT_EQ(runUnprivileged([&] { return dr::makeNativePlatform()->openDocument(closed, ""); }),
              dr::launch::kAccessDenied);
    EXPECT_EQ(opened(), "(nothing)");
}

TEST_F(OpenDocumentTest, DocumentsFoldersAndAddressesGoThroughTheOpener) {
    env.write("doc.pdf", "%PDF");
    env.write("flagged.pdf", "%PDF"); // the executable bit alone does not make a program
    ::chmod(env.path("flagged.pdf").c_str(), 0755);
    env.mkdir("folder");
    struct Case {
        int openerExit;
        std::string target;
        int expected;
    } cases[] = {
        {0, env.path("doc.pdf"), dr::launch::kOk},
        {0, env.path("flagged.pdf"), dr::launch::kOk},
        {0, env.path("folder"), dr::launch::kOk},
        {0, "https://example.com/a b", dr::launch::kOk},
        {0, "mailto:someone@example.com", dr::launch::kOk},
        {3, env.path("doc.pdf"), dr::launch::kNoAssociation},
        {4, env.path("doc.pdf"), dr::launch::kNoAssociation},
        {2, "https://example.com", dr::launch::kFileNotFound},
        {1, env.path("doc.pdf"), dr::launch::kUnknown},
    };
    for (const Case& c : cases) {
        installOpener(c.openerExit);
        forget();
        EXPECT_EQ(plat->openDocument(c.target, "ignored params"), c.expected) << c.target << " exit " << c.openerExit;
        EXPECT_EQ(opened(), c.target);
    }
}

TEST_F(OpenDocumentTest, MissingOpenerIsNoAssociation) {
    env.write("doc.txt", "x");
    ScopedEnv p("PATH", env.path("bin"));
    EXPECT_EQ(plat->openDocument(env.path("doc.txt"), ""), dr::launch::kNoAssociation);
    EXPECT_EQ(plat->openDocument("https://example.com", ""), dr::launch::kNoAssociation);
}

TEST_F(OpenDocumentTest, ProgramsAreStartedDirectlyWithTheirParameters) {
    installOpener(0);
    makeExecutable(env.path("prog.sh"), "#!/bin/sh\nfor a in \"$@\"; do printf '[%s]' \"$a\"; done > \"" +
                                            env.path("ran.tmp") + "\"\nmv \"" + env.path("ran.tmp") + "\" \"" +
                                            env.path("ran") + "\"\n");
    EXPECT_EQ(plat->openDocument(env.path("prog.sh"), " one  \"two words\" three"), dr::launch::kOk);
    ASSERT_TRUE(waitForFile(env.path("ran")));
    EXPECT_EQ(env.read("ran"), "[one][two words][three]");
    EXPECT_EQ(opened(), "(nothing)");
}

// ---- starting programs --------------------------------------------------

TEST_F(PlatformTest, StartProgramRunsDetachedWithoutShell) {
    const std::string out = env.path("started");
    EXPECT_TRUE(plat->startProgram({"sh", "-c", "echo \"$0\" > " + out + ".tmp; mv " + out + ".tmp " + out, "a;b"}));
    ASSERT_TRUE(waitForFile(out));
    EXPECT_EQ(env.read("started"), "a;b\n");
    EXPECT_FALSE(plat->startProgram({}));
    EXPECT_FALSE(plat->startProgram({"no-such-program-anywhere"}));
    EXPECT_FALSE(plat->startProgram({env.path("no-such-file")}));
}

TEST_F(PlatformTest, RunProgramAndWaitReturnsTheStatusAndPumps) {
    struct Case {
        std::vector<std::string> argv;
        int expected;
        int minPumps;
    } cases[] = {
        {{"/bin/sh", "-c", "exit 3"}, 3, 0},
        {{"sh", "-c", "sleep 0.2; exit 0"}, 0, 3},
        {{"sh", "-c", "kill -9 $$"}, 128 + 9, 0},
        {{"no-such-program-anywhere"}, -1, 0},
        {{}, -1, 0},
    };
    for (const Case& c : cases) {
        int pumps = 0;
        EXPECT_EQ(plat->runProgramAndWait(c.argv, [&] { ++pumps; }), c.expected) << testing::PrintToString(c.argv);
        EXPECT_GE(pumps, c.minPumps);
        EXPECT_LE(pumps, 40) << "waits in slices, not a busy loop";
    }
    EXPECT_EQ(plat->runProgramAndWait({"/bin/sh", "-c", "exit 7"}, nullptr), 7);
}

// ---- the process-wide platform -----------------------------------------

TEST(PlatformSwitch, SetPlatformReplacesAndRestoresTheNativeOne) {
    dr::Platform& native = dr::platform();
    auto other = dr::makeNativePlatform();
    dr::setPlatform(other.get());
    EXPECT_EQ(&dr::platform(), other.get());
    dr::setPlatform(nullptr);
    EXPECT_EQ(&dr::platform(), &native);
}

} // namespace
