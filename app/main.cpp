#include "app/frmMain.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    frmMain window;
    QObject::connect(&window, &frmMain::ExitConfirmed, &app, &QCoreApplication::quit);
    window.show();
    return app.exec();
}
