#pragma once
// frmServerPath: the first-start question for the server folder that the
// saved lists are copied from.
#include <QDialog>

#include "client/client_settings.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace dr::ui {

class frmServerPath : public QDialog {
    Q_OBJECT
public:
    explicit frmServerPath(QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QLineEdit* txtServer = nullptr;
    QPushButton* cmdOK = nullptr;     // "Yes"
    QPushButton* cmdCancel = nullptr; // "No"

    void yesClicked();
    void noClicked();

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    dr::client::ServerPathDialog logic_;
};

} // namespace dr::ui
