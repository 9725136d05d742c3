#include "window_fixture.h"

#include <QComboBox>
#include <QLabel>
#include <cstdlib>

#include "common/runtime.h"
#include "dirroll/startup.h"
#include "ui/common/qt_host.h"
#include "ui/common/twips.h"

namespace drtest {

QApplication& qtApp() {
    static QApplication* app = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        setenv("TZ", "UTC", 0);
        static int argc = 1;
        static char name[] = "test_ui_dirroll";
        static char* argv[] = {name, nullptr};
        return new QApplication(argc, argv);
    }();
    return *app;
}

void settle() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

WindowPlatform::WindowPlatform() : real_(dr::makeNativePlatform()) { dr::setPlatform(this); }
WindowPlatform::~WindowPlatform() { dr::setPlatform(nullptr); }

WindowTest::WindowTest() {
    qtApp();
    dr::ui::setTwipsPerPixel(15);
}

WindowTest::~WindowTest() {
    if (w) {
        w->hide();
        w.reset();
    }
    settle();
    dr::ui::setTwipsPerPixel(0);
}

dr::ui::frmFiles& WindowTest::start() {
    dr::roll::startProgram("");
    w = std::make_unique<dr::ui::frmFiles>();
    w->startUp();
    settle();
    return *w;
}

void WindowTest::closeWindow() {
    if (!w) return;
    w->close();
    settle();
    w.reset();
}

dr::ui::frmFiles& WindowTest::restart() {
    closeWindow();
    return start();
}

void WindowTest::writeProfile(const std::string& name, const std::string& folder, const std::string& extra) {
    env.write(name + ".pro", "S01/01/1984\r\nE12/31/2999\r\nX*.*\r\nP" + env.path(folder) + "\r\n" + extra);
}

void WindowTest::makeFiles(const std::string& folder, const std::vector<std::pair<std::string, int>>& files) {
    env.mkdir(folder);
    for (auto& [name, bytes] : files) {
        env.write(folder + "/" + name, std::string(static_cast<size_t>(bytes), 'x'));
        setFileTime(env.path(folder + "/" + name), dr::DateTime{2026, 12, 10, 9, 15, 0});
    }
}

void WindowTest::writeSavedList(const std::string& profile,
                                const std::vector<std::tuple<std::string, std::string, int>>& rows) {
    std::string text = ";DR formatted list of files created by Dirroller - Thu, 10/12/2026 09:00:00\r\n";
    const char sep = '\x1f';
    for (auto& [name, folder, size] : rows) {
        text += std::string(1, sep) + name + sep + folder + sep + std::to_string(size) + sep + "TXT" + sep +
                "2026-12-10 09:15" + sep;
        for (int i = 0; i < 8; ++i) text += sep;
        text += "\r\n";
    }
    env.write(profile + ".DR", text);
}

void WindowTest::chooseProfile(const std::string& name) {
    int i = w->model.findProfile(name);
    ASSERT_GE(i, 0) << name;
    w->cmdProfile->setCurrentIndex(i);
    emit w->cmdProfile->activated(i);
    settle();
}

std::vector<std::string> WindowTest::column(int col) const {
    std::vector<std::string> out;
    for (size_t r = 0; r < w->model.files.size(); ++r) out.push_back(w->model.files.text(r, col));
    return out;
}

std::string WindowTest::panel(int i) const { return dr::ui::ss(w->panels[static_cast<size_t>(i)]->text()); }

} // namespace drtest
