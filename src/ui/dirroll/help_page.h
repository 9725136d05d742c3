#pragma once
// The help page "help-dirroll.html" that "&Contents" opens, written beside the
// program when it is missing.
#include <string>

namespace dr::ui {

// The page's HTML text.
const char* helpPageHtml();
// Writes the page to path; false when it cannot be written.
bool writeHelpPage(const std::string& path);

} // namespace dr::ui
