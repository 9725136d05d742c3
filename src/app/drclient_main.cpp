// dr-client: without arguments the search window, with options the same
// search from a terminal.
#include <iostream>
#include <string>
#include <vector>

#include "client/cli.h"
#include "common/host.h"
#include "common/log.h"
#include "common/runtime.h"

#if DR_HAVE_UI && __has_include("ui/client/window_entry.h")
#define DR_CLIENT_WINDOW 1
#include "ui/client/window_entry.h"
#else
#define DR_CLIENT_WINDOW 0
#endif

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    if (!dr::client::WantsCli(args)) {
        dr::initRuntime(argc > 0 ? argv[0] : "dr-client", nullptr);
#if DR_CLIENT_WINDOW
        return runClientWindow(argc, argv);
#else
        std::cerr << "dr-client: this build has no window; see dr-client --help\n";
        return 2;
#endif
    }
    static dr::HeadlessHost headless(dr::headlessLogSink());
    dr::initRuntime(argc > 0 ? argv[0] : "dr-client", &headless);
    return dr::client::runClientCli(args, std::cout, std::cerr);
}
