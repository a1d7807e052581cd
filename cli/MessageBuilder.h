#pragma once

#include "decode/MessageFormat.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

using FloorBits = std::array<std::uint8_t, MessageFormat::kFloorBytes>;

// Messages of the access control system built from their fields, so that a test or a demonstration
// can send a realistic message without typing 80 bytes of hex. The defaults make a valid message of
// each command; any field can be set to a value the tool should flag, as long as it fits the encoding.
struct MessageFields {
    int command = MessageFormat::kCommand10;        // 0x10, 0x11 or 0x20
    int gate = 1;                                   // written as four ASCII digits (0 to 9999)
    int destFloor = 1;                              // 0x10 only: three ASCII digits (0 to 999)
    char door = MessageFormat::kDoorFront;          // 0x10 only: one character
    char attribution = MessageFormat::kAttrGeneral; // one character
    int sequence = 0;                               // one byte
    FloorBits floors{};                             // 0x20 only: the accessible-floors field
};

// The whole message, header included: 16, 8 or 80 bytes.
std::vector<std::uint8_t> BuildMessage(const MessageFields& fields);

// Texts of the command line. Numbers are decimal, or hexadecimal after "0x"; nullopt when the text is
// not a number in [min, max].
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
