#include "support/scripted_host.h"

#include <gtest/gtest.h>

namespace drtest {

void ScriptedHost::expectBox(dr::Answer answer, std::string expectText) {
    boxScript_.push_back({answer, std::move(expectText)});
}
void ScriptedHost::expectInput(std::optional<std::string> a) { inputScript_.push_back(std::move(a)); }
void ScriptedHost::expectOpenFile(std::optional<std::string> a) { openScript_.push_back(std::move(a)); }
void ScriptedHost::expectSaveFile(std::optional<std::string> a) { saveScript_.push_back(std::move(a)); }
void ScriptedHost::expectFolder(std::optional<std::string> a) { folderScript_.push_back(std::move(a)); }

std::vector<std::string> ScriptedHost::boxTexts() const {
    std::vector<std::string> r;
    for (auto& b : boxes) r.push_back(b.req.text);
    return r;
}

bool ScriptedHost::scriptUsedUp() const {
    return boxScript_.empty() && inputScript_.empty() && openScript_.empty() && saveScript_.empty() &&
           folderScript_.empty();
}

dr::Answer ScriptedHost::messageBox(const dr::MessageRequest& req) {
    dr::Answer a;
    if (!boxScript_.empty()) {
        Expected e = boxScript_.front();
        boxScript_.pop_front();
        if (!e.text.empty()) {
            EXPECT_NE(req.text.find(e.text), std::string::npos) << "box text: " << req.text;
        }
        a = e.answer;
    } else {
        if (!allowAny_) {
            ADD_FAILURE() << "unexpected message box [" << req.title << "] " << req.text;
        }
        a = dr::defaultAnswer(req);
    }
    boxes.push_back({req, a});
    return a;
}

template <class Q>
static std::optional<std::string> next(Q& q, const std::string& what) {
    if (q.empty()) {
        ADD_FAILURE() << "unexpected " << what;
        return std::nullopt;
    }
    auto a = q.front();
    q.pop_front();
    return a;
}

std::optional<std::string> ScriptedHost::inputBox(const std::string& prompt, const std::string&,
                                                  const std::string&) {
    inputs.push_back(prompt);
    return next(inputScript_, "input box: " + prompt);
}

std::optional<std::string> ScriptedHost::openFileDialog(const dr::FileDialogRequest& req) {
    dialogs.push_back(req);
    return next(openScript_, "open dialog: " + req.title);
}

std::optional<std::string> ScriptedHost::saveFileDialog(const dr::FileDialogRequest& req) {
    dialogs.push_back(req);
    return next(saveScript_, "save dialog: " + req.title);
}

std::optional<std::string> ScriptedHost::pickFolder(const std::string& title, const std::string&) {
    return next(folderScript_, "folder dialog: " + title);
}

void ScriptedHost::setStatusPanel(int index, const std::string& text) {
    if (index >= 1 && index <= 3) status[index].push_back(text);
}

void ScriptedHost::doEvents() {
    ++doEventsCount;
    if (onDoEvents) onDoEvents();
}

} // namespace drtest
