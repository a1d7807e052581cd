#include "report/Coverage.h"

#include "common/modCommon.h"
#include "decode/MessageFormat.h"

#include <algorithm>

using namespace MessageFormat;

std::uint32_t FieldKey(const MessageTokens& tokens, std::size_t offset, std::size_t width) {
    std::uint32_t key = 0;
    for (std::size_t i = 0; i < width; ++i)
        key = key << 8 | modCommon::HexLowByte(tokens[offset + i]);
    return key;
}

std::vector<ValueCounts::Entry> ValueCounts::Sorted(std::size_t width) const {
    std::vector<std::pair<std::uint32_t, std::uint64_t>> pairs(m_counts.begin(), m_counts.end());
    std::sort(pairs.begin(), pairs.end(), [](const auto& a, const auto& b) {
        return a.second != b.second ? a.second > b.second : a.first < b.first;
    });
    std::vector<Entry> entries;
    entries.reserve(pairs.size());
    static constexpr char kDigits[] = "0123456789ABCDEF";
    for (const auto& [key, count] : pairs) {
        std::string text;
        for (std::size_t i = width; i-- > 0;) {
            const auto byte = static_cast<std::uint8_t>(key >> (8 * i));
            if (byte >= 0x20 && byte < 0x7F) {
                text += static_cast<char>(byte);
            } else {
                text += text.empty() ? "0x" : " 0x";
                text += kDigits[byte >> 4];
                text += kDigits[byte & 0x0F];
            }
        }
        entries.push_back({std::move(text), count});
    }
    return entries;
}

std::string_view Coverage::CommandText(std::size_t command) {
    static constexpr std::string_view kTexts[] = {"0x10", "0x11", "0x20", "other", "no command byte"};
    return kTexts[command];
}

std::size_t Coverage::CommandOf(const MessageTokens& tokens) {
    if (tokens.size() <= kCommandOffset)
        return kNone;
    switch (modCommon::HexValue(tokens[kCommandOffset])) {
    case kCommand10:
        return k10;
    case kCommand11:
        return k11;
    case kCommand20:
        return k20;
    default:
        return kOther;
    }
}

void Coverage::SeqRange::Add(std::uint32_t value) {
    lowest = count == 0 ? value : std::min(lowest, value);
    highest = count == 0 ? value : std::max(highest, value);
    ++count;
}

void Coverage::Add(const MessageTokens& tokens) {
    const std::size_t command = CommandOf(tokens);
    ++m_messages[command];
    const auto has = [&tokens](Field field) { return tokens.size() >= field.offset + field.width; };
    const auto key = [&tokens](Field field) { return FieldKey(tokens, field.offset, field.width); };
    if (command == k10) {
        if (has(kGate10))
            gates10.Add(key(kGate10));
        if (has(kDestFloor10))
            floors10.Add(key(kDestFloor10));
        if (has(kDoor10))
            doors10.Add(key(kDoor10));
        if (has(kAttribution10))
            attributions10.Add(key(kAttribution10));
        if (has(kSequence10))
            seq10.Add(key(kSequence10));
    } else if (command == k20) {
        if (has(kGate20))
            gates20.Add(key(kGate20));
        if (has(kFloors20))
            AddFloors(tokens);
        if (has(kAttribution20))
            attributions20.Add(key(kAttribution20));
        if (has(kSequence20))
            seq20.Add(key(kSequence20));
    }
}

void Coverage::AddFloors(const MessageTokens& tokens) {
    for (int r = 0; r < kFloorBytes; ++r) {
        const std::uint8_t byte =
            modCommon::HexLowByte(tokens[kFloors20.offset + static_cast<std::size_t>(r)]);
        if (byte == 0)
            continue;
        for (int k = 0; k < kFloorsPerByte; ++k) {
            const int floor = r * kFloorsPerByte + k + 1;
            const auto bits = static_cast<std::uint8_t>(byte >> (2 * k) & 0b11);
            if (floor > kLastFloor || bits == 0)
                continue;
            frontFloors[static_cast<std::size_t>(floor)] += (bits & kFloorFront) != 0 ? 1 : 0;
            rearFloors[static_cast<std::size_t>(floor)] += (bits & kFloorRear) != 0 ? 1 : 0;
        }
    }
}

std::vector<FloorRun> FloorRuns(const std::array<std::uint64_t, 256>& counts) {
    std::vector<FloorRun> runs;
    for (int floor = 1; floor <= kLastFloor; ++floor) {
        const std::uint64_t count = counts[static_cast<std::size_t>(floor)];
        if (count == 0)
            continue;
        if (!runs.empty() && runs.back().last == floor - 1 && runs.back().count == count)
            runs.back().last = floor;
        else
            runs.push_back({floor, floor, count});
    }
    return runs;
}
