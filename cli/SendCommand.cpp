#include "cli/SendCommand.h"

#include "capture/CaptureLine.h"
#include "cli/CaptureInput.h"
#include "cli/CommandLine.h"
#include "cli/ExitStatus.h"
#include "cli/HexBytes.h"
#include "cli/Replay.h"
#include "decode/FieldWords.h"
#include "link/PacketCapture.h"
#include "report/TestPlan.h"

#include <QTcpSocket>
#include <QThread>

#include <algorithm>
#include <optional>
#include <vector>

namespace {

constexpr std::string_view kCommand = "send";
constexpr int kConnectTimeoutMs = 5000;
constexpr int kWriteTimeoutMs = 5000;
// A plan's counts can ask for more messages than a try before the visit needs; each is held until sent.
constexpr std::int64_t kMostPlanMessages = 100'000;

constexpr std::string_view kHelp = R"(Usage: tarc-emulator send [OPTIONS] [HEX ...]
       tarc-emulator send [OPTIONS] --replay FILE
       tarc-emulator send [OPTIONS] --command 10|11|20 [FIELDS]
       tarc-emulator send [OPTIONS] --plan FILE

Plays the access control system: connects to the tool (the window after Start, or "record") and
writes messages, one write each, with a pause between writes.

  --host H           where to connect (default 127.0.0.1)
  --port N           the port (default 60173)
  --interval MS      milliseconds between writes (default 100, so that each write arrives as
                     its own capture line)
  HEX                a message as hex text, e.g. "04 41 00 00 11 00 00 00"
  --replay FILE      the lines of a capture file, oldest first (a file with the "[hh:mm:ss]"
                     first line is newest first and is sent from its last line up; a file of bare
                     lines as "record" prints them is sent from its first line down). Every line's
                     bytes must be two hex digits each with one blank between them: a line that is
                     not is refused with its number, and nothing is sent.
                     Or a packet capture (pcap, pcapng): the messages its connections sent to port
                     60173 (see --capture-port), in order; refused if the capture lost a segment
  --timing T         with a packet capture: "interval" (the default) pauses --interval between
                     messages, "capture" the time between them in the capture
  --capture-port N   the elevator side's port in the packet capture (default 60173)
  --command C        build a message of command 10, 11 or 20 (hex) from the fields below; every
                     field has a valid default and may be set to an invalid value on purpose; a
                     field the command does not have is refused:
    --gate N           gate number, 0 to 9999 (default 1)
    --dest-floor N     destination floor of a 0x10 message, 0 to 999 (default 1)
    --door D           door of a 0x10 message: front, rear, both or one character (default front)
    --attr A           attribution: general, handicapped, vip or one character (default general)
    --seq N            sequence number, 0 to 255 or 0x00 to 0xFF (default 0)
    --floors LIST      accessible floors of a 0x20 message, e.g. "1-10,12:front,20-22:rear"
                       (side front, rear or both, default both; floors not listed: not accessible)
  --plan FILE        one message per expectation of a test plan, in its order, built from the
                     expectation's fields (defaults for the rest), as many as its --count asks;
                     a plan that does not parse is refused with its line, and nothing is sent
  -h, --help         show this help

Exit status: 0 all messages written, 2 a usage error or the connection failed.
)";

// The options of the fields, named and ordered as the field words.
struct FieldOptions {
    QCommandLineOption command{"command", "", "C"};
    QList<QCommandLineOption> fields;

    FieldOptions() {
        for (const std::string_view name : kFieldWordNames)
            fields.append(
                QCommandLineOption(QString::fromLatin1(name.data(), qsizetype(name.size())), "", "V"));
    }
    QList<QCommandLineOption> all() const { return QList<QCommandLineOption>{command} + fields; }
};

bool BadField(const QCommandLineOption& option, const QString& value) {
    PrintError(kCommand, "--" + option.names().constFirst().toStdString() + ": not a valid value: " +
                             value.toStdString() + " (see: tarc-emulator send --help)");
    return false;
}

std::optional<std::vector<std::uint8_t>> BuiltMessage(const QCommandLineParser& parser,
                                                      const FieldOptions& o) {
    MessageFields fields;
    const QString commandText = parser.value(o.command);
    const auto command = ParseCommand(commandText.toStdString());
    if (!command) {
        BadField(o.command, commandText);
        return std::nullopt;
    }
    fields.command = *command;
    for (std::size_t i = 0; i < kFieldWordCount; ++i) {
        const QCommandLineOption& option = o.fields[qsizetype(i)];
        if (parser.isSet(option) &&
            !SetField(fields, static_cast<FieldWord>(i), parser.value(option).toStdString())) {
            BadField(option, parser.value(option));
            return std::nullopt;
        }
    }
    // A field the message has no place for would be dropped without a word: the message sent would not
    // be the one asked for.
    for (std::size_t i = 0; i < kFieldWordCount; ++i) {
        if (!parser.isSet(o.fields[qsizetype(i)]) || CommandHolds(fields.command, static_cast<FieldWord>(i)))
            continue;
        PrintError(kCommand, "--" + std::string(kFieldWordNames[i]) + ": a message of command " +
                                 commandText.toStdString() + " has no such field");
        return std::nullopt;
    }
    return BuildMessage(fields);
}

bool WriteMessage(QTcpSocket& socket, const std::vector<std::uint8_t>& message) {
    const auto size = static_cast<qint64>(message.size());
    if (socket.write(reinterpret_cast<const char*>(message.data()), size) != size)
        return false;
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(kWriteTimeoutMs))
            return false;
    }
    return true;
}

} // namespace

int RunSendCommand(const QStringList& arguments) {
    QCommandLineParser parser;
    const QCommandLineOption hostOption("host", "", "H", "127.0.0.1");
    const QCommandLineOption portOption("port", "", "N", "60173");
    const QCommandLineOption intervalOption("interval", "", "MS", "100");
    const QCommandLineOption replayOption("replay", "", "FILE");
    const QCommandLineOption timingOption("timing", "", "T", "interval");
    const QCommandLineOption capturePortOption("capture-port", "", "N", QString::number(kDefaultLinkPort));
    const QCommandLineOption planOption("plan", "", "FILE");
    const FieldOptions fieldOptions;
    parser.addOptions(
        {hostOption, portOption, intervalOption, replayOption, timingOption, capturePortOption, planOption});
    parser.addOptions(fieldOptions.all());
    if (const auto stop = ParseCommandLine(parser, arguments, kCommand, kHelp))
        return *stop;

    const auto port = ParsePort(kCommand, parser.value(portOption));
    const auto interval = ParseNumber(parser.value(intervalOption).toStdString(), 0, 3'600'000);
    if (!port)
        return kExitUsage;
    if (!interval) {
        PrintError(kCommand, "--interval takes milliseconds (0 to 3600000), not " +
                                 parser.value(intervalOption).toStdString());
        return kExitUsage;
    }
    const QString timing = parser.value(timingOption);
    if (timing != "interval" && timing != "capture") {
        PrintError(kCommand, "--timing takes interval or capture, not " + timing.toStdString());
        return kExitUsage;
    }
    const auto capturePort = ParsePort(kCommand, parser.value(capturePortOption));
    if (!capturePort)
        return kExitUsage;
    const QStringList hexArguments = parser.positionalArguments();
    const bool replay = parser.isSet(replayOption);
    const bool plan = parser.isSet(planOption);
    const QList<QCommandLineOption> fieldList = fieldOptions.all();
    const bool build = std::any_of(fieldList.begin(), fieldList.end(),
                                   [&](const QCommandLineOption& o) { return parser.isSet(o); });
    if (int(!hexArguments.isEmpty()) + int(replay) + int(build) + int(plan) != 1) {
        PrintError(kCommand,
                   "give HEX messages, --replay FILE, --command C with its fields or --plan FILE, one "
                   "of them "
                   "(see: tarc-emulator send --help)");
        return kExitUsage;
    }
    if (build && !parser.isSet(fieldOptions.command)) {
        PrintError(kCommand, "fields need --command 10, 11 or 20");
        return kExitUsage;
    }

    std::vector<ReplayMessage> messages;
    for (const QString& hex : hexArguments) {
        auto bytes = ParseHexBytes(hex.toStdString());
        if (!bytes || bytes->empty()) {
            PrintError(kCommand, "not a message in hex: \"" + hex.toStdString() + "\"");
            return kExitUsage;
        }
        messages.push_back({std::move(*bytes)});
    }
    if (replay) {
        auto replayed = ReadReplay(parser.value(replayOption).toStdString(), *capturePort);
        if (!replayed)
            return kExitUsage;
        messages = std::move(*replayed);
    }
    if (build) {
        auto built = BuiltMessage(parser, fieldOptions);
        if (!built)
            return kExitUsage;
        messages.push_back({std::move(*built)});
    }
    if (plan) {
        const std::string path = parser.value(planOption).toStdString();
        const TestPlan loaded = LoadTestPlan(path);
        if (!loaded.Ok()) {
            PrintError(kCommand, "plan " + path + ": " + loaded.ErrorText());
            return kExitUsage;
        }
        std::int64_t total = 0;
        for (const Expectation& expectation : loaded.expectations)
            total += expectation.count;
        if (total > kMostPlanMessages) {
            PrintError(kCommand, "plan " + path + ": it asks for " + std::to_string(total) +
                                     " messages; send sends at most " + std::to_string(kMostPlanMessages));
            return kExitUsage;
        }
        for (const Expectation& expectation : loaded.expectations)
            messages.insert(messages.end(), static_cast<std::size_t>(expectation.count),
                            {BuildMessage(expectation.fields)});
    }
    const bool captureTiming = timing == "capture";
    if (captureTiming &&
        std::any_of(messages.begin(), messages.end(), [](const ReplayMessage& m) { return m.timeNs < 0; })) {
        PrintError(kCommand, "--timing capture needs --replay with a packet capture, whose packets have "
                             "their times");
        return kExitUsage;
    }

    const QString host = parser.value(hostOption);
    const std::string target = host.toStdString() + ":" + std::to_string(*port);
    QTcpSocket socket;
    socket.connectToHost(host, *port);
    if (!socket.waitForConnected(kConnectTimeoutMs)) {
        PrintError(kCommand, "cannot connect to " + target + ": " + socket.errorString().toStdString());
        return kExitUsage;
    }
    // Each write leaves at once as its own segment instead of waiting to be merged with the next.
    socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    for (std::size_t i = 0; i < messages.size(); ++i) {
        const std::int64_t pause =
            i == 0          ? 0
            : captureTiming ? std::clamp<std::int64_t>(
                                  (messages[i].timeNs - messages[i - 1].timeNs) / 1'000'000, 0, 3'600'000)
                            : *interval;
        if (pause > 0)
            QThread::msleep(static_cast<unsigned long>(pause));
        if (!WriteMessage(socket, messages[i].bytes)) {
            PrintError(kCommand, "cannot write to " + target + ": " + socket.errorString().toStdString());
            return kExitUsage;
        }
    }
    socket.disconnectFromHost();
    if (socket.state() != QAbstractSocket::UnconnectedState)
        socket.waitForDisconnected(kConnectTimeoutMs);
    PrintError(kCommand, std::to_string(messages.size()) + (messages.size() == 1 ? " message" : " messages") +
                             " sent to " + target);
    return kExitOk;
}
