#pragma once
// The client's start-up steps that need no window: settings, logs, the server
// update when configured, and the main screen's fields.
#include <string>

#include "client/list_model.h"

namespace dr::client {

struct StartupResult {
    bool quit = false;           // no lists in a FULL install: the main program was started
    std::string captionSuffix;   // to append to the window caption after a server update
    int updated = 0;
};

// debugMode off, installMode, LoadClientSettings, the server update when
// UpdateServer is "1", then MainScreen::initialise. The window installs its
// server dialog (setServerPathDialog) and the screen's callbacks first,
// restores its placement and lays itself out around this call, appends
// captionSuffix to its caption and closes when quit is set.
StartupResult ClientStartup(MainScreen& screen);

} // namespace dr::client
