#pragma once

#include "decode/DecodeTable.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

// The distinct values one field took and how often. A field of up to four bytes is kept as the bytes
// themselves; past kMostValues distinct values the rest are only counted, so memory stays bounded
// whatever the input.
class ValueCounts {
public:
    static constexpr std::size_t kMostValues = 1000;

    void Add(std::uint32_t key) {
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
    std::vector<Entry> Sorted(std::size_t width) const;
    std::uint64_t others() const { return m_others; }
    bool empty() const { return m_counts.empty() && m_others == 0; }

private:
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

    ValueCounts gates10, floors10, doors10, attributions10;
    ValueCounts gates20, attributions20;
    // 0x20: how many messages marked each floor (1 to 255) accessible on each side; both sides count
    // for each.
    std::array<std::uint64_t, 256> frontFloors{};
    std::array<std::uint64_t, 256> rearFloors{};

    struct SeqRange {
        std::uint64_t count = 0;
        std::uint32_t lowest = 0;
        std::uint32_t highest = 0;
        void Add(std::uint32_t value);
    };
    SeqRange seq10, seq20;

private:
    void AddFloors(const MessageTokens& tokens);
    std::array<std::uint64_t, kCommands> m_messages{};
};

// Floors with a count, as runs of consecutive floors with the same count: "1-12: 40, 15: 3".
struct FloorRun {
    int first;
    int last;
    std::uint64_t count;
};
std::vector<FloorRun> FloorRuns(const std::array<std::uint64_t, 256>& counts);
