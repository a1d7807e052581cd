#include "report/RecordRules.h"

#include <array>

namespace RecordRules {

namespace {

constexpr std::array<RuleInfo, kOwnCount> kOwnRules = {{
    {"length.command", "data length fits the command: 0x0C with 0x10, 0x04 with 0x11, 0x4C with 0x20",
     Kind::LeftOut, "message"},
    {"bytes.hex", "every byte is two hexadecimal digits", Kind::LeftOut, "message"},
    {"line.datetime", "the line begins with its [date] [time]", Kind::LeftOut, "line"},
    {"framing.whole", "a message is whole: every byte its length announces arrives", Kind::Framing,
     "message"},
    {"framing.message", "the bytes begin like a message: a valid data length or version \"A\"", Kind::Framing,
     "message"},
    {"capture.gap", "the packet capture holds every byte of the connection", Kind::Framing, "connection"},
}};

} // namespace

RuleInfo Info(std::size_t index) {
    if (index < FieldRules::kRuleCount) {
        const FieldRules::RuleName& rule = FieldRules::kRules[index];
        return {rule.name, rule.description, Kind::Table, "message"};
    }
    return kOwnRules[index - FieldRules::kRuleCount];
}

std::string_view KindText(Kind kind) {
    switch (kind) {
    case Kind::Table:
        return "checked by the decode table";
    case Kind::LeftOut:
        return "left out of the decode table by design";
    case Kind::Framing:
        return "framing";
    }
    return {};
}

} // namespace RecordRules
