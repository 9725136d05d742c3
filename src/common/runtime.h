#pragma once
// Time and place of this run: the clock, the program folder, who and where.
// main() fills it from the platform; tests put a temporary folder and a fixed
// clock in place.
#include <cstdint>
#include <memory>
#include <string>

#include "common/host.h"
#include "platform/datetime.h"
#include "platform/platform.h"

namespace dr {

class Clock {
public:
    virtual ~Clock() = default;
    virtual DateTime now() = 0;          // local time
    virtual int64_t steadyMillis() = 0;  // for elapsed times only
};

class SystemClock : public Clock {
public:
    DateTime now() override;
    int64_t steadyMillis() override;
};

class FixedClock : public Clock {
public:
    explicit FixedClock(DateTime t) : t_(t) {}
    DateTime now() override { return t_; }
    int64_t steadyMillis() override { return ms_; }
    void set(DateTime t) { t_ = t; }
    void advanceSeconds(int64_t s) { t_ = t_.addSeconds(s); ms_ += s * 1000; }
    void advanceMillis(int64_t ms) { ms_ += ms; }

private:
    DateTime t_;
    int64_t ms_ = 0;
};

struct Runtime {
    Host* host = nullptr;
    Clock* clock = nullptr;
    std::string programFolder; // no trailing '/'
    std::string programName;   // the executable's name as started, without extension
    std::string userName;
    std::string computerName;
    // The configured log level (set by cLog::init) and the level the library
    // gives its routine lines (3; the client passes 0 so they are written).
    int16_t logLevel = 0;
    int16_t routineLogLevel = 3;

    // A side file in the program folder: programFolder + "/" + name.
    std::string sideFile(const std::string& name) const;
};

// The process-wide runtime. Before init it holds a headless host, the system
// clock and the platform's names.
Runtime& rt();
inline Host& host() { return *rt().host; }
inline DateTime now() { return rt().clock->now(); }

// Fills the runtime from the platform and argv[0]; keeps the given host.
void initRuntime(const char* argv0, Host* h);

// The path of the system's other program (`dirroll`, `dr-client`): beside the
// running executable, else in the program folder.
std::string siblingProgram(const std::string& name);

// The base name of argv[0] without its extension ("dr-server" for a link of that name).
std::string programNameFromArgv0(const std::string& argv0);

} // namespace dr
