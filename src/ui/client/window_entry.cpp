#include "ui/client/window_entry.h"

#include <QApplication>

#include "common/runtime.h"
#include "ui/client/frm_dr_client.h"
#include "ui/common/qt_host.h"

int runClientWindow(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Dirroller Client");
    dr::ui::QtHost host;
    dr::Host* previous = dr::rt().host;
    dr::rt().host = &host;
    int rc = 0;
    {
        dr::ui::frmDRClient w;
        // A FULL install without lists starts the main program and ends here.
        if (w.startUp()) rc = app.exec();
    }
    dr::rt().host = previous;
    return rc;
}
