#include "common/modCommon.h"

#include <limits>

namespace modCommon {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

} // namespace

std::string ByteToHex(std::uint8_t value) {
    std::string text;
    text.reserve(2);
    AppendByteToHex(text, value);
    return text;
}

std::string_view ByteText(std::string_view line) {
    const auto first = line.find(']');
    const auto second = first == std::string_view::npos ? std::string_view::npos : line.find(']', first + 1);
    // Without a second "]" the text starts at the line's second character, as if the "]" stood at 0.
    const std::size_t start = second == std::string_view::npos ? 1 : second + 2;
    return start >= line.size() ? std::string_view{} : line.substr(start);
}

std::vector<std::string_view> SplitFields(std::string_view text) {
    std::vector<std::string_view> fields;
    if (text.empty())
        return fields;
    std::size_t from = 0;
    for (;;) {
        const auto blank = text.find(' ', from);
        if (blank == std::string_view::npos) {
            fields.push_back(text.substr(from));
            return fields;
        }
        fields.push_back(text.substr(from, blank - from));
        from = blank + 1;
    }
}

std::uint32_t HexValue(std::string_view token) {
    constexpr std::uint32_t max = std::numeric_limits<std::uint32_t>::max();
    std::uint32_t value = 0;
    for (const char c : token) {
        const int digit = HexDigit(c);
        if (digit < 0)
            break;
        if (value > (max >> 4))
            return max;
        value = (value << 4) | static_cast<std::uint32_t>(digit);
    }
    return value;
}

std::uint8_t HexLowByte(std::string_view token) {
    std::uint8_t value = 0;
    for (const char c : token) {
        const int digit = HexDigit(c);
        if (digit < 0)
            break;
        value = static_cast<std::uint8_t>((value << 4) | digit);
    }
    return value;
}

} // namespace modCommon
