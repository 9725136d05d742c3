#pragma once
// The activity log. Each program keeps one cLog (appLog()) for its whole run;
// every line is written with its own open-append-close. A message is written
// when its level is at or below the configured level (rt().logLevel, set by
// cLog::init): 0 errors and essential lines, 1 start-up and file waits,
// 3 routine activity.
#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace dr {

// An error record a caller may attach to the logger.
struct LogErr {
    int number = 0;
    std::string description;
    void clear() { number = 0; description.clear(); }
};

class cLog {
public:
    // Writes "yyyy-mm-dd, hh:mm:ss, computer, user, message" to logFile when
    // the level passes. The three flags are accepted and have no effect. A
    // failed append shows "An error occurred appending to file ..." once per
    // failure and is never logged again.
    void log(const std::string& message, int level = 0, bool toListBox = false, bool toErrorFile = false,
             bool toTempFile = false);
    // Accepted; does nothing.
    void logError(const std::string& message, const LogErr* err = nullptr, int level = 0, bool toListBox = false,
                  bool toErrorFile = false, bool toTempFile = false);
    // Accepted; does nothing.
    void Clear(bool clearLog = false, bool clearError = false, bool clearTemp = false);
    // Empty names become <folder>/<program>.log, <folder>/error.log and
    // <folder>/temp.log (read them back through the properties). Sets the
    // configured level, fetches the names, logs "Started Program" at level 1
    // unless silent, then 54 hyphens at level 0.
    void init(const std::string& logFileName = "", const std::string& errorFileName = "",
              const std::string& tempFileName = "", bool runSilent = false, int16_t level = 0);

    void* listBox() const { return listBox_; }
    void setlistBox(void* box) { listBox_ = box; }
    int16_t LogLevel() const { return logLevel_; }
    void setLogLevel(int16_t v) { logLevel_ = v; } // does not change the filter
    const std::string& TempFile() const { return tempFile_; }
    void setTempFile(const std::string& v) { tempFile_ = v; }
    const std::string& errorFile() const { return errorFile_; }
    void setErrorFile(const std::string& v) { errorFile_ = v; }
    // Before init: the default activity log of the running program.
    std::string logFile() const;
    void setLogFile(const std::string& v) { logFile_ = v; }
    bool runSilent() const { return runSilent_; }
    void setRunSilent(bool v) { runSilent_ = v; }
    LogErr* err() const { return err_; }
    void setErr(LogErr* e) { err_ = e; }
    bool initialised() const { return initialised_; }

    // Appends one line to fileName ("" = the activity log) when the level
    // passes. entryType 1: "yyyymmdd,hh:mm:ss,user,computer,message"; 2:
    // "yyyymmdd,hh:mm:ss,message"; 77: "yyyymmdd,hh:mm:ss,userName,message";
    // anything else: the message alone. Failures go to error.log.
    void logToNamedFile(const std::string& fileName, const std::string& message, int entryType = 3,
                        int level = 0, const std::string& userName = "");
    // Appends "yyyymmdd,hhmm,user,computer, ARRAY=" + index-element for every
    // non-empty element (indexes from 0). Not filtered by level.
    void logArray(std::span<const std::string> items);
    std::string getAppVersionString() const;
    std::string getAppVersionNum() const;
    // Whether the file can be opened for appending (never creates it). An
    // attached err is cleared on failure.
    bool CheckFileAvailability(const std::string& fileName);

private:
    std::string logFile_, errorFile_, tempFile_;
    bool runSilent_ = false;
    int16_t logLevel_ = 0;
    void* listBox_ = nullptr;
    LogErr* err_ = nullptr;
    std::string userName_, computerName_;
    bool initialised_ = false;
    bool reporting_ = false; // inside the report of a failed append
};

// The program's one logger.
cLog& appLog();

// The configured level (rt().logLevel) and the level of the library's routine
// lines (rt().routineLogLevel: 3, the client passes 0).
int configuredLogLevel();
int routineLogLevel();
bool levelPasses(int level);

// "yyyymmdd,hh:mm:ss,program,user,computer,message" to the activity log when
// the level passes; on failure "LOGGING ERROR <date> <time> - text = message"
// to error.log.
void WriteLogLine(const std::string& message, int level = 0);
std::string GetLoginName();
std::string GetMachineName();

// "v3.4   (build N)" and "3.4.N" of this build.
std::string getAppVersionString();
std::string getAppVersionNum();
inline std::string GetVersionString() { return getAppVersionString(); }
inline std::string GetVersionNumber() { return getAppVersionNum(); }
std::string formatVersionString(int major, int minor, int build);
std::string formatVersionNum(int major, int minor, int build);

// For HeadlessHost: writes each box text to the program's log at level 0.
std::function<void(const std::string&)> headlessLogSink();

// Appends text (already with its line end) to a file, creating it; false with
// errno's text in *why on failure.
bool appendToFile(const std::string& path, const std::string& text, std::string* why = nullptr);

} // namespace dr
