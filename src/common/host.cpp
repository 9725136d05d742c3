#include "common/host.h"

#include <cstdio>

namespace dr {

Answer defaultAnswer(const MessageRequest& req) {
    static const Answer order[][3] = {
        {Answer::OK, Answer::OK, Answer::OK},
        {Answer::OK, Answer::Cancel, Answer::Cancel},
        {Answer::Abort, Answer::Retry, Answer::Ignore},
        {Answer::Yes, Answer::No, Answer::Cancel},
        {Answer::Yes, Answer::No, Answer::No},
        {Answer::Retry, Answer::Cancel, Answer::Cancel},
    };
    int i = req.defaultButton < 0 || req.defaultButton > 2 ? 0 : req.defaultButton;
    return order[static_cast<int>(req.buttons)][i];
}

HeadlessHost::HeadlessHost(std::function<void(const std::string&)> logSink, bool toStderr)
    : sink_(std::move(logSink)), toStderr_(toStderr) {}

void HeadlessHost::report(const std::string& what) {
    if (sink_) sink_(what);
    if (toStderr_) std::fprintf(stderr, "%s\n", what.c_str());
}

static std::string oneLine(std::string s) {
    for (char& c : s)
        if (c == '\r' || c == '\n') c = ' ';
    return s;
}

Answer HeadlessHost::messageBox(const MessageRequest& req) {
    report("MSGBOX " + (req.title.empty() ? std::string() : "[" + oneLine(req.title) + "] ") + oneLine(req.text));
    return defaultAnswer(req);
}

std::optional<std::string> HeadlessHost::inputBox(const std::string& prompt, const std::string& title,
                                                  const std::string& defaultText) {
    report("INPUTBOX [" + oneLine(title) + "] " + oneLine(prompt));
    return defaultText;
}

std::optional<std::string> HeadlessHost::openFileDialog(const FileDialogRequest& req) {
    report("OPEN DIALOG " + oneLine(req.title) + " cancelled");
    return std::nullopt;
}

std::optional<std::string> HeadlessHost::saveFileDialog(const FileDialogRequest& req) {
    report("SAVE DIALOG " + oneLine(req.title) + " cancelled");
    return std::nullopt;
}

std::optional<std::string> HeadlessHost::pickFolder(const std::string& title, const std::string&) {
    report("FOLDER DIALOG " + oneLine(title) + " cancelled");
    return std::nullopt;
}

} // namespace dr
