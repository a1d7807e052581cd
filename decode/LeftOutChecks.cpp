#include "decode/LeftOutChecks.h"

#include "common/AppendNumber.h"
#include "common/modCommon.h"
#include "decode/FieldRules.h"
#include "decode/MessageFormat.h"

#include <array>

namespace LeftOutChecks {

using namespace MessageFormat;

namespace {

// Looked up rather than compared: the record checks every byte of every message.
constexpr std::array<bool, 256> kHexDigits = [] {
    std::array<bool, 256> digits{};
    for (int c = 0; c < 256; ++c)
        digits[static_cast<std::size_t>(c)] =
            (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
    return digits;
}();

bool IsHexDigit(char c) {
    return kHexDigits[static_cast<unsigned char>(c)];
}

} // namespace

std::optional<std::uint32_t> LengthFor(std::uint32_t command) {
    switch (command) {
    case kCommand10:
        return kDataLength10;
    case kCommand11:
        return kDataLength11;
    case kCommand20:
        return kDataLength20;
    default:
        return std::nullopt;
    }
}

std::optional<bool> LengthFitsCommand(const MessageTokens& tokens) {
    if (tokens.size() <= kCommandOffset)
        return std::nullopt;
    const auto wanted = LengthFor(modCommon::HexValue(tokens[kCommandOffset]));
    if (!wanted)
        return std::nullopt;
    return modCommon::HexValue(tokens[kLengthOffset]) == *wanted;
}

std::optional<std::size_t> FirstOddToken(const MessageTokens& tokens) {
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const std::string_view token = tokens[i];
        if (token.size() != 2 || !IsHexDigit(token[0]) || !IsHexDigit(token[1]))
            return i;
    }
    return std::nullopt;
}

bool HasDateAndTime(std::string_view line) {
    const auto first = line.find(']');
    return first != std::string_view::npos && line.find(']', first + 1) != std::string_view::npos;
}

void AppendLeftOutWords(std::string& summary, const MessageTokens& tokens) {
    // A length the table already shows red needs no second word.
    const bool lengthListed =
        !tokens.empty() &&
        FieldRules::Passes(FieldRules::Rule::Length, modCommon::HexValue(tokens[kLengthOffset]));
    const auto fits = lengthListed ? LengthFitsCommand(tokens) : std::nullopt;
    const auto odd = FirstOddToken(tokens);
    if ((!fits || *fits) && !odd)
        return;
    summary += " (not in the table:";
    if (fits && !*fits) {
        summary += " data length ";
        AppendNumber(summary, modCommon::HexValue(tokens[kLengthOffset]));
        summary += " does not fit command 0x";
        summary += tokens[kCommandOffset];
        if (odd)
            summary += ';';
    }
    if (odd) {
        summary += " byte ";
        AppendNumber(summary, static_cast<std::uint32_t>(*odd + 1));
        summary += " \"";
        summary += tokens[*odd];
        summary += "\" is not two hex digits";
    }
    summary += ')';
}

} // namespace LeftOutChecks
