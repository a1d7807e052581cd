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

// A blank and the two digits of every byte value, and the next byte's blank: one look-up and one
// four-byte store a byte, the fourth byte written over by the next.
constexpr std::array<std::array<char, 4>, 256> kSpacedPairs = [] {
    constexpr char kDigits[] = "0123456789ABCDEF";
    std::array<std::array<char, 4>, 256> pairs{};
    for (std::size_t b = 0; b < pairs.size(); ++b)
        pairs[b] = {' ', kDigits[b >> 4], kDigits[b & 0x0F], ' '};
    return pairs;
}();

} // namespace

char* PutCaptureBytes(char* out, const std::uint8_t* bytes, std::size_t count) {
    if (count == 0)
        return out;
    for (std::size_t i = 0; i + 1 < count; ++i, out += 3)
        std::memcpy(out, kSpacedPairs[bytes[i]].data(), 4);
    std::memcpy(out, kSpacedPairs[bytes[count - 1]].data(), 3); // the last: nothing written past it
    return out + 3;
}

void PutByteTokens(std::string_view* out, const std::uint8_t* bytes, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        out[i] = std::string_view(kSpacedPairs[bytes[i]].data() + 1, 2);
}

void AppendCaptureBytes(std::string& out, const std::uint8_t* bytes, std::size_t count) {
    // Through a small buffer: growing the string first would clear every byte before it is written.
    constexpr std::size_t kPiece = 128;
    char piece[3 * kPiece];
    for (std::size_t done = 0; done < count; done += kPiece) {
        const std::size_t n = std::min(kPiece, count - done);
        out.append(piece, PutCaptureBytes(piece, bytes + done, n));
    }
}

namespace {

constexpr auto kNowhere = std::string_view::npos;

// Where c next stands in line from from on. The brackets of a line stand a few characters in, where a
// plain loop beats a search call.
std::size_t Find(std::string_view line, char c, std::size_t from) {
    for (std::size_t i = from; i < line.size(); ++i)
        if (line[i] == c)
            return i;
    return kNowhere;
}

} // namespace

CaptureLineParts SplitCaptureLine(std::string_view line) {
    // The first two "]" of the line, as modCommon::ByteText finds them.
    const std::size_t first = Find(line, ']', 0);
    const std::size_t second = first == kNowhere ? kNowhere : Find(line, ']', first + 1);
    const std::size_t start = second == kNowhere ? 1 : second + 2;
    CaptureLineParts parts;
    parts.byteText = start >= line.size() ? std::string_view{} : line.substr(start);
    // Each "[" closes at the first "]" after it, which is one of those two where it stands before them.
    const std::size_t open1 = Find(line, '[', 0);
    const std::size_t close1 = open1 == kNowhere ? kNowhere
                               : open1 < first   ? first
                                                 : Find(line, ']', open1 + 1);
    if (close1 == kNowhere)
        return parts;
    parts.date = line.substr(open1 + 1, close1 - open1 - 1);
    const std::size_t open2 = Find(line, '[', close1 + 1);
    const std::size_t close2 = open2 == kNowhere                   ? kNowhere
                               : close1 == first && open2 < second ? second
                                                                   : Find(line, ']', open2 + 1);
    if (close2 != kNowhere)
        parts.time = line.substr(open2 + 1, close2 - open2 - 1);
    return parts;
}
