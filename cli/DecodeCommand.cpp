#include "cli/DecodeCommand.h"

#include "capture/CaptureLine.h"
#include "cli/CommandLine.h"
#include "cli/DecodeRun.h"
#include "cli/ExitStatus.h"
#include "cli/HexBytes.h"

#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

constexpr std::string_view kCommand = "decode";

constexpr std::string_view kHelp = R"(Usage: tarc-emulator decode [OPTIONS] [FILE ...]

Decodes capture lines as the window's decode table shows them: for every line its date and time, how
its bytes divide into messages (one message, part of one and how many bytes short, or several), then
every row of the table with its name, type, value cells and explanation.

FILE is a capture file (with or without its first line "[...] [hh:mm:ss]"), a file of capture lines
as "record" prints them, or a packet capture (pcap or pcapng, as tcpdump writes it); "-" or no FILE
reads standard input. A packet capture is decoded as it is read, in the order its bytes arrived: every
connection to the port gets an "opened" line, then each message of its byte stream is decoded,
numbered by the packet carrying its first byte, and when the connection ends (FIN, RST, the end of the
file) a summary line; lines of connections open at the same time interleave, each names its
connection. A segment missing from the capture gets a "gap" line and fails the check like an invalid
field.

  --hex HEX          decode one message given as hex ("04 41 00 00 11 00 00 00"); may be repeated
  --json             one JSON object per line (JSON Lines) instead of text
  --floors           with a 0x20 message, also the 64 floor bytes as the floors window reads them
  --invalid-only     report only lines with an invalid or missing field
  --port N           in a packet capture, the elevator side's port (default 60173)
  --color WHEN       red cells on red: auto (on a terminal, the default), always or never
  -h, --help         show this help

In text, a value that breaks the format carries a "!" ("FF!") and a missing byte shows as "--!".
Exit status: 0 every message valid, 1 a message has an invalid or missing field, 2 a usage or
input/output error.
)";

std::optional<bool> ColourWanted(const QString& when) {
    if (when == "always")
        return true;
    if (when == "never")
        return false;
    if (when == "auto") {
        const char* term = std::getenv("TERM");
        return ::isatty(STDOUT_FILENO) && std::getenv("NO_COLOR") == nullptr &&
               !(term && std::strcmp(term, "dumb") == 0);
    }
    return std::nullopt;
}

} // namespace

int RunDecodeCommand(const QStringList& arguments) {
    QCommandLineParser parser;
    const QCommandLineOption hexOption("hex", "", "HEX");
    const QCommandLineOption jsonOption("json", "");
    const QCommandLineOption floorsOption("floors", "");
    const QCommandLineOption invalidOnlyOption("invalid-only", "");
    const QCommandLineOption colourOption("color", "", "WHEN", "auto");
    const QCommandLineOption portOption("port", "", "N");
    parser.addOptions({hexOption, jsonOption, floorsOption, invalidOnlyOption, colourOption, portOption});
    if (const auto stop = ParseCommandLine(parser, arguments, kCommand, kHelp))
        return *stop;

    DecodeOptions options;
    options.json = parser.isSet(jsonOption);
    options.floors = parser.isSet(floorsOption);
    options.invalidOnly = parser.isSet(invalidOnlyOption);
    const auto colour = ColourWanted(parser.value(colourOption));
    if (!colour) {
        PrintError(kCommand,
                   "--color takes auto, always or never, not " + parser.value(colourOption).toStdString());
        return kExitUsage;
    }
    options.colour = *colour && !options.json;

    // Every --hex must be a message before anything is decoded: a typing error is a usage error.
    DecodeInputs inputs;
    for (const QString& hex : parser.values(hexOption)) {
        const auto bytes = ParseHexBytes(hex.toStdString());
        if (!bytes || bytes->empty() || bytes->size() > kMaxLineBytes) {
            PrintError(kCommand,
                       "--hex takes 1 to 256 bytes as hex digits, not \"" + hex.toStdString() + "\"");
            return kExitUsage;
        }
        inputs.hexLines.push_back(MakeCaptureLine(MakeCapturePrefix({}, {}), bytes->data(), bytes->size()));
    }
    if (!ReadInputArguments(parser, portOption, kCommand, inputs.port, inputs.files))
        return kExitUsage;
    if (inputs.files.empty() && inputs.hexLines.empty())
        inputs.files.push_back("-");

    const DecodeOutcome outcome = RunDecode(inputs, options, DefaultWorkers(), STDOUT_FILENO);
    if (outcome.outputError != 0) {
        PrintError(kCommand, std::string("cannot write the output: ") + std::strerror(outcome.outputError));
        return kExitUsage;
    }
    if (outcome.inputError)
        return kExitUsage;
    return outcome.allValid ? kExitOk : kExitCheckFailed;
}
