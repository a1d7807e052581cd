#include "cli/Framing.h"

#include "common/modCommon.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint64_t kHeaderBytes = 4;

std::uint64_t AnnouncedLength(std::string_view firstToken) {
    return modCommon::HexValue(firstToken) + kHeaderBytes;
}

} // namespace

std::size_t CountTokens(std::string_view byteText) {
    if (byteText.empty())
        return 0;
    // Blanks counted eight bytes at a time: this runs once for every line decoded.
    constexpr std::uint64_t kBlanks = 0x2020202020202020ULL;
    constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL;
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    std::size_t blanks = 0;
    std::size_t i = 0;
    for (; i + 8 <= byteText.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, byteText.data() + i, 8);
        const std::uint64_t x = word ^ kBlanks;                                // a blank becomes a zero byte
        const std::uint64_t zeros = ~(((x & kLow7) + kLow7) | x | kLow7) >> 7; // 1 in each zero byte
        blanks += static_cast<std::size_t>((zeros * kOnes) >> 56);             // their sum in the top byte
    }
    blanks += static_cast<std::size_t>(
        std::count(byteText.begin() + static_cast<std::ptrdiff_t>(i), byteText.end(), ' '));
    return blanks + 1;
}

void FrameMessages(std::string_view byteText, std::vector<MessageSpan>& spans) {
    spans.clear();
    const std::size_t tokenCount = CountTokens(byteText);
    if (tokenCount == 0)
        return;
    // Nearly every line holds at most one message: no need to take it apart.
    const std::uint64_t firstLength = AnnouncedLength(byteText.substr(0, byteText.find(' ')));
    if (tokenCount <= firstLength) {
        spans.push_back({0, tokenCount, firstLength, byteText});
        return;
    }
    const auto tokens = modCommon::SplitFields(byteText);
    for (std::size_t first = 0; first < tokens.size();) {
        MessageSpan span;
        span.first = first;
        span.length = AnnouncedLength(tokens[first]);
        span.count = static_cast<std::size_t>(std::min<std::uint64_t>(span.length, tokens.size() - first));
        const std::string_view last = tokens[first + span.count - 1];
        span.text = std::string_view(
            tokens[first].data(), static_cast<std::size_t>(last.data() + last.size() - tokens[first].data()));
        spans.push_back(span);
        first += span.count;
    }
}
