#include "cli/RunHeadless.h"

#include "cli/CommandLine.h"
#include "cli/DecodeCommand.h"
#include "cli/ExitStatus.h"
#include "cli/RecordCommand.h"
#include "cli/SendCommand.h"
#include "common/AppVersion.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>

namespace {

constexpr std::string_view kHelp = R"(Usage: tarc-emulator                   open the window
       tarc-emulator COMMAND [ARGS]    run a command without a display
       tarc-emulator --version | --help

Commands:
  decode [FILE ...]    decode capture lines as the window's decode table shows them
  record               listen like the window and print every arrival as a capture line
  send [HEX ...]       play the access control system: send messages to the tool

"tarc-emulator COMMAND --help" tells more. Errors go to standard error; exit status 0 success,
1 a check failed (decode found an invalid or missing field), 2 a usage or input/output error.
)";

void Print(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

bool IsHelp(std::string_view argument) {
    return argument == "--help" || argument == "-h" || argument == "help";
}
bool IsVersion(std::string_view argument) {
    return argument == "--version" || argument == "-v";
}

constexpr std::string_view kCommands = "the commands are decode, record and send; --version and --help";

// The options Qt's window classes take for themselves (with one dash or two, "-style=fusion" too):
// with these the window opens as usual. Any other option is a typing error, not a window.
bool IsWindowOption(std::string_view argument) {
    static constexpr std::string_view kOptions[] = {
        "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry", "qwindowicon",
        "qwindowtitle", "reverse", "session", "display", "geometry", "style", "stylesheet", "widgetcount",
        "nograb", "dograb", "sync", "qmljsdebugger", "title", "name", "visual", "ncols", "cmap", "fn",
        "font", "bg", "background", "fg", "foreground", "btn", "button", "im", "inputstyle"};
    argument.remove_prefix(argument.starts_with("--") ? 2 : 1);
    argument = argument.substr(0, argument.find('='));
    return std::find(std::begin(kOptions), std::end(kOptions), argument) != std::end(kOptions);
}

int RunCommand(const QString& command, const QStringList& arguments) {
    if (command == "decode")
        return RunDecodeCommand(arguments);
    if (command == "record")
        return RunRecordCommand(arguments);
    if (command == "send")
        return RunSendCommand(arguments);
    PrintError(std::string_view{}, "unknown command \"" + command.toStdString() + "\": " + std::string(kCommands) +
                                       " (see: tarc-emulator --help)");
    return kExitUsage;
}

} // namespace

int RunHeadless(int argc, char** argv) {
    if (argc < 2)
        return -1;
    const std::string_view first = argv[1];
    if (first.starts_with('-') && !IsHelp(first) && !IsVersion(first)) {
        if (IsWindowOption(first))
            return -1; // Qt's own options, such as -platform or -style: the window handles them
        PrintError({}, "unknown option \"" + std::string(first) + "\": " + std::string(kCommands) +
                           " (see: tarc-emulator --help)");
        return kExitUsage;
    }

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QString::fromUtf8(kProgramName.data(), kProgramName.size()));
    const QStringList arguments = QCoreApplication::arguments().mid(2);

    if (IsVersion(first)) {
        Print(std::string(kProgramName) + ' ' + std::to_string(AppVersion::Major) + '.' +
              std::to_string(AppVersion::Minor) + '.' + std::to_string(AppVersion::Revision) + '\n');
        return kExitOk;
    }
    if (IsHelp(first)) {
        if (arguments.isEmpty()) {
            Print(kHelp);
            return kExitOk;
        }
        return RunCommand(arguments.constFirst(), {"--help"});
    }
    return RunCommand(QCoreApplication::arguments().at(1), arguments);
}
