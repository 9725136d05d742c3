#include "ui/dirroll/window_entry.h"

#include <QApplication>

#include "common/runtime.h"
#include "ui/common/qt_host.h"
#include "ui/dirroll/frm_files.h"

int runDirrollWindow(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Dirroller");
    dr::ui::QtHost host;
    dr::Host* previous = dr::rt().host;
    dr::rt().host = &host;
    int rc = 0;
    {
        dr::ui::frmFiles w;
        w.startUp();
        // Closed during start-up: the window closes once the first run has returned.
        if (w.isVisible()) rc = app.exec();
    }
    dr::rt().host = previous;
    return rc;
}
