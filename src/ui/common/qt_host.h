#pragma once
// The Host of the windows: real message boxes, input boxes and file dialogs;
// status panels, caption, progress and repaint go to whichever window is
// active through the callbacks it hands over.
#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <functional>
#include <string>

#include "common/host.h"

class QWidget;

namespace dr::ui {

// Engine text (UTF-8 bytes, CR LF line breaks) to Qt and back.
QString qs(const std::string& s);
QString qsText(const std::string& s); // CR LF and CR become '\n'
std::string ss(const QString& s);

// Qt name filters from a host filter text ("Text (*.txt)|*.txt|All|*.*" or a bare
// "*.pro"). Each pattern is listed in lower and upper case, because the file
// system is case-sensitive: "*.pro" also shows "X.PRO".
QStringList nameFilters(const std::string& filter);

// The title a box gets when its caller gives none: "Dirroller", or
// "Dirroller Client" for dr-client.
std::string programTitle(const std::string& programName);

class QtHost : public dr::Host {
public:
    struct Window {
        QWidget* widget = nullptr; // parent of the boxes and dialogs
        std::function<void(int, const std::string&)> status;
        std::function<void(const std::string&)> caption;
        std::function<void(int, int)> progress;
        std::function<void()> repaint;
    };

    explicit QtHost(std::string title = {});
    ~QtHost() override;

    void setWindow(Window w) { win_ = std::move(w); }
    // Long loops ask for pending events thousands of times a second; more than
    // one round every few milliseconds only repaints what nobody can see yet.
    void setDoEventsInterval(int ms) { doEventsMs_ = ms; }
    void clearWindow(QWidget* w); // only when w is the active one
    const std::string& title() const { return title_; }

    dr::Answer messageBox(const dr::MessageRequest& req) override;
    std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                        const std::string& defaultText) override;
    std::optional<std::string> openFileDialog(const dr::FileDialogRequest& req) override;
    std::optional<std::string> saveFileDialog(const dr::FileDialogRequest& req) override;
    std::optional<std::string> pickFolder(const std::string& title, const std::string& startFolder) override;

    void setStatusPanel(int index, const std::string& text) override;
    void setCaption(const std::string& text) override;
    void setProgress(int value, int max) override;
    void setBusy(bool busy) override;
    void doEvents() override;
    void repaint() override;

private:
    std::optional<std::string> fileDialog(const dr::FileDialogRequest& req, bool save);
    QString boxTitle(const std::string& t) const;

    std::string title_;
    Window win_;
    bool busy_ = false;
    int doEventsMs_ = 20;
    QElapsedTimer lastEvents_;
};

} // namespace dr::ui
