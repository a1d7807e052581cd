#include "report/RuleReason.h"

#include "common/modCommon.h"
#include "decode/LeftOutChecks.h"
#include "decode/MessageFormat.h"

using namespace MessageFormat;
using FieldRules::Rule;

namespace {

// "0x35 (\"5\")", or the token as it stands when it is not two hex digits.
std::string ByteWords(std::string_view token) {
    std::string text = "0x";
    text += token;
    const std::uint32_t value = modCommon::HexValue(token);
    if (value >= 0x20 && value < 0x7F) {
        text += " (\"";
        text += static_cast<char>(value);
        text += "\")";
    }
    return text;
}

std::string HexByte(std::uint32_t value) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    return std::string("0x") + kDigits[value >> 4 & 0xF] + kDigits[value & 0xF];
}

} // namespace

std::string TableRuleReason(Rule rule, const MessageTokens& tokens, std::size_t offset) {
    const FieldRules::RuleName& name = FieldRules::Describe(rule);
    if (rule == Rule::GateRange10 || rule == Rule::GateRange20 || rule == Rule::FloorRange10) {
        const std::size_t width = rule == Rule::FloorRange10 ? kDestFloor10.width : kGate10.width;
        std::string field;
        for (std::size_t i = offset; i < offset + width && i < tokens.size(); ++i)
            field += static_cast<char>(modCommon::HexLowByte(tokens[i]));
        return std::string(rule == Rule::FloorRange10 ? "destination floor \"" : "gate number \"") + field +
               "\": " + std::string(name.requirement);
    }
    std::string text = "byte " + std::to_string(offset + 1) + " is ";
    text += offset < tokens.size() ? ByteWords(tokens[offset]) : std::string("missing");
    text += ": ";
    text += name.requirement;
    return text;
}

std::string LengthReason(const MessageTokens& tokens) {
    const std::uint32_t command = modCommon::HexValue(tokens[kCommandOffset]);
    return "data length " + HexByte(modCommon::HexValue(tokens[kLengthOffset])) + " with command " +
           HexByte(command) + ", which needs " + HexByte(LeftOutChecks::LengthFor(command).value_or(0));
}

std::string OddTokenReason(const MessageTokens& tokens, std::size_t index) {
    return "byte " + std::to_string(index + 1) + " is \"" + std::string(tokens[index]) +
           "\": not two hexadecimal digits (the table reads it as " +
           HexByte(modCommon::HexLowByte(tokens[index])) + ")";
}

std::string CutShortReason(std::uint64_t length, std::uint64_t shortBy) {
    return std::to_string(length - shortBy) + " of " + std::to_string(length) + " bytes: the rest never came";
}

std::string NotMessageReason(const MessageTokens& tokens) {
    std::string text = "begins " + ByteWords(tokens[0]);
    if (tokens.size() > kVersionOffset)
        text += " " + ByteWords(tokens[kVersionOffset]);
    return text + ": neither a data length of a message nor the version \"A\"";
}
