#pragma once
// The client window in a temporary program folder: one offscreen
// QApplication for the whole run, a fixed clock, a scripted host, a platform
// that records what would be opened, and helpers for lists, keys and links.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "client/client_settings.h"
#include "common/forwarding_platform.h"
#include "support/test_env.h"
#include "ui/client/frm_dr_client.h"
#include "ui/client/page_view.h"
#include "ui/common/qt_host.h"
#include "ui/common/twips.h"

namespace drtest {

inline QApplication& qtApp() {
    static QApplication* app = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "test_ui_client";
        static char* argv[] = {name, nullptr};
        return new QApplication(argc, argv);
    }();
    return *app;
}

// Nothing is opened: each target handed to the desktop's opener is recorded.
class RecordingPlatform : public ForwardingPlatform {
public:
    std::vector<std::string> opened;
    int openDocument(const std::string& target, const std::string&) override {
        opened.push_back(target);
        return dr::launch::kOk;
    }
};

// One saved-list record: 14 fields, each followed by character 31.
inline std::string listRecord(const std::string& name, const std::string& folder, const std::string& modified,
                              const std::string& owner = "", const std::string& size = "      1,234") {
    const std::string s = "\x1f";
    std::string type = name.substr(name.rfind('.') == std::string::npos ? name.size() : name.rfind('.') + 1);
    for (char& c : type) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    std::string line = s + name + s + folder + s + size + s + type + s + modified + s;
    for (int f = 7; f <= 13; ++f) line += s;
    return line + owner + s;
}

inline void pressEnter(QWidget* w) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(w, &release);
}

// Clicks, with the mouse, the first link of the page whose href ends with
// `tail`; false when the page has none.
inline bool clickLink(dr::ui::PageView& view, const QString& tail) {
    QTextDocument* doc = view.document();
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            QTextFragment f = it.fragment();
            if (!f.isValid() || !f.charFormat().isAnchor() || !f.charFormat().anchorHref().endsWith(tail)) continue;
            QTextCursor c(doc);
            c.setPosition(f.position());
            view.setTextCursor(c);
            view.ensureCursorVisible();
            QRect r = view.cursorRect(c);
            QPointF p(r.left() + 3, r.center().y());
            QPointF g = view.viewport()->mapToGlobal(p);
            QMouseEvent press(QEvent::MouseButtonPress, p, g, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(view.viewport(), &press);
            QMouseEvent release(QEvent::MouseButtonRelease, p, g, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(view.viewport(), &release);
            return true;
        }
    return false;
}

class ClientWindowTest : public ::testing::Test {
protected:
    ClientWindowTest() {
        qtApp();
        reset();
        dr::ui::setTwipsPerPixel(15);
        // Settings present: no first-start dialog unless a test removes them.
        env.write("dr-client.ini", "[general]\r\nmaxresults=100\r\nShowMissing=0\r\nUpdateServer=0\r\n");
    }
    ~ClientWindowTest() override {
        window.reset();
        reset();
        dr::ui::setTwipsPerPixel(0);
    }
    static void reset() {
        dr::client::settings() = dr::client::ClientSettings{};
        dr::client::setServerPathDialog({});
    }

    // Creates the window with scripted dialogs and runs its start-up.
    dr::ui::frmDRClient& create() {
        window = std::make_unique<dr::ui::frmDRClient>();
        window->execDialog = [this](QDialog& d) {
            dialogs.push_back(dr::ui::ss(d.objectName()));
            boxesAtDialog.push_back(env.host.boxes.size());
            if (onDialog) onDialog(d);
            return d.result();
        };
        return *window;
    }
    dr::ui::frmDRClient& start() {
        create();
        started = window->startUp();
        return *window;
    }

    // A real file under the program folder; returns its folder with a trailing '/'.
    std::string file(const std::string& relPath, const std::string& content = "x") {
        env.write(relPath, content);
        std::string full = env.path(relPath);
        return full.substr(0, full.rfind('/') + 1);
    }
    // A saved list, modified `ageDays` before the fixed now.
    void writeList(const std::string& name, const std::vector<std::string>& records, int ageDays = 0) {
        std::string text = ";DR formatted list of files created by Dirroller - Fri, 11/12/2026 09:00:00\r\n";
        for (const std::string& r : records) text += r + "\r\n";
        env.write(name, text);
        age(name, ageDays);
    }
    void age(const std::string& name, int days, int hour = 9) {
        dr::DateTime t = env.clock.now().addDays(-days);
        t.hour = hour;
        t.minute = t.second = 0;
        setFileTime(env.path(name), t);
    }
    std::string page() const { return env.read("results.htm"); }
    std::string lastCaption() const { return env.host.captions.empty() ? "" : env.host.captions.back(); }

    TestEnv env{dr::DateTime{2026, 12, 11, 10, 30, 0}, "dr-client"};
    RecordingPlatform platform;
    std::unique_ptr<dr::ui::frmDRClient> window;
    bool started = false;
    std::vector<std::string> dialogs;     // objectName of each dialog shown
    std::vector<size_t> boxesAtDialog;    // message boxes shown before each dialog
    std::function<void(QDialog&)> onDialog;
};

} // namespace drtest
