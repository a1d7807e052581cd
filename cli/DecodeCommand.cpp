#include "cli/DecodeCommand.h"

#include "capture/CaptureLine.h"
#include "cli/CaptureInput.h"
#include "cli/CommandLine.h"
#include "cli/ExitStatus.h"
#include "cli/HexBytes.h"
#include "cli/LineDecoder.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

constexpr std::string_view kCommand = "decode";
constexpr std::size_t kFlushSize = 1 << 18;

constexpr std::string_view kHelp = R"(Usage: tarc-emulator decode [OPTIONS] [FILE ...]

Decodes capture lines as the window's decode table shows them: for every line its date and time, how
its bytes divide into messages (one message, part of one and how many bytes short, or several), then
every row of the table with its name, type, value cells and explanation.

FILE is a capture file (with or without its first line "[...] [hh:mm:ss]") or a file of capture lines
as "record" prints them; "-" or no FILE reads standard input.

  --hex HEX          decode one message given as hex ("04 41 00 00 11 00 00 00"); may be repeated
  --json             one JSON object per line (JSON Lines) instead of text
  --floors           with a 0x20 message, also the 64 floor bytes as the floors window reads them
  --invalid-only     report only lines with an invalid or missing field
  --color WHEN       red cells on red: auto (on a terminal, the default), always or never
  -h, --help         show this help

In text, a value that breaks the format carries a "!" ("FF!") and a missing byte shows as "--!".
Exit status: 0 every message valid, 1 a message has an invalid or missing field, 2 a usage or
input/output error.
)";

// Output goes out in large writes, and before any read that may wait so that a pipe from a live
// recorder shows each line as it comes.
class Output {
public:
    void Flush() {
        std::size_t done = 0;
        while (done < m_buffer.size() && m_error == 0) {
            const ssize_t written = ::write(STDOUT_FILENO, m_buffer.data() + done, m_buffer.size() - done);
            if (written > 0)
                done += static_cast<std::size_t>(written);
            else if (written == 0 || errno != EINTR)
                m_error = written == 0 ? EIO : errno;
        }
        m_buffer.clear();
    }
    void FlushIfFull() {
        if (m_buffer.size() >= kFlushSize)
            Flush();
    }
    std::string& buffer() { return m_buffer; }
    bool failed() const { return m_error != 0; }
    int error() const { return m_error; }

private:
    std::string m_buffer;
    int m_error = 0;
};

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
    parser.addOptions({hexOption, jsonOption, floorsOption, invalidOnlyOption, colourOption});
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
    std::vector<std::string> hexLines;
    for (const QString& hex : parser.values(hexOption)) {
        const auto bytes = ParseHexBytes(hex.toStdString());
        if (!bytes || bytes->empty() || bytes->size() > kMaxLineBytes) {
            PrintError(kCommand,
                       "--hex takes 1 to 256 bytes as hex digits, not \"" + hex.toStdString() + "\"");
            return kExitUsage;
        }
        hexLines.push_back(MakeCaptureLine(MakeCapturePrefix({}, {}), bytes->data(), bytes->size()));
    }
    QStringList files = parser.positionalArguments();
    if (files.isEmpty() && hexLines.empty())
        files.append("-");

    LineDecoder decoder(options);
    Output output;
    bool allValid = true;
    bool ioError = false;
    for (const QString& file : files) {
        const std::string path = file.toStdString();
        CaptureInput input(path);
        if (!input.error().empty()) {
            PrintError(kCommand, "cannot open " + path + ": " + input.error());
            ioError = true;
            continue;
        }
        input.setBeforeRead([&output] { output.Flush(); });
        std::string_view line;
        std::size_t number = 0;
        while (input.Next(line, number) && !output.failed()) {
            allValid = decoder.Decode(path, number, line, output.buffer()) && allValid;
            output.FlushIfFull();
        }
        if (!input.error().empty()) {
            PrintError(kCommand, "cannot read " + path + ": " + input.error());
            ioError = true;
        }
    }
    for (std::size_t i = 0; i < hexLines.size(); ++i)
        allValid = decoder.Decode("--hex", i + 1, hexLines[i], output.buffer()) && allValid;
    output.Flush();
    if (output.failed()) {
        PrintError(kCommand, std::string("cannot write the output: ") + std::strerror(output.error()));
        return kExitUsage;
    }
    if (ioError)
        return kExitUsage;
    return allValid ? kExitOk : kExitCheckFailed;
}
