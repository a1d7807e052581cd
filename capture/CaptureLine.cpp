#include "capture/CaptureLine.h"

#include "common/modCommon.h"

#include <algorithm>
#include <array>
#include <cstring>

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
    AppendCaptureBytes(line, bytes, shown);
    return line;
}

namespace {

// The two digits of every byte value: one look-up a byte instead of two.
constexpr std::array<std::array<char, 2>, 256> kHexPairs = [] {
    constexpr char kDigits[] = "0123456789ABCDEF";
    std::array<std::array<char, 2>, 256> pairs{};
    for (std::size_t b = 0; b < pairs.size(); ++b)
        pairs[b] = {kDigits[b >> 4], kDigits[b & 0x0F]};
    return pairs;
}();

} // namespace

char* PutCaptureBytes(char* out, const std::uint8_t* bytes, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i, out += 3) {
        out[0] = ' ';
        std::memcpy(out + 1, kHexPairs[bytes[i]].data(), 2);
    }
    return out;
}

void AppendCaptureBytes(std::string& out, const std::uint8_t* bytes, std::size_t count) {
    const std::size_t start = out.size();
    out.resize(start + 3 * count);
    PutCaptureBytes(out.data() + start, bytes, count);
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
