// A window in a process of its own, listening and recording, for the tests that kill it: it says
// "listening" once Start has run and "line" for every line it records.
#include "AppTestSupport.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    frmMain window;
    window.show();
    QObject::connect(&window.CaptureList(), &QAbstractItemModel::rowsInserted, [] {
        std::puts("line");
        std::fflush(stdout);
    });
    FindButton(window, QStringLiteral("btnAction_0"))->click();
    std::puts(window.ConnectState() == 1 ? "listening" : "not listening");
    std::fflush(stdout);
    return app.exec();
}
