#pragma once

#include "common/modCommon.h"
#include "decode/DecodeTable.h"
#include "decode/MessageFormat.h"

#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

// Which value each field of a message may hold: every check of the message format, in one place, and
// the decoders that apply them to the table. Each rule has an identity (Rule) and a stable name, so that
// what judged a field can be listed rule by rule. How a cell says it lives with the other words
// (DecodeWords), the layout of the cells with the table (DecodeTable).
namespace FieldRules {

enum class Rule : std::uint8_t {
    Length,        // the data length is one of the three message sizes
    Version,       // the version byte is "A"
    HeaderReserve, // each header reserve byte is 0
    Command,       // the command is 0x10, 0x11 or 0x20
    Reserve11,     // each 0x11 reserve byte is 0
    GateDigit10,   // each gate byte of a 0x10 is an ASCII digit
    GateRange10,   // the 0x10 gate number is 0001 to 9999
    FloorDigit10,  // each destination floor byte is an ASCII digit
    FloorRange10,  // the destination floor is 001 to 255
    Door10,        // the door opening is "1", "2" or "3"
    Attribution10, // the 0x10 attribution is a hex digit character
    Sequence10,    // any sequence number
    Reserve10,     // the 0x10 reserve byte is 0
    GateDigit20,   // each gate byte of a 0x20 is an ASCII digit
    GateRange20,   // the 0x20 gate number is 0001 to 0255
    Attribution20, // the 0x20 attribution is "0" or "2"
    Sequence20,    // any sequence number
    Reserve20,     // each 0x20 reserve byte is 0
};
inline constexpr std::size_t kRuleCount = static_cast<std::size_t>(Rule::Reserve20) + 1;
static_assert(kRuleCount <= RuleVerdicts::kMostRules);

constexpr std::uint32_t RuleBit(Rule rule) {
    return std::uint32_t{1} << static_cast<unsigned>(rule);
}

// Every rule in the order the fields stand in a message, with its stable name, what it asks, as a red
// cell's note ends, and the field and what it must hold, as a record of rules lists it.
struct RuleName {
    Rule rule;
    std::string_view name;
    std::string_view requirement;
    std::string_view description;
};
inline constexpr std::array<RuleName, kRuleCount> kRules = {{
    {Rule::Length, "header.length", "must be 12 (0x10), 4 (0x11) or 76 (0x20)",
     "data length: 0x0C, 0x04 or 0x4C"},
    {Rule::Version, "header.version", "must be A", "version: \"A\" (0x41)"},
    {Rule::HeaderReserve, "header.reserve", "must be 00", "header reserve: each byte 0x00"},
    {Rule::Command, "command", "must be 0x10, 0x11 or 0x20", "command: 0x10, 0x11 or 0x20"},
    {Rule::Reserve11, "0x11.reserve", "must be 00", "0x11 reserve: each byte 0x00"},
    {Rule::GateDigit10, "0x10.gate.digit", "is not a digit", "0x10 gate number: each byte a digit"},
    {Rule::GateRange10, "0x10.gate.range", "outside 0001 to 9999", "0x10 gate number: 0001 to 9999"},
    {Rule::FloorDigit10, "0x10.floor.digit", "is not a digit", "destination floor: each byte a digit"},
    {Rule::FloorRange10, "0x10.floor.range", "outside 001 to 255", "destination floor: 001 to 255"},
    {Rule::Door10, "0x10.door", "must be 1, 2 or 3", "door opening: \"1\", \"2\" or \"3\""},
    {Rule::Attribution10, "0x10.attribution", "must be 0 to 9 or A to F",
     "0x10 attribution: \"0\" to \"9\" or \"A\" to \"F\""},
    {Rule::Sequence10, "0x10.seq", "", "0x10 sequence number: any value"},
    {Rule::Reserve10, "0x10.reserve", "must be 00", "0x10 reserve: 0x00"},
    {Rule::GateDigit20, "0x20.gate.digit", "is not a digit", "0x20 gate number: each byte a digit"},
    {Rule::GateRange20, "0x20.gate.range", "outside 0001 to 0255", "0x20 gate number: 0001 to 0255"},
    {Rule::Attribution20, "0x20.attribution", "must be 0 or 2", "0x20 attribution: \"0\" or \"2\""},
    {Rule::Sequence20, "0x20.seq", "", "0x20 sequence number: any value"},
    {Rule::Reserve20, "0x20.reserve", "must be 00", "0x20 reserve: each byte 0x00"},
}};

constexpr const RuleName& Describe(Rule rule) {
    return kRules[static_cast<std::size_t>(rule)];
}
// The table lists the rules in the order of the enumeration.
static_assert([] {
    for (std::size_t i = 0; i < kRuleCount; ++i)
        if (static_cast<std::size_t>(kRules[i].rule) != i)
            return false;
    return true;
}());

constexpr bool IsDigit(std::uint32_t value) {
    return value >= '0' && value <= '9';
}

// Whether value passes rule. For the digit rules value is one byte; for the range rules it is the
// number the field's digits form.
constexpr bool Passes(Rule rule, std::uint32_t value) {
    using namespace MessageFormat;
    switch (rule) {
    case Rule::Length:
        return value == kDataLength10 || value == kDataLength11 || value == kDataLength20;
    case Rule::Version:
        return value == kVersion;
    case Rule::Command:
        return value == kCommand10 || value == kCommand11 || value == kCommand20;
    case Rule::HeaderReserve:
    case Rule::Reserve11:
    case Rule::Reserve10:
    case Rule::Reserve20:
        return value == 0;
    case Rule::GateDigit10:
    case Rule::FloorDigit10:
    case Rule::GateDigit20:
        return IsDigit(value);
    case Rule::GateRange10:
        return value >= 1 && value <= kGateMax10;
    case Rule::FloorRange10:
        return value >= 1 && value <= kDestFloorMax;
    case Rule::GateRange20:
        return value >= 1 && value <= kGateMax20;
    case Rule::Door10:
        return value >= kDoorFront && value <= kDoorBoth;
    case Rule::Attribution10:
        return IsDigit(value) || (value >= 'A' && value <= 'F');
    case Rule::Attribution20:
        return value == kAttrGeneral || value == kAttrVip;
    case Rule::Sequence10:
    case Rule::Sequence20:
        return true;
    }
    return false;
}

// The value of a token as the character fields of the 0x10 and 0x20 bodies take it. Empty when the
// value does not fit a signed 16-bit integer: such a token ends the decoder.
inline std::optional<int> CharValue(std::string_view token) {
    const std::uint32_t value = modCommon::HexValue(token);
    if (value > static_cast<std::uint32_t>(std::numeric_limits<std::int16_t>::max()))
        return std::nullopt;
    return static_cast<int>(value);
}

} // namespace FieldRules

// The decoders. Each stops quietly at the first token the message lacks (or, in the 0x10 and 0x20
// bodies, at a token whose value does not fit a 16-bit signed integer), keeping what it set so far.
void ShowHeader(DecodeTable& table, const MessageTokens& tokens);
// The command row and its body. True when a 0x20 body was decoded to its end (the floors hand-over is
// due).
bool ShowData(DecodeTable& table, const MessageTokens& tokens);
