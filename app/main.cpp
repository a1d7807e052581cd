#include "app/frmMain.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    frmMain window;
    // exit() rather than quit(): quit() would first ask every window to close, and so ask again.
    QObject::connect(&window, &frmMain::ExitConfirmed, &app, [] { QCoreApplication::exit(0); });
    window.show();
    return app.exec();
}
