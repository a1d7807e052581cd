#pragma once

#include "decode/MessageFormat.h"

#include <array>
#include <cstdint>
#include <vector>

using FloorBits = std::array<std::uint8_t, MessageFormat::kFloorBytes>;

// Messages of the access control system built from their fields, so that a test, a demonstration or a
// plan can send a realistic message without typing 80 bytes of hex. The defaults make a valid message of
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
