#include "decode/FieldWords.h"

#include <charconv>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace MessageFormat;

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == separator) {
            parts.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

// A field of one character, given as that character or by the name of its meaning.
std::optional<char> NamedCharacter(std::string_view text,
                                   std::initializer_list<std::pair<std::string_view, char>> names) {
    for (const auto& [name, character] : names) {
        if (text == name)
            return character;
    }
    if (text.size() == 1)
        return text[0];
    return std::nullopt;
}

std::optional<std::uint8_t> ParseSide(std::string_view text) {
    if (text == "front")
        return kFloorFront;
    if (text == "rear")
        return kFloorRear;
    if (text == "both")
        return kFloorBoth;
    return std::nullopt;
}

} // namespace

std::optional<int> ParseNumber(std::string_view text, int min, int max) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < min ||
        value > max)
        return std::nullopt;
    return value;
}

std::optional<int> ParseCommand(std::string_view text) {
    // Commands are always named in hexadecimal, so "10" is 0x10 with or without its prefix.
    if (text.starts_with("0x") || text.starts_with("0X"))
        text.remove_prefix(2);
    if (text == "10")
        return kCommand10;
    if (text == "11")
        return kCommand11;
    if (text == "20")
        return kCommand20;
    return std::nullopt;
}

std::optional<char> ParseDoor(std::string_view text) {
    return NamedCharacter(text, {{"front", kDoorFront}, {"rear", kDoorRear}, {"both", kDoorBoth}});
}

std::optional<char> ParseAttribution(std::string_view text) {
    return NamedCharacter(text,
                          {{"general", kAttrGeneral}, {"handicapped", kAttrHandicapped}, {"vip", kAttrVip}});
}

std::optional<FloorBits> ParseFloorList(std::string_view text) {
    FloorBits floors{};
    if (text.empty())
        return floors;
    for (const std::string_view entry : Split(text, ',')) {
        const auto sideParts = Split(entry, ':');
        if (sideParts.size() > 2)
            return std::nullopt;
        std::uint8_t side = kFloorBoth;
        if (sideParts.size() == 2) {
            const auto parsed = ParseSide(sideParts[1]);
            if (!parsed)
                return std::nullopt;
            side = *parsed;
        }
        const auto range = Split(sideParts[0], '-');
        if (range.size() > 2)
            return std::nullopt;
        const auto first = ParseNumber(range.front(), 1, kLastFloor);
        const auto last = ParseNumber(range.back(), 1, kLastFloor);
        if (!first || !last || *first > *last)
            return std::nullopt;
        for (int floor = *first; floor <= *last; ++floor) {
            const int bit = 2 * ((floor - 1) % kFloorsPerByte);
            auto& byte = floors[static_cast<std::size_t>((floor - 1) / kFloorsPerByte)];
            byte = static_cast<std::uint8_t>((byte & ~(0b11 << bit)) | (side << bit));
        }
    }
    return floors;
}

std::optional<FieldWord> FindFieldWord(std::string_view name) {
    for (std::size_t i = 0; i < kFieldWordCount; ++i) {
        if (kFieldWordNames[i] == name)
            return static_cast<FieldWord>(i);
    }
    return std::nullopt;
}

bool CommandHolds(int command, FieldWord word) {
    switch (command) {
    case kCommand10:
        return word != FieldWord::Floors;
    case kCommand20:
        return word != FieldWord::DestFloor && word != FieldWord::Door;
    default:
        return false;
    }
}

bool SetField(MessageFields& fields, FieldWord word, std::string_view text) {
    // The ranges are what the encoding can carry (four and three digits, one byte), wider than what the
    // format allows, so that a message can break a rule on purpose.
    const auto set = [](auto& field, const auto& parsed) {
        if (parsed)
            field = *parsed;
        return parsed.has_value();
    };
    switch (word) {
    case FieldWord::Gate:
        return set(fields.gate, ParseNumber(text, 0, 9999));
    case FieldWord::DestFloor:
        return set(fields.destFloor, ParseNumber(text, 0, 999));
    case FieldWord::Door:
        return set(fields.door, ParseDoor(text));
    case FieldWord::Attribution:
        return set(fields.attribution, ParseAttribution(text));
    case FieldWord::Sequence:
        return set(fields.sequence, ParseNumber(text, 0, 0xFF));
    case FieldWord::Floors:
        return set(fields.floors, ParseFloorList(text));
    }
    return false;
}
