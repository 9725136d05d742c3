#pragma once
// Linux-only helpers of the platform, open to tests that feed them prepared text.
#include <string>
#include <vector>

#include "platform/platform.h"

namespace dr {

// The volumes of a mount table: /proc/self/mountinfo (mountinfo=true) or
// /proc/mounts format. Pseudo file systems and runtime folders are left out;
// a later mount on the same mount point replaces the earlier one.
std::vector<Volume> parseMountTable(const std::string& text, bool mountinfo);

} // namespace dr
