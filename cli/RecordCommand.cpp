#include "cli/RecordCommand.h"

#include "cli/CommandLine.h"
#include "cli/ExitStatus.h"
#include "decode/FieldWords.h"
#include "cli/Recorder.h"
#include "cli/StopSignals.h"

#include <QCoreApplication>

#include <csignal>

namespace {

constexpr std::string_view kCommand = "record";

constexpr std::string_view kHelp = R"(Usage: tarc-emulator record [--port N] [--out FILE] [--once]

Listens like the window (on every local IPv4 and IPv6 interface) and prints every arrival as capture
lines on standard output as it comes: "[date] [time]" then the bytes of one read in hex, a read of more
than 256 bytes as several lines with the same date and time. One connection at a time; when it closes,
listens again for the next one. Connections and disconnections are reported on standard error with the
peer's address, a disconnection with how long the connection lasted. Stop with Ctrl+C (SIGINT),
SIGTERM or SIGHUP.

  --port N       the port to listen on (default 60173; 0 picks a free one, said once on stderr and
                 kept for every later connection)
  --out FILE     also keep FILE a capture file the window's "Load Capt." opens (newest line first).
                 Every line goes first to FILE.journal (oldest first), so a kill loses nothing
                 printed; FILE follows within about half a second (longer for a long recording) and is
                 complete when the recorder stops, which removes the journal. A journal left by a
                 killed recorder is taken up again by the next start with the same FILE (a last
                 line the kill cut short is dropped, and said so). FILE must be a regular file or
                 a new one: a named pipe, a device, a socket or a folder is refused and left as it
                 is. One recorder per FILE: a second one is refused, naming the first's process.
  --once         stop after the first connection closes
  --silence S    say on stderr when a connected peer has sent nothing for S seconds, and again when
                 its bytes come back (default 0: never)
  -h, --help     show this help

Exit status: 0 stopped normally, 2 a usage error, the port cannot be used, FILE cannot be written
or another recorder writes it, or standard output was closed (record | head: FILE is completed first).
)";

} // namespace

int RunRecordCommand(const QStringList& arguments) {
    QCommandLineParser parser;
    const QCommandLineOption portOption("port", "", "N", "60173");
    const QCommandLineOption outOption("out", "", "FILE");
    const QCommandLineOption onceOption("once", "");
    const QCommandLineOption silenceOption("silence", "", "SECONDS", "0");
    parser.addOptions({portOption, outOption, onceOption, silenceOption});
    if (const auto stop = ParseCommandLine(parser, arguments, kCommand, kHelp))
        return *stop;
    if (!parser.positionalArguments().isEmpty()) {
        PrintError(kCommand,
                   "unexpected argument " + parser.positionalArguments().constFirst().toStdString());
        return kExitUsage;
    }
    const auto port = ParsePort(kCommand, parser.value(portOption));
    if (!port)
        return kExitUsage;
    const auto silence = ParseNumber(parser.value(silenceOption).toStdString(), 0, 24 * 3600);
    if (!silence) {
        PrintError(kCommand,
                   "--silence takes seconds (0 to 86400), not " + parser.value(silenceOption).toStdString());
        return kExitUsage;
    }

    // A reader that goes away (decode | head) must not kill the recorder before its file is complete.
    std::signal(SIGPIPE, SIG_IGN);
    StopSignals stopSignals;
    if (!stopSignals.error().empty()) {
        PrintError(kCommand, "cannot catch the stop signals: " + stopSignals.error());
        return kExitUsage;
    }
    Recorder recorder({*port, parser.value(outOption), parser.isSet(onceOption), *silence});
    QObject::connect(&stopSignals, &StopSignals::stopRequested, &recorder, &Recorder::Stop);
    QObject::connect(&recorder, &Recorder::finished, qApp, &QCoreApplication::exit, Qt::QueuedConnection);
    if (!recorder.Start())
        return kExitUsage;
    return QCoreApplication::exec();
}
