// The headless decoder's output path: any capture line, as an edited file holds it (odd bit of the
// first byte clear) or as the receive path records any bytes (odd bit set), through the text and the
// JSON report with every option the first byte's other bits pick.
#include "FuzzCheck.h"

#include "capture/CaptureLine.h"
#include "report/LineDecoder.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

constexpr std::string_view kPrefix = "[2012/11/22] [10:15:30]";
// Lines that leave the decode table in its two most different layouts.
constexpr std::string_view kEarlierLines[] = {
    "[2012/11/22] [10:15:30] 4C 41 00 00 20 30 32 35 35 FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF"
    " FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF"
    " FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF 40 30 07 00 00 00 00 00",
    "[2012/11/22] [10:15:30] 0C 41 00 00 10 30 30 30 33 30 31 35 31 30 00 00 04 41 00 00 11 00",
};

struct Decoded {
    bool valid = true;
    std::string out;
};

Decoded Decode(const DecodeOptions& options, std::string_view line, bool afterOthers) {
    LineDecoder decoder(options);
    Decoded result;
    if (afterOthers) {
        std::string earlier;
        for (std::string_view other : kEarlierLines)
            decoder.Decode("earlier", 1, other, earlier);
    }
    result.valid = decoder.Decode("fuzz", 7, line, result.out);
    return result;
}

void CheckJson(const Decoded& decoded) {
    Check(decoded.out.ends_with('\n') && decoded.out.find('\n') == decoded.out.size() - 1,
          "a JSON report is one line");
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(
        QByteArray(decoded.out.data(), static_cast<qsizetype>(decoded.out.size() - 1)), &error);
    Check(error.error == QJsonParseError::NoError && document.isObject(),
          "a JSON report parses as an object");
    const QJsonObject line = document.object();
    Check(line.value(QStringLiteral("valid")).toBool(!decoded.valid) == decoded.valid,
          "the report's verdict is the decoder's");
    Check(line.value(QStringLiteral("line")).toInteger() == 7, "the report names its line");
    Check(!line.value(QStringLiteral("messages")).toArray().isEmpty(), "every line reports a message");
}

void CheckLine(std::uint8_t flags, std::string_view line) {
    DecodeOptions options;
    options.json = flags & 2;
    options.floors = flags & 4;
    options.invalidOnly = flags & 8;
    options.colour = flags & 16;

    const Decoded fresh = Decode(options, line, false);
    const Decoded later = Decode(options, line, true);
    Check(fresh.valid == later.valid && fresh.out == later.out,
          "a line's report does not depend on the lines decoded before it");
    if (options.invalidOnly && fresh.valid) {
        Check(fresh.out.empty(), "only invalid lines are reported with invalid-only");
        return;
    }
    Check(!fresh.out.empty(), "every line not filtered out gives a report");
    if (options.json)
        CheckJson(fresh);
    else
        Check(fresh.out.starts_with("fuzz:7") && fresh.out.ends_with("\n\n"),
              "a text report starts with its source and line and ends with a blank line");
    if (!options.colour)
        Check(fresh.out.find('\x1b') == std::string::npos || line.find('\x1b') != std::string_view::npos,
              "without colour the report adds no escape sequence");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    if (data[0] & 1) {
        CheckLine(data[0], MakeCaptureLine(kPrefix, data + 1, size - 1));
    } else {
        const std::string_view line(reinterpret_cast<const char*>(data) + 1, size - 1);
        // The reader hands on lines without their line ends.
        if (line.find_first_of("\r\n") == std::string_view::npos)
            CheckLine(data[0], line);
    }
    return 0;
}
