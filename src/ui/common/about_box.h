#pragma once
// The About box of both programs.
#include <QDialog>
#include <functional>
#include <string>

class QLabel;
class QPushButton;

namespace dr::ui {

class frmAboutDirroll : public QDialog {
    Q_OBJECT
public:
    explicit frmAboutDirroll(QWidget* parent = nullptr);

    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdSysInfo = nullptr;

    // The text of the "File Version" box shown by a click on the version label.
    static std::string fileVersionText();
    // Starts the system-information tool; false when there is none.
    static bool startSystemInfo();

    // A click on the version label; also used by tests.
    void versionClicked();
    void sysInfoClicked();

protected:
    bool eventFilter(QObject* o, QEvent* e) override;
};

} // namespace dr::ui
