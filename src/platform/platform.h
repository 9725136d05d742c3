#pragma once
// The engine's only way to the operating system. Linux is implemented in
// platform_linux.cpp; a Windows build would add platform_windows.cpp behind
// the same interface.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/datetime.h"

namespace dr {

enum class SpecialFolder { Home, Documents, Pictures, Music, Downloads, Desktop, Videos };

// Drive types numbered as the drive report and the folder picker expect them.
enum class DriveType { Unknown = 0, NoRootDir = 1, Removable = 2, Fixed = 3, Remote = 4, CdRom = 5, RamDisk = 6 };

struct Volume {
    std::string root;      // mount point, ending with '/'
    std::string device;    // what is mounted there
    std::string fsType;
    DriveType type = DriveType::Unknown;
};

struct FileStat {
    bool exists = false;
    bool isDir = false;
    bool isRegular = false;
    bool isLink = false;     // the name itself is a symbolic link
    bool writable = false;   // by this process (from the mode bits in folder listings)
    uint64_t size = 0;
    uint32_t uid = 0;
    uint32_t gid = 0;
    uint32_t mode = 0;
    uint64_t dev = 0, ino = 0;
    std::time_t modified = 0, accessed = 0, created = 0;
    bool hasCreated = false; // the file system keeps a birth time
};

// Result codes of opening a document, in the shell's numbering: above 32 is success.
namespace launch {
constexpr int kOk = 42;
constexpr int kFileNotFound = 2;
constexpr int kPathNotFound = 3;
constexpr int kAccessDenied = 5;
constexpr int kBadExe = 11;
constexpr int kNoAssociation = 31;
constexpr int kUnknown = 0;
} // namespace launch

class Platform {
public:
    virtual ~Platform() = default;

    // Full path of the running executable.
    virtual std::string executablePath() = 0;
    // The executable's folder, or $DIRROLL_HOME when set; never ends with '/'.
    virtual std::string programFolder() = 0;
    virtual std::string userName() = 0;
    virtual std::string computerName() = 0;
    // "" when the folder is not known or does not exist. No trailing '/'.
    virtual std::string specialFolder(SpecialFolder which) = 0;
    // Paths of the user's recently used documents, newest first where known.
    virtual std::vector<std::string> recentDocuments() = 0;

    // stat (or lstat when noFollow) plus the birth time where the file system has one.
    virtual bool fileStat(const std::string& path, FileStat& out, bool noFollow = false) = 0;
    // The account name of a uid; "unknown" when no account has it. Cached.
    virtual std::string accountName(uint32_t uid) = 0;
    // The owner's account name; ok=false when the file cannot be examined.
    virtual std::string fileOwner(const std::string& path, bool& ok) = 0;
    virtual std::vector<Volume> volumes() = 0;

    // One entry of a folder listing. `name` is valid only during the callback.
    struct DirEntry {
        const char* name;
        size_t nameLen;
        bool isDir;      // a real folder (never a link to one)
        bool isRegular;  // a regular file (not a link, device, pipe or socket)
        bool isLink;
        const FileStat* stat; // filled (no link following) when asked for, else nullptr
    };
    // Lists a folder's entries other than "." and ".." in the file system's order,
    // with getdents and statx-class calls relative to the open folder. Returns
    // false when the folder cannot be opened. The callback returns false to stop.
    // With withStat, `stat` is never null: exists=false when the entry could not be
    // examined; entries that vanished meanwhile are left out.
    virtual bool listFolder(const std::string& folder, bool withStat,
                            const std::function<bool(const DirEntry&)>& fn) = 0;

    // Opens a document, folder, web or mail address with the desktop's opener;
    // an executable target is started directly. Returns a launch:: code.
    virtual int openDocument(const std::string& target, const std::string& params) = 0;
    // Starts a program without a shell; false when it could not be started.
    virtual bool startProgram(const std::vector<std::string>& argv) = 0;
    // Starts a program and waits for it, calling pump between short waits.
    // Returns its exit status, or -1 when it could not be started.
    virtual int runProgramAndWait(const std::vector<std::string>& argv, const std::function<void()>& pump) = 0;

    // Whether a window system is reachable (DISPLAY or WAYLAND_DISPLAY).
    virtual bool hasDisplay() = 0;
};

// The process-wide platform: the native one unless a test put another in place.
Platform& platform();
void setPlatform(Platform* p); // nullptr restores the native one
std::unique_ptr<Platform> makeNativePlatform();

} // namespace dr
