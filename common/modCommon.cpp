#include "common/modCommon.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>

namespace modCommon {

namespace {

// The value of every character as a hexadecimal digit, -1 for one that is not.
constexpr std::array<std::int8_t, 256> kDigits = [] {
    std::array<std::int8_t, 256> digits{};
    for (std::size_t c = 0; c < digits.size(); ++c) {
        if (c >= '0' && c <= '9')
            digits[c] = static_cast<std::int8_t>(c - '0');
        else if (c >= 'A' && c <= 'F')
            digits[c] = static_cast<std::int8_t>(c - 'A' + 10);
        else if (c >= 'a' && c <= 'f')
            digits[c] = static_cast<std::int8_t>(c - 'a' + 10);
        else
            digits[c] = -1;
    }
    return digits;
}();

int HexDigit(char c) {
    return kDigits[static_cast<unsigned char>(c)];
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
    SplitFields(text, fields);
    return fields;
}

void SplitFields(std::string_view text, std::vector<std::string_view>& fields) {
    fields.clear();
    if (text.empty())
        return;
    // Fields are mostly two characters: a plain scan beats a search call per field. The reserve covers
    // a whole capture line, and no more, whatever one odd line from a file holds.
    fields.reserve(std::min<std::size_t>(text.size() / 3 + 1, 257));
    const char* start = text.data();
    const char* const end = start + text.size();
    // The usual run: two characters and a blank, a field at a time.
    while (end - start >= 3 && start[0] != ' ' && start[1] != ' ' && start[2] == ' ') {
        fields.emplace_back(start, 2);
        start += 3;
    }
    for (const char* p = start; p != end; ++p) {
        if (*p == ' ') {
            fields.emplace_back(start, static_cast<std::size_t>(p - start));
            start = p + 1;
        }
    }
    fields.emplace_back(start, static_cast<std::size_t>(end - start));
}

namespace {

// Folds the leading hexadecimal digits of a token into a value, one digit at a time: a token is read up
// to the first character that is not one, or until fold says to stop.
template <typename Value, typename Fold> Value FoldHexDigits(std::string_view token, Fold fold) {
    Value value = 0;
    for (const char c : token) {
        const int digit = HexDigit(c);
        if (digit < 0 || !fold(value, digit))
            break;
    }
    return value;
}

} // namespace

std::uint32_t HexValue(std::string_view token) {
    // The usual token: two digits.
    if (token.size() == 2) {
        const int high = HexDigit(token[0]);
        const int low = HexDigit(token[1]);
        if (high >= 0 && low >= 0)
            return static_cast<std::uint32_t>(high << 4 | low);
    }
    return FoldHexDigits<std::uint32_t>(token, [](std::uint32_t& value, int digit) {
        constexpr std::uint32_t max = std::numeric_limits<std::uint32_t>::max();
        if (value > (max >> 4)) {
            value = max; // saturates
            return false;
        }
        value = (value << 4) | static_cast<std::uint32_t>(digit);
        return true;
    });
}

std::uint8_t HexLowByte(std::string_view token) {
    return FoldHexDigits<std::uint8_t>(token, [](std::uint8_t& value, int digit) {
        value = static_cast<std::uint8_t>((value << 4) | digit);
        return true;
    });
}

} // namespace modCommon
