#pragma once

#include "decode/MessageBuilder.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

// The words a user gives a message's fields in, as `send --command` and test plans take them.

// Numbers are decimal, or hexadecimal after "0x"; nullopt when the text is not a number in [min, max].
std::optional<int> ParseNumber(std::string_view text, int min, int max);
// "10", "0x10", "11", "0x11", "20" or "0x20".
std::optional<int> ParseCommand(std::string_view text);
// "1", "2", "3" or "front", "rear", "both"; any other single character is taken as it stands.
std::optional<char> ParseDoor(std::string_view text);
// "general", "handicapped", "vip", or a single character.
std::optional<char> ParseAttribution(std::string_view text);
// Floors and ranges with an optional side, "1-10,12:front,20-22:rear": floors 1 to 255, each listed
// floor accessible on the side given (both sides when none is); floors not listed are not accessible.
std::optional<FloorBits> ParseFloorList(std::string_view text);

// The fields a user can set, each named by its option ("--gate 3").
enum class FieldWord : std::uint8_t { Gate, DestFloor, Door, Attribution, Sequence, Floors };
inline constexpr std::size_t kFieldWordCount = 6;
inline constexpr std::array<std::string_view, kFieldWordCount> kFieldWordNames = {
    "gate", "dest-floor", "door", "attr", "seq", "floors"};

constexpr std::string_view FieldWordName(FieldWord word) {
    return kFieldWordNames[static_cast<std::size_t>(word)];
}
std::optional<FieldWord> FindFieldWord(std::string_view name);

// Whether a message of the command has a place for the field.
bool CommandHolds(int command, FieldWord word);

// Sets the field from its text; false, leaving fields as they were, when the text is not a value the
// field can carry.
bool SetField(MessageFields& fields, FieldWord word, std::string_view text);
