#include "capture/CaptureLine.h"

#include "common/modCommon.h"

#include <algorithm>

std::string MakeCapturePrefix(std::string_view date, std::string_view time) {
    std::string prefix;
    prefix.reserve(date.size() + time.size() + 5);
    prefix += '[';
    prefix += date;
    prefix += "] [";
    prefix += time;
    prefix += ']';
    return prefix;
}

std::string MakeCaptureLine(std::string_view prefix, const std::uint8_t* bytes, std::size_t count) {
    const std::size_t shown = std::min(count, kMaxLineBytes);
    std::string line;
    line.reserve(prefix.size() + 3 * shown);
    line += prefix;
    for (std::size_t i = 0; i < shown; ++i) {
        line += ' ';
        modCommon::AppendByteToHex(line, bytes[i]);
    }
    return line;
}

CaptureLineParts SplitCaptureLine(std::string_view line) {
    CaptureLineParts parts;
    parts.byteText = modCommon::ByteText(line);
    const auto open1 = line.find('[');
    const auto close1 = open1 == std::string_view::npos ? open1 : line.find(']', open1 + 1);
    if (close1 == std::string_view::npos)
        return parts;
    parts.date = line.substr(open1 + 1, close1 - open1 - 1);
    const auto open2 = line.find('[', close1 + 1);
    const auto close2 = open2 == std::string_view::npos ? open2 : line.find(']', open2 + 1);
    if (close2 != std::string_view::npos)
        parts.time = line.substr(open2 + 1, close2 - open2 - 1);
    return parts;
}
