#include "app/frmMain.h"
#include "cli/RunHeadless.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

// Whether the window can open: Qt aborts when its platform has no display to talk to, and an abort is
// no way to tell someone in a terminal what to do instead.
bool HasDisplay(int argc, char* argv[]) {
    std::string_view platform;
    if (const char* fromEnvironment = std::getenv("QT_QPA_PLATFORM"))
        platform = fromEnvironment;
    for (int i = 1; i + 1 < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "-platform" || argument == "--platform")
            platform = argv[i + 1];
    }
    const auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value && *value;
    };
    if (platform.starts_with("xcb"))
        return set("DISPLAY");
    if (platform.starts_with("wayland"))
        return set("WAYLAND_DISPLAY");
    return !platform.empty() || set("DISPLAY") || set("WAYLAND_DISPLAY");
}

} // namespace

int main(int argc, char* argv[]) {
    // A command runs headless and never needs a display; anything else is the window.
    if (const int status = RunHeadless(argc, argv); status >= 0)
        return status;
    if (!HasDisplay(argc, argv)) {
        std::fputs("tarc-emulator: the window needs a graphical display and none is set (DISPLAY is empty); "
                   "start it as \"xvfb-run tarc-emulator\", or use the headless commands "
                   "(tarc-emulator --help)\n",
                   stderr);
        return 2;
    }
    QApplication app(argc, argv);
    // Window places, choices and the recovery journal live under these names (QSettings, AppDataLocation).
    QCoreApplication::setOrganizationName(QStringLiteral("tarc-emulator"));
    QCoreApplication::setApplicationName(QStringLiteral("tarc-emulator"));
    frmMain window;
    // exit() rather than quit(): quit() would first ask every window to close, and so ask again.
    QObject::connect(&window, &frmMain::ExitConfirmed, &app, [] { QCoreApplication::exit(0); });
    window.show();
    window.OfferRecovery();
    return app.exec();
}
