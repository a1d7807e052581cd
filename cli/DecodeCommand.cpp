#include "cli/DecodeCommand.h"

#include "capture/CaptureLine.h"
#include "cli/BatchDecoder.h"
#include "cli/CaptureInput.h"
#include "cli/CommandLine.h"
#include "cli/ExitStatus.h"
#include "cli/HexBytes.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <unistd.h>

namespace {

constexpr std::string_view kCommand = "decode";
constexpr std::size_t kFlushSize = 1 << 18;
constexpr unsigned kMostWorkers = 8;

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
        WriteAll(m_buffer);
        m_buffer.clear();
    }
    // A large report goes out as it is rather than through the buffer.
    void Write(std::string_view report) {
        if (report.size() < kFlushSize) {
            m_buffer += report;
            if (m_buffer.size() < kFlushSize)
                return;
            report = {};
        }
        Flush();
        WriteAll(report);
    }
    bool failed() const { return m_error != 0; }
    int error() const { return m_error; }

private:
    void WriteAll(std::string_view text) {
        std::size_t done = 0;
        while (done < text.size() && m_error == 0) {
            const ssize_t written = ::write(STDOUT_FILENO, text.data() + done, text.size() - done);
            if (written > 0)
                done += static_cast<std::size_t>(written);
            else if (written == 0 || errno != EINTR)
                m_error = written == 0 ? EIO : errno;
        }
    }

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

    Output output;
    const unsigned cores = std::thread::hardware_concurrency();
    BatchDecoder decoder(options, cores > 1 ? std::min(cores, kMostWorkers) : 0,
                         [&output](const std::string& report) { output.Write(report); });
    bool ioError = false;
    for (const QString& file : files) {
        const std::string path = file.toStdString();
        CaptureInput input(path);
        if (!input.error().empty()) {
            PrintError(kCommand, "cannot open " + path + ": " + input.error());
            ioError = true;
            continue;
        }
        // A batch a block read; before a read that may wait, everything so far is decoded and written,
        // so that a pipe from a live recorder shows each line as it comes.
        input.setBeforeRead([&] {
            decoder.Submit();
            if (input.mayWait()) {
                decoder.Drain();
                output.Flush();
            }
        });
        std::string_view line;
        std::size_t number = 0;
        while (input.Next(line, number) && !output.failed())
            decoder.Add(path, number, line);
        decoder.Submit();
        if (!input.error().empty()) {
            PrintError(kCommand, "cannot read " + path + ": " + input.error());
            ioError = true;
        }
    }
    for (std::size_t i = 0; i < hexLines.size(); ++i)
        decoder.Add("--hex", i + 1, hexLines[i]);
    decoder.Drain();
    const bool allValid = decoder.allValid();
    output.Flush();
    if (output.failed()) {
        PrintError(kCommand, std::string("cannot write the output: ") + std::strerror(output.error()));
        return kExitUsage;
    }
    if (ioError)
        return kExitUsage;
    return allValid ? kExitOk : kExitCheckFailed;
}
