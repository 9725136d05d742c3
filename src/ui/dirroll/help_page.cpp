#include "ui/dirroll/help_page.h"

#include <cstdio>
#include <cstring>

namespace dr::ui {

const char* helpPageHtml() {
    return "<!DOCTYPE html>\r\n<html><head><meta charset=\"utf-8\"><title>Dirroller Help</title></head>\r\n"
           "<body style=\"font-family: sans-serif; max-width: 48em\">\r\n"
           "<h1>Dirroller</h1>\r\n"
           "<p>Dirroller builds lists of files from <b>profiles</b>. A profile names folders (a trailing "
           "<code>*</code> takes the whole tree below a folder), file patterns, a date range and texts that "
           "exclude folders. Pick a profile in the combo box at the top left; its saved list shows at once, "
           "and <b>Refresh</b> (F2) scans the disk again.</p>\r\n"
           "<h2>The window</h2>\r\n<ul>\r\n"
           "<li><b>Refresh</b> (F2) rebuilds the list; Ctrl+F2 uses any dates; Shift+F2 clears the excluded "
           "folders first.</li>\r\n"
           "<li><b>Halt</b> stops a refresh or the loading of a large list.</li>\r\n"
           "<li>Click a column header to sort by it; click again to reverse the order.</li>\r\n"
           "<li>Tick a row's box to tag it; the status bar counts files, bytes and tags.</li>\r\n"
           "<li>F12 shows the specification panel, F11 toggles a thin view, Shift+F12 pauses automatic "
           "refreshes (the list turns grey).</li>\r\n"
           "<li>Drag the bar between the list and the viewer to share the width.</li>\r\n</ul>\r\n"
           "<h2>Saved lists</h2>\r\n"
           "<p>Every list is kept as a <code>.DR</code> file beside the program, so the next run of the profile "
           "shows at once. <i>Save List for Client (DAT)</i> writes one where you choose; Dirroller Client "
           "searches such lists.</p>\r\n"
           "<h2>Unattended runs</h2>\r\n"
           "<p>Started with a profile name on its command line, Dirroller refreshes that profile without a "
           "window and writes its saved list (for schedulers). Started as <code>dr-server</code>, it refreshes "
           "every profile named in <code>dr-server.cfg</code>.</p>\r\n"
           "</body></html>\r\n";
}

bool writeHelpPage(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const char* t = helpPageHtml();
    bool ok = std::fwrite(t, 1, std::strlen(t), f) == std::strlen(t);
    return std::fclose(f) == 0 && ok;
}

} // namespace dr::ui
