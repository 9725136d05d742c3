#include "ui/common/about_box.h"

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>
#include <cstdio>
#include <cstdlib>

#include "common/format.h"
#include "common/runtime.h"
#include "dr_version.h"
#include "ui/common/qt_host.h"

namespace dr::ui {

frmAboutDirroll::frmAboutDirroll(QWidget* parent) : QDialog(parent) {
    setObjectName("frmAboutDirroll");
    setWindowTitle("About Dirroller");
    setModal(true);

    auto* picIcon = new QLabel(this);
    picIcon->setObjectName("picIcon");
    picIcon->setPixmap(style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(48, 48));
    picIcon->setAlignment(Qt::AlignTop);

    std::string title = "Dirroller";
    if (rt().programName == "dr-client") title += " Client";
    lblTitle = new QLabel(qs(title), this);
    lblTitle->setObjectName("lblTitle");
    QFont tf = lblTitle->font();
    tf.setBold(true);
    tf.setPointSize(12);
    lblTitle->setFont(tf);

    lblVersion = new QLabel(QStringLiteral("Version %1.%2.%3").arg(DR_VERSION_MAJOR).arg(DR_VERSION_MINOR).arg(DR_VERSION_BUILD), this);
    lblVersion->setObjectName("lblVersion");
    QFont vf = lblVersion->font();
    vf.setBold(true);
    lblVersion->setFont(vf);
    lblVersion->setCursor(Qt::PointingHandCursor);
    lblVersion->installEventFilter(this);

    cmdOK = new QPushButton("OK", this);
    cmdOK->setObjectName("cmdOK");
    cmdOK->setDefault(true);
    cmdOK->setAutoDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    cmdSysInfo = new QPushButton("&System Info...", this);
    cmdSysInfo->setObjectName("cmdSysInfo");
    cmdSysInfo->setAutoDefault(false);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAboutDirroll::sysInfoClicked);

    auto* texts = new QVBoxLayout;
    texts->addWidget(lblTitle);
    texts->addWidget(lblVersion);
    texts->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(picIcon);
    top->addSpacing(12);
    top->addLayout(texts, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdSysInfo);
    buttons->addStretch();
    top->addLayout(buttons);
    setLayout(top);
    setMinimumWidth(360);
}

bool frmAboutDirroll::eventFilter(QObject* o, QEvent* e) {
    if (o == lblVersion && e->type() == QEvent::MouseButtonRelease) {
        versionClicked();
        return true;
    }
    return QDialog::eventFilter(o, e);
}

// "DDD, dd-MMM-yyyy hh:mm:ss" in English.
static std::string longStamp(const DateTime& t) { return formatDate(t, "DDD, dd-MMM-yyyy hh:mm:ss"); }

std::string frmAboutDirroll::fileVersionText() {
    std::string exe = platform().executablePath();
    FileStat st;
    std::string when = platform().fileStat(exe, st) ? longStamp(DateTime::fromTimeT(st.modified, true)) : "";
    return "Dirroll.exe was last compiled on \r\n" + when + "\r\nThis exe file was run from \r\n" + rt().programFolder;
}

void frmAboutDirroll::versionClicked() { host().message(fileVersionText(), "File Version", Buttons::OK, Icon::Information); }

// The desktop's system-information tools, first found on PATH wins.
static std::string findSysInfoTool() {
    static const char* tools[] = {"gnome-system-monitor", "hardinfo", "kinfocenter", "ksysguard", "xfce4-taskmanager"};
    const char* path = std::getenv("PATH");
    if (!path) return {};
    std::string p = path;
    for (const char* t : tools) {
        size_t start = 0;
        while (start <= p.size()) {
            size_t end = p.find(':', start);
            if (end == std::string::npos) end = p.size();
            std::string cand = p.substr(start, end - start) + "/" + t;
            FileStat st;
            if (end > start && platform().fileStat(cand, st) && st.isRegular && (st.mode & 0111)) return cand;
            start = end + 1;
        }
    }
    return {};
}

bool frmAboutDirroll::startSystemInfo() {
    std::string tool = findSysInfoTool();
    return !tool.empty() && platform().startProgram({tool});
}

void frmAboutDirroll::sysInfoClicked() {
    if (!startSystemInfo()) host().message("System Information Is Unavailable At This Time", "", Buttons::OK);
}

} // namespace dr::ui
