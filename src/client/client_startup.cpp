#include "client/client_startup.h"

#include "client/server_update.h"

namespace dr::client {

StartupResult ClientStartup(MainScreen& screen) {
    ClientSettings& s = settings();
    s.debugMode = false;
    s.iniPath = IniPath();
    s.installMode = DetectInstallMode();
    LoadClientSettings(s);

    StartupResult r;
    if (s.updateServer == "1") {
        ServerUpdateResult u = RunServerUpdate(&screen, s);
        r.captionSuffix = u.captionSuffix;
        r.updated = u.updated;
    }
    r.quit = screen.initialise() == FillResult::NoListsStartMain;
    return r;
}

} // namespace dr::client
