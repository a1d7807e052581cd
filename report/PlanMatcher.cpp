#include "report/PlanMatcher.h"

#include "capture/CaptureLine.h"
#include "common/modCommon.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace {

using namespace MessageFormat;

constexpr Field kNone{0, 0};
// Where each field stands in the key and in a message of either command that has it.
struct Place {
    FieldWord word;
    std::size_t key;
    Field in10;
    Field in20;
};
constexpr std::size_t kCommandKey = 0;
constexpr Place kPlaces[] = {
    {FieldWord::Gate, 1, kGate10, kGate20},
    {FieldWord::DestFloor, 5, kDestFloor10, kNone},
    {FieldWord::Door, 8, kDoor10, kNone},
    {FieldWord::Attribution, 9, kAttribution10, kAttribution20},
    {FieldWord::Sequence, 10, kSequence10, kSequence20},
};

// Red cells outside the fields above: the header, the command, the reserve bytes.
constexpr std::uint8_t kElsewhere = 0x80;
constexpr std::uint8_t Bit(FieldWord word) {
    return static_cast<std::uint8_t>(1 << static_cast<int>(word));
}

// The field each data cell shows in the 0x10 and 0x20 layouts (the 0x11 layout shows reserve bytes only).
constexpr std::array<std::uint8_t, 16> kCellFields = [] {
    std::array<std::uint8_t, 16> cells{};
    cells.fill(kElsewhere);
    for (std::size_t k = 0; k < kGate10.width; ++k)
        cells[DataCell::kGate + k] = Bit(FieldWord::Gate);
    for (std::size_t k = 0; k < kDestFloor10.width; ++k)
        cells[DataCell::kDestFloor + k] = Bit(FieldWord::DestFloor);
    cells[DataCell::kDoor] = Bit(FieldWord::Door);
    cells[DataCell::kAttribution] = Bit(FieldWord::Attribution);
    cells[DataCell::kSequence] = Bit(FieldWord::Sequence);
    return cells;
}();

std::uint8_t RedFields(const DecodeTable& table, int command) {
    std::uint8_t red = 0;
    for (const Label& cell : table.lblHeader)
        red |= cell.visible && cell.red ? kElsewhere : 0;
    const bool fields = command == kCommand10 || command == kCommand20;
    for (std::size_t i = 0; i < table.lblData.size(); ++i) {
        const Label& cell = table.lblData[i];
        if (cell.visible && cell.red)
            red |= fields ? kCellFields[i] : kElsewhere;
    }
    return red;
}

// The key of a message of the command from its bytes, byteAt(offset) giving the byte there, or nothing
// when the message lacks it (or its token is more than a byte, which no expectation asks for). Only the
// fields in given are placed. placed: the bytes placed; missing: those of them the message lacks.
struct KeyBytes {
    PlanMatcher::Key placed;
    PlanMatcher::Key missing;
};
template <typename ByteAt> KeyBytes KeyOf(int command, std::uint8_t given, ByteAt byteAt) {
    std::array<std::uint8_t, 16> bytes{};
    std::array<std::uint8_t, 16> placed{};
    std::array<std::uint8_t, 16> missing{};
    const auto put = [&](std::size_t key, std::size_t offset) {
        const std::optional<std::uint8_t> byte = byteAt(offset);
        bytes[key] = byte.value_or(0);
        placed[key] = 0xFF;
        missing[key] = byte ? 0 : 0xFF;
    };
    put(kCommandKey, kCommandOffset);
    for (const Place& place : kPlaces) {
        const Field field = command == kCommand10 ? place.in10 : command == kCommand20 ? place.in20 : kNone;
        if ((given & Bit(place.word)) == 0)
            continue;
        for (std::size_t k = 0; k < field.width; ++k)
            put(place.key + k, field.offset + k);
    }
    KeyBytes key;
    std::memcpy(key.placed.bytes.data(), bytes.data(), sizeof bytes);
    std::memcpy(key.placed.mask.data(), placed.data(), sizeof placed);
    key.missing.bytes = key.placed.bytes;
    std::memcpy(key.missing.mask.data(), missing.data(), sizeof missing);
    return key;
}

std::optional<std::uint8_t> TokenByte(const MessageTokens& tokens, std::size_t offset) {
    if (offset >= tokens.size())
        return std::nullopt;
    const std::uint32_t value = modCommon::HexValue(tokens[offset]);
    if (value > 0xFF)
        return std::nullopt;
    return static_cast<std::uint8_t>(value);
}

} // namespace

PlanState StateOf(const ExpectationTally& tally) {
    if (tally.met > 0)
        return PlanState::Seen;
    return tally.invalid > 0 ? PlanState::SeenInvalid : PlanState::NotSeen;
}

std::string_view StateText(PlanState state) {
    switch (state) {
    case PlanState::NotSeen:
        return "not seen";
    case PlanState::Seen:
        return "seen";
    case PlanState::SeenInvalid:
        return "seen, invalid";
    }
    return {};
}

PlanMatcher::PlanMatcher(std::vector<Expectation> expectations)
    : m_expectations(std::move(expectations)), m_tallies(m_expectations.size()) {
    m_table.withWords = false;
    m_compiled.reserve(m_expectations.size());
    for (const Expectation& expectation : m_expectations) {
        // The bytes the message would be sent as: the very encoding `send` writes.
        const std::vector<std::uint8_t> message = BuildMessage(expectation.fields);
        Compiled compiled;
        compiled.key = KeyOf(expectation.fields.command, expectation.given, [&](std::size_t offset) {
                           return std::optional<std::uint8_t>(message[offset]);
                       }).placed;
        compiled.fields = expectation.given;
        compiled.index = static_cast<int>(m_compiled.size());
        if (expectation.Gives(FieldWord::Floors)) {
            compiled.floors = static_cast<int>(m_floors.size());
            m_floors.push_back(expectation.fields.floors);
        }
        m_compiled.push_back(compiled);
    }
    const auto commandOf = [this](const Compiled& c) {
        return m_expectations[static_cast<std::size_t>(c.index)].fields.command;
    };
    std::stable_sort(m_compiled.begin(), m_compiled.end(),
                     [&](const Compiled& a, const Compiled& b) { return commandOf(a) < commandOf(b); });
    for (std::size_t i = 0; i < m_compiled.size(); ++i) {
        auto& range = m_byCommand[static_cast<std::size_t>(commandOf(m_compiled[i]))];
        if (range.second == 0)
            range.first = static_cast<int>(i);
        range.second = static_cast<int>(i) + 1;
    }
}

void PlanMatcher::Reset() {
    std::fill(m_tallies.begin(), m_tallies.end(), ExpectationTally{});
    m_changed.clear();
}

int PlanMatcher::MetCount() const {
    int met = 0;
    for (std::size_t i = 0; i < m_expectations.size(); ++i)
        met += Met(m_expectations[i], m_tallies[i]) ? 1 : 0;
    return met;
}

void PlanMatcher::MatchLine(std::string_view line, std::int64_t where) {
    m_changed.clear();
    modCommon::SplitFields(modCommon::ByteText(line), m_tokens);
    FrameMessages(m_tokens, m_spans);
    for (const MessageSpan& span : m_spans) {
        const auto first = m_tokens.begin() + static_cast<std::ptrdiff_t>(span.first);
        m_message.assign(first, first + static_cast<std::ptrdiff_t>(span.count));
        MatchMessage(line, where);
    }
}

void PlanMatcher::MatchMessage(std::string_view line, std::int64_t where) {
    const std::optional<std::uint8_t> commandByte = TokenByte(m_message, kCommandOffset);
    const int command = commandByte.value_or(0);
    const Key seen =
        KeyOf(command, 0xFF, [&](std::size_t offset) { return TokenByte(m_message, offset); }).missing;
    bool decoded = false;
    std::uint8_t red = 0;
    const auto [first, last] = m_byCommand[commandByte.value_or(0)];
    for (int i = first; i < last; ++i) {
        const Compiled& expected = m_compiled[static_cast<std::size_t>(i)];
        if ((((seen.bytes[0] ^ expected.key.bytes[0]) | seen.mask[0]) & expected.key.mask[0]) != 0 ||
            (((seen.bytes[1] ^ expected.key.bytes[1]) | seen.mask[1]) & expected.key.mask[1]) != 0)
            continue;
        if (expected.floors >= 0) {
            const FloorBits& floors = m_floors[static_cast<std::size_t>(expected.floors)];
            bool same = true;
            for (std::size_t k = 0; k < floors.size() && same; ++k)
                same = TokenByte(m_message, kFloors20.offset + k) == floors[k];
            if (!same)
                continue;
        }
        // Most messages match nothing: the decoder runs only for one that matches.
        if (!decoded) {
            DecodeMessage(m_table, m_message);
            red = RedFields(m_table, command);
            decoded = true;
        }
        Count(expected.index, (red & ~expected.fields) == 0, line, where);
    }
}

void PlanMatcher::Count(int index, bool valid, std::string_view line, std::int64_t where) {
    ExpectationTally& tally = m_tallies[static_cast<std::size_t>(index)];
    int& count = valid ? tally.met : tally.invalid;
    if (count++ == 0) {
        (valid ? tally.firstMet : tally.firstInvalid) = where;
        (valid ? tally.firstMetTime : tally.firstInvalidTime) = SplitCaptureLine(line).time;
    }
    if (std::find(m_changed.begin(), m_changed.end(), index) == m_changed.end())
        m_changed.push_back(index);
}
