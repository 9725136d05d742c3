#pragma once
// A Host for tests: records every call and answers boxes from a script.
// A box that the script does not expect fails the test.
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "common/host.h"

namespace drtest {

struct ShownBox {
    dr::MessageRequest req;
    dr::Answer answer;
};

class ScriptedHost : public dr::Host {
public:
    // Queue the answer for the next message box. `expectText` (when not empty)
    // must be a substring of the box's text.
    void expectBox(dr::Answer answer, std::string expectText = "");
    void expectInput(std::optional<std::string> answer);
    void expectOpenFile(std::optional<std::string> answer);
    void expectSaveFile(std::optional<std::string> answer);
    void expectFolder(std::optional<std::string> answer);
    // Answer every box with its default instead of failing on unexpected ones.
    void allowAnyBox(bool on = true) { allowAny_ = on; }
    // Called at each doEvents (for example to press Halt in the middle of a scan).
    std::function<void()> onDoEvents;

    std::vector<ShownBox> boxes;                 // every message box shown
    std::vector<std::string> inputs;             // prompts of input boxes
    std::vector<dr::FileDialogRequest> dialogs;  // open and save dialogs
    std::vector<std::string> status[4];          // texts per panel 1..3
    std::vector<std::string> captions;
    int doEventsCount = 0;
    int lastProgress = 0, lastProgressMax = 0;
    bool busy = false;

    // Texts of the boxes shown, in order.
    std::vector<std::string> boxTexts() const;
    bool scriptUsedUp() const;

    dr::Answer messageBox(const dr::MessageRequest& req) override;
    std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                        const std::string& defaultText) override;
    std::optional<std::string> openFileDialog(const dr::FileDialogRequest& req) override;
    std::optional<std::string> saveFileDialog(const dr::FileDialogRequest& req) override;
    std::optional<std::string> pickFolder(const std::string& title, const std::string& startFolder) override;
    void setStatusPanel(int index, const std::string& text) override;
    void setCaption(const std::string& text) override { captions.push_back(text); }
    void setProgress(int value, int max) override { lastProgress = value; lastProgressMax = max; }
    void setBusy(bool b) override { busy = b; }
    void doEvents() override;
    void repaint() override {}

private:
    struct Expected { dr::Answer answer; std::string text; };
    std::deque<Expected> boxScript_;
    std::deque<std::optional<std::string>> inputScript_, openScript_, saveScript_, folderScript_;
    bool allowAny_ = false;
};

} // namespace drtest
