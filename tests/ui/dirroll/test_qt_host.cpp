// The shared Qt host (boxes, filters, titles), twips and the About box.
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include "common/runtime.h"
#include "dr_version.h"
#include "ui/common/about_box.h"
#include "ui/common/qt_host.h"
#include "ui/common/twips.h"
#include "window_fixture.h"

using namespace drtest;
using dr::Answer;
using dr::Buttons;

TEST(QtHostFilters, EveryPatternIsListedInBothCases) {
    struct Case {
        const char* filter;
        QStringList expected;
    } cases[] = {
        {"*.pro", {"*.pro (*.pro *.PRO)"}},
        {"*.PRO", {"*.PRO (*.PRO *.pro)"}},
        {"*.DR", {"*.DR (*.DR *.dr)"}},
        {"Text (*.txt)|*.txt|All (*.*)|*.*", {"Text (*.txt *.TXT)", "All (*.*)"}},
        {"Pictures|*.jpg;*.Gif", {"Pictures (*.jpg *.JPG *.Gif *.gif *.GIF)"}},
        {"", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(dr::ui::nameFilters(c.filter), c.expected) << c.filter;
}

TEST(QtHostTitles, AnEmptyTitleIsTheProgramsTitle) {
    EXPECT_EQ(dr::ui::programTitle("dirroll"), "Dirroller");
    EXPECT_EQ(dr::ui::programTitle("dr-client"), "Dirroller Client");
}

TEST(Twips, FifteenTwipsAPixelAt96Dpi) {
    qtApp();
    dr::ui::setTwipsPerPixel(0);
    QScreen* s = QGuiApplication::primaryScreen();
    ASSERT_NE(s, nullptr);
    EXPECT_DOUBLE_EQ(dr::ui::twipsPerPixel(), 1440.0 / s->logicalDotsPerInchX());
    dr::ui::setTwipsPerPixel(15);
    EXPECT_EQ(dr::ui::toPx(7110), 474);
    EXPECT_EQ(dr::ui::toPx(5000), 333);
    EXPECT_EQ(dr::ui::toTwips(474), 7110);
    dr::ui::setTwipsPerPixel(0);
}

// Clicks the button with the given text in the box that opens next, and
// remembers the box's title, text and buttons.
struct BoxClicker {
    QString click, title, text;
    QStringList buttons;
    void arm() {
        QTimer::singleShot(0, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            title = box->windowTitle();
            text = box->text();
            for (QAbstractButton* b : box->buttons()) buttons << b->text().remove('&');
            for (QAbstractButton* b : box->buttons())
                if (b->text().remove('&') == click) b->click();
        });
    }
};

TEST(QtHostBoxes, ButtonsTitlesAndAnswers) {
    TestEnv env;
    qtApp();
    dr::ui::QtHost host;
    struct Case {
        Buttons buttons;
        const char* click;
        Answer answer;
        QStringList shown;
    } cases[] = {
        {Buttons::YesNo, "No", Answer::No, {"Yes", "No"}},
        {Buttons::YesNo, "Yes", Answer::Yes, {"Yes", "No"}},
        {Buttons::YesNoCancel, "Cancel", Answer::Cancel, {"Yes", "No", "Cancel"}},
        {Buttons::OKCancel, "OK", Answer::OK, {"OK", "Cancel"}},
        {Buttons::OK, "OK", Answer::OK, {"OK"}},
    };
    for (const Case& c : cases) {
        BoxClicker clicker{c.click, {}, {}, {}};
        clicker.arm();
        Answer a = host.messageBox({"line one\r\nline two", "", c.buttons, dr::Icon::Question, 0});
        EXPECT_EQ(a, c.answer) << c.click;
        EXPECT_EQ(clicker.title.toStdString(), "Dirroller");
        EXPECT_EQ(clicker.text.toStdString(), "line one\nline two");
        QStringList shown = clicker.buttons;
        shown.sort();
        QStringList expected = c.shown;
        expected.sort();
        EXPECT_EQ(shown, expected);
    }
    BoxClicker named{"OK", {}, {}, {}};
    named.arm();
    host.message("x", "Halt during Refresh?");
    EXPECT_EQ(named.title.toStdString(), "Halt during Refresh?");
}

TEST(QtHostBoxes, StatusCaptionAndProgressGoToTheActiveWindow) {
    qtApp();
    dr::ui::QtHost host("Test");
    std::string status, caption;
    int progress = -1, max = -1, repaints = 0;
    dr::ui::QtHost::Window win;
    win.status = [&](int i, const std::string& t) { status = std::to_string(i) + ":" + t; };
    win.caption = [&](const std::string& t) { caption = t; };
    win.progress = [&](int v, int m) { progress = v, max = m; };
    win.repaint = [&] { ++repaints; };
    QWidget mine, other;
    win.widget = &mine;
    host.setWindow(win);
    host.setStatusPanel(3, "hello");
    host.setCaption("cap");
    host.setProgress(40, 100);
    host.repaint();
    EXPECT_EQ(status, "3:hello");
    EXPECT_EQ(caption, "cap");
    EXPECT_EQ(progress, 40);
    EXPECT_EQ(max, 100);
    EXPECT_EQ(repaints, 1);
    host.setBusy(true);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    host.setBusy(true);
    host.setBusy(false);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    host.clearWindow(&other); // another window closing leaves this one's callbacks
    host.setCaption("after");
    EXPECT_EQ(caption, "after");
    host.clearWindow(&mine);
    host.setCaption("gone");
    EXPECT_EQ(caption, "after");
}

TEST(AboutBox, TitleVersionAndFileVersionBox) {
    struct Case {
        const char* program;
        const char* title;
    } cases[] = {{"dirroll", "Dirroller"}, {"dr-client", "Dirroller Client"}};
    for (const Case& c : cases) {
        TestEnv env(dr::DateTime{2026, 12, 11, 10, 30, 0}, c.program);
        qtApp();
        dr::ui::frmAboutDirroll box;
        EXPECT_EQ(box.windowTitle().toStdString(), "About Dirroller");
        EXPECT_EQ(box.lblTitle->text().toStdString(), c.title);
        EXPECT_EQ(box.lblVersion->text().toStdString(), "Version " + std::to_string(DR_VERSION_MAJOR) + "." +
                                                            std::to_string(DR_VERSION_MINOR) + "." +
                                                            std::to_string(DR_VERSION_BUILD));
        EXPECT_TRUE(box.cmdOK->isDefault());
        EXPECT_EQ(box.cmdSysInfo->text().toStdString(), "&System Info...");
        EXPECT_TRUE(box.lblTitle->font().bold());
        EXPECT_EQ(box.lblTitle->font().pointSize(), 12);

        env.host.expectBox(Answer::OK, "Dirroll.exe was last compiled on ");
        box.versionClicked();
        ASSERT_EQ(env.host.boxes.size(), 1u);
        const auto& req = env.host.boxes[0].req;
        EXPECT_EQ(req.title, "File Version");
        EXPECT_EQ(req.icon, dr::Icon::Information);
        EXPECT_NE(req.text.find("\r\nThis exe file was run from \r\n" + env.folder()), std::string::npos);
    }
}
