#include "common/runtime.h"

#include <chrono>

namespace dr {

DateTime SystemClock::now() { return DateTime::fromTimeT(std::time(nullptr), true); }

int64_t SystemClock::steadyMillis() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::string Runtime::sideFile(const std::string& name) const {
    if (!name.empty() && name[0] == '/') return programFolder + name;
    return programFolder + "/" + name;
}

static Runtime makeDefault() {
    static HeadlessHost headless;
    static SystemClock clock;
    Runtime r;
    r.host = &headless;
    r.clock = &clock;
    Platform& p = platform();
    r.programFolder = p.programFolder();
    r.programName = programNameFromArgv0(p.executablePath());
    r.userName = p.userName();
    r.computerName = p.computerName();
    return r;
}

Runtime& rt() {
    static Runtime r = makeDefault();
    return r;
}

std::string programNameFromArgv0(const std::string& argv0) {
    std::string base = argv0.substr(argv0.find_last_of('/') + 1);
    auto dot = base.rfind('.');
    if (dot != std::string::npos && dot > 0) base.erase(dot);
    return base;
}

std::string siblingProgram(const std::string& name) {
    const std::string exe = platform().executablePath();
    const size_t slash = exe.find_last_of('/');
    if (slash != std::string::npos) {
        std::string beside = exe.substr(0, slash + 1) + name;
        FileStat st;
        if (platform().fileStat(beside, st) && st.isRegular) return beside;
    }
    return rt().sideFile(name);
}

void initRuntime(const char* argv0, Host* h) {
    Runtime& r = rt();
    if (h) r.host = h;
    if (argv0 && *argv0) r.programName = programNameFromArgv0(argv0);
}

} // namespace dr
