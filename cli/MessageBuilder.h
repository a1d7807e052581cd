#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

// Messages of the access control system built from their fields, so that a test or a demonstration
// can send a realistic message without typing 80 bytes of hex. The defaults make a valid message of
// each command; any field can be set to a value the tool should flag, as long as it fits the encoding.
struct MessageFields {
    int command = 0x10;                    // 0x10, 0x11 or 0x20
    int gate = 1;                          // written as four ASCII digits (0 to 9999)
    int destFloor = 1;                     // 0x10 only: three ASCII digits (0 to 999)
    char door = '1';                       // 0x10 only: one character
    char attribution = '0';                // one character
    int sequence = 0;                      // one byte
    std::array<std::uint8_t, 64> floors{}; // 0x20 only: the accessible-floors field
};

inline constexpr int kCommand10 = 0x10;
inline constexpr int kCommand11 = 0x11;
inline constexpr int kCommand20 = 0x20;

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
std::optional<std::array<std::uint8_t, 64>> ParseFloorList(std::string_view text);
