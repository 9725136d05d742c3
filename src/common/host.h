#pragma once
// The engine's only way to the user. The Qt windows, headless runs and tests
// each hand the engine their own Host.
#include <atomic>
#include <functional>
#include <optional>
#include <string>

namespace dr {

enum class Buttons { OK, OKCancel, AbortRetryIgnore, YesNoCancel, YesNo, RetryCancel };
enum class Icon { None, Critical, Question, Exclamation, Information };
enum class Answer { OK, Cancel, Abort, Retry, Ignore, Yes, No };

struct MessageRequest {
    std::string text;      // CR LF for line breaks
    std::string title;     // "" means the program's title
    Buttons buttons = Buttons::OK;
    Icon icon = Icon::None;
    int defaultButton = 0; // 0 first, 1 second, 2 third
};

struct FileDialogRequest {
    std::string title;
    std::string startFolder;
    std::string fileName;
    std::string defaultExt;  // without the dot
    std::string filter;      // "Text (*.txt)|*.txt|All (*.*)|*.*"
    int filterIndex = 1;
};

class Host {
public:
    virtual ~Host() = default;

    virtual Answer messageBox(const MessageRequest& req) = 0;
    // std::nullopt when cancelled.
    virtual std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                                const std::string& defaultText) = 0;
    virtual std::optional<std::string> openFileDialog(const FileDialogRequest& req) = 0;
    virtual std::optional<std::string> saveFileDialog(const FileDialogRequest& req) = 0;
    virtual std::optional<std::string> pickFolder(const std::string& title, const std::string& startFolder) = 0;

    virtual void setStatusPanel(int index, const std::string& text) = 0; // panels from 1
    virtual void setCaption(const std::string& text) = 0;
    virtual void setProgress(int value, int max) = 0; // max 0 hides it
    virtual void setBusy(bool busy) = 0;
    virtual void doEvents() = 0; // let pending window events run
    virtual void repaint() = 0;

    // Short forms for the common boxes.
    Answer message(const std::string& text, const std::string& title = "", Buttons b = Buttons::OK,
                   Icon i = Icon::None, int defaultButton = 0) {
        return messageBox(MessageRequest{text, title, b, i, defaultButton});
    }

    // The process-wide halt flag, set by the Halt button and read by every long loop.
    bool halted() const { return halt_.load(); }
    void setHalt(bool on) { halt_.store(on); }

private:
    std::atomic<bool> halt_{false};
};

// The answer a box gives when nobody can be asked: its default button.
Answer defaultAnswer(const MessageRequest& req);

// For automode, dr-server and the command lines: every box goes to the sink
// (the log at level 0) and to stderr and is answered with its default, so an
// unattended run never blocks.
class HeadlessHost : public Host {
public:
    explicit HeadlessHost(std::function<void(const std::string&)> logSink = {}, bool toStderr = true);
    void setLogSink(std::function<void(const std::string&)> sink) { sink_ = std::move(sink); }

    Answer messageBox(const MessageRequest& req) override;
    std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                        const std::string& defaultText) override;
    std::optional<std::string> openFileDialog(const FileDialogRequest& req) override;
    std::optional<std::string> saveFileDialog(const FileDialogRequest& req) override;
    std::optional<std::string> pickFolder(const std::string& title, const std::string& startFolder) override;
    void setStatusPanel(int, const std::string&) override {}
    void setCaption(const std::string&) override {}
    void setProgress(int, int) override {}
    void setBusy(bool) override {}
    void doEvents() override {}
    void repaint() override {}

private:
    void report(const std::string& what);
    std::function<void(const std::string&)> sink_;
    bool toStderr_;
};

} // namespace dr
