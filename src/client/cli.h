#pragma once
// dr-client's command line: the search, the summary, the lists and the server
// update without a window.
#include <ostream>
#include <string>
#include <vector>

namespace dr::client {

// True when the arguments ask for a headless run (anything at all).
bool WantsCli(const std::vector<std::string>& args);
// Runs the options (without the program name). Exit status: 0 found or done,
// 1 nothing found, 2 error.
int runClientCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
std::string CliUsage();

} // namespace dr::client
