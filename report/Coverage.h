#pragma once

#include "decode/DecodeTable.h"
#include "decode/MessageFormat.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

// The distinct values one field took and how often. A field of up to four bytes is kept as the bytes
// themselves; past kMostValues distinct values the rest are only counted, so memory stays bounded
// whatever the input. Values of ASCII digits, as the fields mostly hold, are counted in a table by
// their number: most messages then cost an increment.
class ValueCounts {
public:
    static constexpr std::size_t kMostValues = 1000;

    explicit ValueCounts(std::size_t width);

    void Add(std::uint32_t key) {
        if (const std::size_t number = DigitsNumber(key); number < m_digits.size()) {
            ++m_digits[number];
            return;
        }
        if (const auto found = m_counts.find(key); found != m_counts.end())
            ++found->second;
        else if (m_counts.size() < kMostValues)
            m_counts.emplace(key, 1);
        else
            ++m_others;
    }
    // The values as text (the field's characters, "0xNN" for a byte that is not printable), most
    // frequent first, then by value.
    struct Entry {
        std::string text;
        std::uint64_t count;
    };
    std::vector<Entry> Sorted() const;
    std::uint64_t others() const { return m_others; }
    bool empty() const;

private:
    // The number the key's bytes spell when each is an ASCII digit; past the table otherwise.
    std::size_t DigitsNumber(std::uint32_t key) const {
        std::size_t number = 0;
        for (std::size_t i = m_width; i-- > 0;) {
            const auto digit = static_cast<std::uint8_t>(key >> (8 * i)) - std::uint32_t{'0'};
            if (digit > 9)
                return m_digits.size();
            number = number * 10 + digit;
        }
        return number;
    }
    std::uint32_t DigitsKey(std::size_t number) const;

    std::size_t m_width;
    std::vector<std::uint64_t> m_digits; // by number, 10^width of them
    std::unordered_map<std::uint32_t, std::uint64_t> m_counts;
    std::uint64_t m_others = 0; // values past the first kMostValues distinct ones
};

// The key of a field of up to four bytes: its bytes, first in the highest place.
std::uint32_t FieldKey(const MessageTokens& tokens, std::size_t offset, std::size_t width);

// What the messages covered: how many of each command, the values their fields took, and the range of
// the sequence numbers.
class Coverage {
public:
    enum Command : std::size_t { k10, k11, k20, kOther, kNone, kCommands };
    static std::string_view CommandText(std::size_t command); // "0x10", ..., "other", "no command byte"
    static std::size_t CommandOf(const MessageTokens& tokens);

    void Add(const MessageTokens& tokens);

    std::uint64_t messages(std::size_t command) const { return m_messages[command]; }

    ValueCounts gates10{MessageFormat::kGate10.width}, floors10{MessageFormat::kDestFloor10.width};
    ValueCounts doors10{MessageFormat::kDoor10.width}, attributions10{MessageFormat::kAttribution10.width};
    ValueCounts gates20{MessageFormat::kGate20.width}, attributions20{MessageFormat::kAttribution20.width};
    // 0x20: how many messages marked each floor (1 to 255) accessible on the front (rear) side; both
    // sides count for each.
    std::array<std::uint64_t, 256> FrontFloors() const { return Floors(MessageFormat::kFloorFront); }
    std::array<std::uint64_t, 256> RearFloors() const { return Floors(MessageFormat::kFloorRear); }

    struct SeqRange {
        std::uint64_t count = 0;
        std::uint32_t lowest = 0;
        std::uint32_t highest = 0;
        void Add(std::uint32_t value);
    };
    SeqRange seq10, seq20;

    // Every field kept, in the order the record lists them: visit(caption, key, field), where key is the
    // field's JSON name and field a ValueCounts, a SeqRange or the floors' counts.
    template <typename Visit> void VisitFields(Visit&& visit) const {
        visit("0x10 gate number", "gates_0x10", gates10);
        visit("0x10 destination floor", "floors_0x10", floors10);
        visit("0x10 door opening", "doors_0x10", doors10);
        visit("0x10 attribution", "attributions_0x10", attributions10);
        visit("0x10 sequence numbers", "seq_0x10", seq10);
        visit("0x20 gate number", "gates_0x20", gates20);
        visit("0x20 attribution", "attributions_0x20", attributions20);
        visit("0x20 floors accessible, front side", "front_floors_0x20", FrontFloors());
        visit("0x20 floors accessible, rear side", "rear_floors_0x20", RearFloors());
        visit("0x20 sequence numbers", "seq_0x20", seq20);
    }

private:
    void AddFloors(const MessageTokens& tokens);
    std::array<std::uint64_t, 256> Floors(std::uint8_t side) const;

    std::array<std::uint64_t, kCommands> m_messages{};
    // How often each floor byte held each value: a count a byte, the floors worked out when asked.
    std::array<std::array<std::uint64_t, 256>, MessageFormat::kFloorBytes> m_floorBytes{};
};

// Floors with a count, as runs of consecutive floors with the same count: "1-12: 40, 15: 3".
struct FloorRun {
    int first;
    int last;
    std::uint64_t count;
};
std::vector<FloorRun> FloorRuns(const std::array<std::uint64_t, 256>& counts);
