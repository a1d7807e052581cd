#pragma once

#include "decode/DecodeTable.h"
#include "decode/Framing.h"

#include <cstdint>
#include <string_view>
#include <vector>

// What a capture line holds at a glance, worked out once when the line arrives or is loaded, with the
// same decoders as the window's table, so the mark never disagrees with what a click shows.
enum class LineKind : std::uint8_t {
    Valid,      // one whole message, no field red
    Invalid,    // one whole message with a red (wrong or missing) field
    Part,       // part of a message: fewer bytes than its length byte announces
    Several,    // more than one message in one read
    NotMessage, // no bytes at all
};
inline constexpr int kLineKinds = 5;

// The command byte of the line's first message, as the counters group it.
enum class LineCommand : std::uint8_t { C10, C11, C20, Other };
inline constexpr int kLineCommands = 4;

// Kind and command packed in one byte, so a million lines cost a megabyte.
struct LineMark {
    static constexpr std::uint8_t kUnknownBit = 0x80;
    std::uint8_t bits = 0;

    LineMark() = default;
    LineMark(LineKind kind, LineCommand command)
        : bits(static_cast<std::uint8_t>(static_cast<int>(kind) | static_cast<int>(command) << 3)) {}
    // A line loaded but not looked at yet: loading a million lines marks them after the list is shown.
    static LineMark Unknown() {
        LineMark mark;
        mark.bits = kUnknownBit;
        return mark;
    }
    bool Known() const { return (bits & kUnknownBit) == 0; }
    LineKind Kind() const { return static_cast<LineKind>(bits & 7); }
    LineCommand Command() const { return static_cast<LineCommand>(bits >> 3 & 3); }
    bool operator==(const LineMark&) const = default;
};

// Marks lines one after another; keeps its table and token buffers between lines, so marking costs no
// allocation once warmed up. One marker per thread.
class LineMarker {
public:
    // Only red and missing cells count for a mark, never the words: they would cost more than the rest.
    LineMarker() { m_table.withWords = false; }
    LineMark Mark(std::string_view line);

private:
    DecodeTable m_table;
    MessageTokens m_tokens;
    std::vector<MessageSpan> m_spans;
};

// What the mark means, for tooltips and assistive technology: "valid message", ...
std::string_view LineKindText(LineKind kind);
