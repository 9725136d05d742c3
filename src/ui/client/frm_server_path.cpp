#include "ui/client/frm_server_path.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "ui/client/frm_dr_client.h"
#include "ui/common/qt_host.h"
#include "ui/common/twips.h"

namespace dr::ui {

using dr::client::ServerPathDialog;

frmServerPath::frmServerPath(QWidget* parent) : QDialog(parent) {
    setObjectName("frmServerPath");
    setWindowTitle(ServerPathDialog::kCaption);
    setModal(true);
    setFont(frmDRClient::designFont());
    setFixedSize(toPx(6600), toPx(2700));

    Label1 = new QLabel(ServerPathDialog::kLabel, this);
    Label1->setObjectName("Label1");
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setGeometry(toPx(120), toPx(120), toPx(6360), toPx(1260));

    txtServer = new QLineEdit(this);
    txtServer->setObjectName("txtServer");
    txtServer->setToolTip(ServerPathDialog::kToolTip);
    txtServer->setGeometry(toPx(120), toPx(1500), toPx(6360), toPx(315));

    cmdOK = new QPushButton("Yes", this);
    cmdOK->setObjectName("cmdOK");
    cmdOK->setDefault(true);
    cmdOK->setGeometry(toPx(3600), toPx(2040), toPx(1335), toPx(435));
    cmdCancel = new QPushButton("No", this);
    cmdCancel->setObjectName("cmdCancel");
    cmdCancel->setAutoDefault(false);
    cmdCancel->setGeometry(toPx(5145), toPx(2040), toPx(1335), toPx(435));

    connect(cmdOK, &QPushButton::clicked, this, &frmServerPath::yesClicked);
    connect(cmdCancel, &QPushButton::clicked, this, &frmServerPath::noClicked);

    txtServer->setText(qs(logic_.load()));
}

void frmServerPath::yesClicked() {
    if (logic_.yes(ss(txtServer->text()))) accept();
}

void frmServerPath::noClicked() {
    logic_.no(ss(txtServer->text()));
    reject();
}

void frmServerPath::keyPressEvent(QKeyEvent* e) {
    // Escape is the cancel button "No"; the close box leaves the settings alone.
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        noClicked();
        return;
    }
    QDialog::keyPressEvent(e);
}

} // namespace dr::ui
