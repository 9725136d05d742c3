#pragma once
// Brings newer saved lists and the users file from the server folder into the
// program folder at start.
#include <string>

#include "client/client_settings.h"

namespace dr::client {

class MainScreen;

enum class FolderCheck { Exists, Missing, Error };
// Whether `folder` names an existing folder; Error when it cannot be examined
// (an unreachable share, no permission, not a folder).
FolderCheck CheckServerFolder(const std::string& folder);

// Copies `name` from the server folder when the local copy is missing or of
// another day; counts each copy that succeeded in settings().updatedCount.
// Returns true when it copied.
bool UpdateFileIfNeeded(const std::string& name, ClientSettings& s = settings());

// users.txt, then every "*.DR" of the server folder; refills the owner combo
// of `screen` when given.
void UpdateListsFromServer(MainScreen* screen = nullptr, ClientSettings& s = settings());

struct ServerUpdateResult {
    FolderCheck check = FolderCheck::Missing;
    int updated = 0;
    std::string captionSuffix; // "   ( 3 updates)" when at least one list was copied
};
// The start-up step: folder check (a missing folder is silent, an error shows
// the "is not responding" message), UpdateListsFromServer, and the list combo
// refilled when something was copied.
ServerUpdateResult RunServerUpdate(MainScreen* screen = nullptr, ClientSettings& s = settings());

} // namespace dr::client
