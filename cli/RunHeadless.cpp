#include "cli/RunHeadless.h"

#include "cli/CommandLine.h"
#include "cli/DecodeCommand.h"
#include "cli/ExitStatus.h"
#include "cli/RecordCommand.h"
#include "cli/ReportCommand.h"
#include "cli/SendCommand.h"
#include "common/AppVersion.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view kHelp = R"(Usage: tarc-emulator                   open the window
       tarc-emulator COMMAND [ARGS]    run a command without a display
       tarc-emulator --version | --help

Commands:
  decode [FILE ...]    decode capture lines as the window's decode table shows them
  record               listen like the window and print every arrival as a capture line
  send [HEX ...]       play the access control system: send messages to the tool
  report [INPUT ...]   the commissioning record: rule by rule what held, broke or was never
                       exercised, as HTML, PDF, JUnit XML or JSON

"tarc-emulator COMMAND --help" tells more. Errors go to standard error; exit status 0 success,
1 a check failed (decode found an invalid or missing field, report a broken rule), 2 a usage or
input/output error.
)";

// The arguments after the command, before an application exists to take them apart.
QStringList ArgumentsOf(int argc, char** argv) {
    QStringList arguments;
    for (int i = 2; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

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

constexpr std::string_view kCommands =
    "the commands are decode, record, send and report; --version and --help";

// The options Qt's window classes take for themselves (with one dash or two, "-style=fusion" too), and
// of those the ones that take the next argument as their value.
constexpr std::string_view kWindowOptions[] = {"platform",
                                               "platformpluginpath",
                                               "platformtheme",
                                               "plugin",
                                               "qwindowgeometry",
                                               "qwindowicon",
                                               "qwindowtitle",
                                               "session",
                                               "display",
                                               "geometry",
                                               "style",
                                               "stylesheet",
                                               "qmljsdebugger",
                                               "title",
                                               "name",
                                               "visual",
                                               "ncols",
                                               "cmap",
                                               "fn",
                                               "font",
                                               "bg",
                                               "background",
                                               "fg",
                                               "foreground",
                                               "btn",
                                               "button",
                                               "im",
                                               "inputstyle",
                                               "reverse",
                                               "widgetcount",
                                               "nograb",
                                               "dograb",
                                               "sync"};
constexpr std::size_t kFlagOptions = 5; // the last five take no value

// How many arguments a window option at argument starts (its value included); 0 when it is none.
int WindowOptionLength(std::string_view argument) {
    if (argument.size() < 2 || argument[0] != '-')
        return 0;
    argument.remove_prefix(argument.starts_with("--") ? 2 : 1);
    const std::size_t equals = argument.find('=');
    const auto found =
        std::find(std::begin(kWindowOptions), std::end(kWindowOptions), argument.substr(0, equals));
    if (found == std::end(kWindowOptions))
        return 0;
    const bool flag = found >= std::end(kWindowOptions) - kFlagOptions;
    return flag || equals != std::string_view::npos ? 1 : 2;
}

int RunCommand(const QString& command, const QStringList& arguments) {
    if (command == "decode")
        return RunDecodeCommand(arguments);
    if (command == "record")
        return RunRecordCommand(arguments);
    if (command == "send")
        return RunSendCommand(arguments);
    if (command == "report")
        return RunReportCommand(arguments);
    PrintError(std::string_view{}, "unknown command \"" + command.toStdString() +
                                       "\": " + std::string(kCommands) + " (see: tarc-emulator --help)");
    return kExitUsage;
}

} // namespace

int RunHeadless(int argc, char** argv) {
    // Window options at the front are the window's only when nothing else follows them: with a command,
    // --help, --version or a typing error after them, they are passed over, and no window opens.
    int skip = 1;
    while (skip < argc) {
        const int length = WindowOptionLength(argv[skip]);
        if (length == 0)
            break;
        skip += length;
    }
    if (skip >= argc)
        return -1;
    std::vector<char*> kept{argv[0]};
    kept.insert(kept.end(), argv + skip, argv + argc);
    kept.push_back(nullptr);
    argc = static_cast<int>(kept.size()) - 1;
    argv = kept.data();

    const std::string_view first = argv[1];
    if (first.starts_with('-') && !IsHelp(first) && !IsVersion(first)) {
        PrintError({}, "unknown option \"" + std::string(first) + "\": " + std::string(kCommands) +
                           " (see: tarc-emulator --help)");
        return kExitUsage;
    }

    // A PDF is laid out and painted by Qt Gui, which needs a platform: without a display of its own
    // choosing, the offscreen one, so that a report runs where the window could not.
    std::unique_ptr<QCoreApplication> app;
    if (first == "report" && ReportWantsGui(ArgumentsOf(argc, argv))) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
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
