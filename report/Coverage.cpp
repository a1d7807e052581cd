#include "report/Coverage.h"

#include "common/modCommon.h"
#include "decode/MessageFormat.h"

#include <algorithm>

using namespace MessageFormat;

namespace {

// The value of each hexadecimal digit, -1 for any other character.
constexpr std::array<std::int8_t, 256> kDigitValues = [] {
    std::array<std::int8_t, 256> values{};
    for (int c = 0; c < 256; ++c)
        values[static_cast<std::size_t>(c)] = static_cast<std::int8_t>(c >= '0' && c <= '9'   ? c - '0'
                                                                       : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                                       : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                                                              : -1);
    return values;
}();

// A token's byte as modCommon::HexLowByte reads it, the two digits nearly every token has looked up.
std::uint8_t TokenByte(std::string_view token) {
    if (token.size() == 2) {
        const int high = kDigitValues[static_cast<unsigned char>(token[0])];
        const int low = kDigitValues[static_cast<unsigned char>(token[1])];
        if (high >= 0 && low >= 0)
            return static_cast<std::uint8_t>(high << 4 | low);
    }
    return modCommon::HexLowByte(token);
}

} // namespace

std::uint32_t FieldKey(const MessageTokens& tokens, std::size_t offset, std::size_t width) {
    std::uint32_t key = 0;
    for (std::size_t i = 0; i < width; ++i)
        key = key << 8 | TokenByte(tokens[offset + i]);
    return key;
}

ValueCounts::ValueCounts(std::size_t width) : m_width(width) {
    std::size_t size = 1;
    for (std::size_t i = 0; i < width; ++i)
        size *= 10;
    m_digits.resize(size);
}

std::uint32_t ValueCounts::DigitsKey(std::size_t number) const {
    std::uint32_t key = 0;
    for (std::size_t i = 0; i < m_width; ++i, number /= 10)
        key |= static_cast<std::uint32_t>('0' + number % 10) << (8 * i);
    return key;
}

bool ValueCounts::empty() const {
    return m_counts.empty() && m_others == 0 &&
           std::all_of(m_digits.begin(), m_digits.end(), [](std::uint64_t count) { return count == 0; });
}

std::vector<ValueCounts::Entry> ValueCounts::Sorted() const {
    std::vector<std::pair<std::uint32_t, std::uint64_t>> pairs(m_counts.begin(), m_counts.end());
    for (std::size_t number = 0; number < m_digits.size(); ++number)
        if (m_digits[number] > 0)
            pairs.emplace_back(DigitsKey(number), m_digits[number]);
    std::sort(pairs.begin(), pairs.end(), [](const auto& a, const auto& b) {
        return a.second != b.second ? a.second > b.second : a.first < b.first;
    });
    std::vector<Entry> entries;
    entries.reserve(pairs.size());
    static constexpr char kDigits[] = "0123456789ABCDEF";
    for (const auto& [key, count] : pairs) {
        std::string text;
        for (std::size_t i = m_width; i-- > 0;) {
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
    for (std::size_t r = 0; r < kFloorBytes; ++r)
        ++m_floorBytes[r][TokenByte(tokens[kFloors20.offset + r])];
}

std::array<std::uint64_t, 256> Coverage::Floors(std::uint8_t side) const {
    std::array<std::uint64_t, 256> counts{};
    for (std::size_t r = 0; r < kFloorBytes; ++r) {
        for (std::size_t value = 1; value < 256; ++value) {
            const std::uint64_t messages = m_floorBytes[r][value];
            if (messages == 0)
                continue;
            for (std::size_t k = 0; k < kFloorsPerByte; ++k) {
                const std::size_t floor = r * kFloorsPerByte + k + 1;
                if (floor <= kLastFloor && (value >> (2 * k) & side) != 0)
                    counts[floor] += messages;
            }
        }
    }
    return counts;
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
