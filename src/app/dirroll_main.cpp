// dirroll: the window, or automode when a profile is named on the command
// line, or dr-server when started under that name.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/host.h"
#include "common/log.h"
#include "common/runtime.h"
#include "dirroll/startup.h"
#include "platform/platform.h"

#if DR_HAVE_UI
#include "ui/dirroll/window_entry.h"
#endif

// The server window, when a UI that has one is linked in.
int runDrServerWindow() __attribute__((weak));

static const char kUsage[] =
    "Usage: dirroll [PROFILE]\n"
    "\n"
    "Without a profile the window opens.\n"
    "PROFILE  refresh one profile unattended and write its saved list: a profile\n"
    "         name of the program folder (Documents reads Documents.pro and writes\n"
    "         Documents.DR) or the path of a .pro file (its list goes beside it).\n"
    "         Everything after the program name is the profile, blanks included.\n"
    "\n"
    "Started as dr-server, every profile listed in dr-server.cfg is refreshed and,\n"
    "when so configured, copied to the shared folder. Messages go to the log in\n"
    "the program folder.\n"
    "\n"
    "  --help     show this text\n"
    "  --version  show the version\n";

int main(int argc, char** argv) {
    const char* argv0 = argc > 0 ? argv[0] : "dirroll";
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("dirroll %s\n", dr::getAppVersionNum().c_str());
        return 0;
    }

    using dr::roll::StartMode;
    const std::string commandLine = dr::roll::JoinCommandLine(argc, argv);
    const bool unattended = dr::roll::ChooseStartMode(dr::programNameFromArgv0(argv0), commandLine) !=
                            StartMode::Window;
    // Nobody answers boxes in an unattended run: they go to the log.
    static dr::HeadlessHost headless(dr::headlessLogSink());
    dr::initRuntime(argv0, unattended ? &headless : nullptr);

    dr::roll::StartInfo info = dr::roll::startProgram(commandLine);
    if (info.mode != StartMode::Window) return dr::roll::runUnattended(info, runDrServerWindow);
#if DR_HAVE_UI
    // Without a window system Qt would abort; say what can be done instead.
    const char* qpa = std::getenv("QT_QPA_PLATFORM");
    if (!dr::platform().hasDisplay() && !(qpa && *qpa)) {
        std::fputs("dirroll: no display; name a profile to run it unattended (see --help)\n", stderr);
        return 1;
    }
    return runDirrollWindow(argc, argv);
#else
    std::fputs("dirroll: this build has no window; name a profile to run it unattended (see --help)\n", stderr);
    return 1;
#endif
}
