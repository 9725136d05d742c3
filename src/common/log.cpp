#include "common/log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "common/runtime.h"
#include "dr_version.h"

namespace dr {

namespace {

const char kCrLf[] = "\r\n";

template <typename... Args>
std::string fmt(const char* f, Args... args) {
    char buf[32];
    std::snprintf(buf, sizeof buf, f, args...);
    return buf;
}
std::string ymd(const DateTime& t) { return fmt("%04d%02d%02d", t.year, t.month, t.day); }
std::string hms(const DateTime& t) { return fmt("%02d:%02d:%02d", t.hour, t.minute, t.second); }
std::string isoDate(const DateTime& t) { return fmt("%04d-%02d-%02d", t.year, t.month, t.day); }

std::string defaultLogFile() { return rt().sideFile(rt().programName + ".log"); }
std::string fallbackFile() { return rt().sideFile("error.log"); }

// The fall-back writers swallow their own failures.
void writeFallback(const std::string& head, const std::string& text) {
    DateTime t = now();
    appendToFile(fallbackFile(), head + isoDate(t) + " " + hms(t) + " - text = " + text + kCrLf);
}

} // namespace

bool appendToFile(const std::string& path, const std::string& text, std::string* why) {
    int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        if (why) *why = std::strerror(errno);
        return false;
    }
    const char* p = text.data();
    size_t left = text.size();
    bool ok = true;
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = false;
            if (why) *why = std::strerror(n < 0 ? errno : EIO);
            break;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    if (::close(fd) != 0 && ok) {
        ok = false;
        if (why) *why = std::strerror(errno);
    }
    return ok;
}

int configuredLogLevel() { return rt().logLevel; }
int routineLogLevel() { return rt().routineLogLevel; }
bool levelPasses(int level) { return level <= rt().logLevel; }

std::string cLog::logFile() const { return logFile_.empty() ? defaultLogFile() : logFile_; }

void cLog::log(const std::string& message, int level, bool, bool, bool) {
    if (!levelPasses(level)) return;
    DateTime t = now();
    const std::string& computer = initialised_ ? computerName_ : rt().computerName;
    const std::string& user = initialised_ ? userName_ : rt().userName;
    std::string line = isoDate(t) + ", " + hms(t) + ", " + computer + ", " + user + ", " + message + kCrLf;
    std::string path = logFile();
    std::string why;
    if (appendToFile(path, line, &why) || reporting_) return;
    // The box may itself be logged (headless hosts do): that nested failure
    // must not report again.
    reporting_ = true;
    host().message("An error occurred appending to file " + path + "\r\nErr = " + why);
    reporting_ = false;
}

void cLog::logError(const std::string&, const LogErr*, int, bool, bool, bool) {}
void cLog::Clear(bool, bool, bool) {}

void cLog::init(const std::string& logFileName, const std::string& errorFileName, const std::string& tempFileName,
                bool runSilent, int16_t level) {
    logFile_ = logFileName.empty() ? defaultLogFile() : logFileName;
    errorFile_ = errorFileName.empty() ? rt().sideFile("error.log") : errorFileName;
    tempFile_ = tempFileName.empty() ? rt().sideFile("temp.log") : tempFileName;
    runSilent_ = runSilent;
    logLevel_ = level;
    rt().logLevel = level;
    userName_ = rt().userName;
    computerName_ = rt().computerName;
    initialised_ = true; // the lines below already use the fetched names
    if (!runSilent_) log("Started Program", 1);
    log(std::string(54, '-'), 0);
}

void cLog::logToNamedFile(const std::string& fileName, const std::string& message, int entryType, int level,
                          const std::string& userName) {
    if (!levelPasses(level)) return;
    DateTime t = now();
    std::string stamp = ymd(t) + "," + hms(t) + ",";
    std::string line;
    switch (entryType) {
    case 1: line = stamp + GetLoginName() + "," + GetMachineName() + "," + message; break;
    case 2: line = stamp + message; break;
    case 77: line = stamp + userName + "," + message; break;
    default: line = message; break;
    }
    if (!appendToFile(fileName.empty() ? logFile() : fileName, line + kCrLf))
        writeFallback("VASK LOGGING ERROR ", message);
}

void cLog::logArray(std::span<const std::string> items) {
    DateTime t = now();
    std::string line = ymd(t) + "," + fmt("%02d%02d", t.hour, t.minute) + "," + GetLoginName() +
                       "," + GetMachineName() + ", ARRAY=";
    for (size_t i = 0; i < items.size(); ++i)
        if (!items[i].empty()) line += std::to_string(i) + "-" + items[i];
    if (!appendToFile(logFile(), line + kCrLf)) writeFallback("ARRAY LOGGING ERROR ", "error logging array");
}

std::string cLog::getAppVersionString() const { return dr::getAppVersionString(); }
std::string cLog::getAppVersionNum() const { return dr::getAppVersionNum(); }

bool cLog::CheckFileAvailability(const std::string& fileName) {
    int fd = ::open(fileName.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd >= 0) {
        ::close(fd);
        return true;
    }
    if (err_) err_->clear();
    return false;
}

cLog& appLog() {
    static cLog log;
    return log;
}

void WriteLogLine(const std::string& message, int level) {
    if (!levelPasses(level)) return;
    DateTime t = now();
    std::string line = ymd(t) + "," + hms(t) + "," + rt().programName + "," + GetLoginName() + "," +
                       GetMachineName() + "," + message + kCrLf;
    if (!appendToFile(appLog().logFile(), line)) writeFallback("LOGGING ERROR ", message);
}

std::string GetLoginName() { return rt().userName; }
std::string GetMachineName() { return rt().computerName; }

std::string formatVersionString(int major, int minor, int build) {
    return "v" + std::to_string(major) + "." + std::to_string(minor) + "   (build " + std::to_string(build) + ")";
}
std::string formatVersionNum(int major, int minor, int build) {
    return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(build);
}
std::string getAppVersionString() { return formatVersionString(DR_VERSION_MAJOR, DR_VERSION_MINOR, DR_VERSION_BUILD); }
std::string getAppVersionNum() { return formatVersionNum(DR_VERSION_MAJOR, DR_VERSION_MINOR, DR_VERSION_BUILD); }

std::function<void(const std::string&)> headlessLogSink() {
    return [](const std::string& text) { appLog().log(text, 0); };
}

} // namespace dr
