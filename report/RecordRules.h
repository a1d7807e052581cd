#pragma once

#include "decode/FieldRules.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

// The rules a commissioning record counts. First the decode table's own field rules, in their order
// (FieldRules::kRules is the only list of field checks), then the record's own: the checks the table
// leaves out by design (decode/LeftOutChecks) and the framing of the byte stream into messages.
namespace RecordRules {

enum class Own : std::uint8_t {
    DataLength, // the data length fits the command
    HexTokens,  // every byte is two hexadecimal digits
    DateTime,   // the line has its date and time
    CutShort,   // the message is whole
    NotMessage, // the bytes begin like a message
    Gap,        // the packet capture holds the whole stream
};
inline constexpr std::size_t kOwnCount = static_cast<std::size_t>(Own::Gap) + 1;
inline constexpr std::size_t kCount = FieldRules::kRuleCount + kOwnCount;

enum class Kind : std::uint8_t {
    Table,   // judged by the decode table as it colours its cells
    LeftOut, // a check the table leaves out by design
    Framing, // how the bytes divide into messages
};

struct RuleInfo {
    std::string_view name;
    std::string_view description; // the field or the framing and what it must hold
    Kind kind;
    std::string_view unit; // what exercises it: "message", "line" or "connection"
};

constexpr std::size_t Index(FieldRules::Rule rule) {
    return static_cast<std::size_t>(rule);
}
constexpr std::size_t Index(Own rule) {
    return FieldRules::kRuleCount + static_cast<std::size_t>(rule);
}

RuleInfo Info(std::size_t index);

// "checked by the decode table", "left out of the table by design", "framing".
std::string_view KindText(Kind kind);

} // namespace RecordRules
