#include "common/launch.h"

#include "common/log.h"
#include "common/runtime.h"
#include "platform/platform.h"

namespace dr {

std::string launchErrorText(int code, const std::string& target) {
    switch (code) {
    case 2: return "File not found\r\n" + target;
    case 3: return "Path not found";
    case 5: return "Access denied";
    case 8: return "Out of memory";
    case 11: return "Invalid EXE file or error in EXE image";
    case 26: return "A sharing violation occurred";
    case 27: return "Incomplete or invalid file association";
    case 28: return "DDE Time out";
    case 29: return "DDE transaction failed";
    case 30: return "DDE busy";
    case 31: return "No association for file extension";
    case 32: return "DLL not found";
    default: return "Unknown error";
    }
}

void LaunchDocument(const std::string& target, bool, const std::string& params) {
    if (target.empty()) return;
    int code = platform().openDocument(target, params);
    if (code > 32) {
        appLog().log("Successfully ShellExecute '" + target + "'", routineLogLevel());
        return;
    }
    appLog().log("Failed to ShellExecute '" + target + "'", 0);
    host().message(launchErrorText(code, target), "", Buttons::OK);
}

std::vector<std::string> splitCommandLine(const std::string& line) {
    std::vector<std::string> args;
    std::string cur;
    bool inArg = false, quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (c == '\\') {
            size_t n = 0;
            while (i < line.size() && line[i] == '\\') ++n, ++i;
            if (i < line.size() && line[i] == '"') {
                // 2n backslashes and a quote: n backslashes and a toggle;
                // 2n+1: n backslashes and a literal quote.
                cur.append(n / 2, '\\');
                if (n % 2) cur += '"';
                else quoted = !quoted;
            } else {
                cur.append(n, '\\');
                --i;
            }
            inArg = true;
        } else if (c == '"') {
            if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
                cur += '"';
                ++i;
            } else {
                quoted = !quoted;
            }
            inArg = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inArg) args.push_back(std::move(cur));
            cur.clear();
            inArg = false;
        } else {
            cur += c;
            inArg = true;
        }
    }
    if (inArg) args.push_back(std::move(cur));
    return args;
}

int RunProgramAndWait(const std::string& commandLine) {
    std::vector<std::string> argv = splitCommandLine(commandLine);
    if (argv.empty()) return -1;
    Host& h = host();
    return platform().runProgramAndWait(argv, [&h] { h.doEvents(); });
}

} // namespace dr
