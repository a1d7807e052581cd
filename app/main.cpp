#include "app/frmMain.h"
#include "cli/RunHeadless.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    // A command runs headless and never needs a display; anything else is the window.
    if (const int status = RunHeadless(argc, argv); status >= 0)
        return status;
    QApplication app(argc, argv);
    // Window places, choices and the recovery journal live under these names (QSettings, AppDataLocation).
    QCoreApplication::setOrganizationName(QStringLiteral("tarc-emulator"));
    QCoreApplication::setApplicationName(QStringLiteral("tarc-emulator"));
    frmMain window;
    // exit() rather than quit(): quit() would first ask every window to close, and so ask again.
    QObject::connect(&window, &frmMain::ExitConfirmed, &app, [] { QCoreApplication::exit(0); });
    window.show();
    return app.exec();
}
