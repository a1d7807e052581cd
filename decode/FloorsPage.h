#pragma once

#include "decode/DecodeTable.h"

#include <array>
#include <string>
#include <string_view>

// The accessible-floors field of a 0x20 message, as the floors window keeps it.
struct FloorData {
    std::array<std::string, MessageFormat::kFloorBytes>
        FloorHex;       // entry r: the text of floor byte r + 1, as written in the line
    int FloorCount = 0; // leading entries that belong to the line last handed over
};

// Takes fields 9 to 72 of a byte text; entries beyond the new count keep their old texts.
void SetFloorData(FloorData& data, std::string_view byteText);
// The same from a message's tokens.
void SetFloorData(FloorData& data, const MessageTokens& fields);

inline constexpr int kFloorsPageRows = 8;
inline constexpr int kFloorsTopMax =
    MessageFormat::kFloorBytes - kFloorsPageRows; // last page: bytes 57 to 64

// One page of the floors window, top being the byte index of its first row (0 to 56).
// lblNo and lblAccesibleFloor index i = 4 * row + column, column 0 the right-most (lowest floor).
struct FloorsPage {
    std::array<std::string, 8> lblIndex;
    std::array<Label, 32> lblNo;
    std::array<Label, 32> lblAccesibleFloor;
};

FloorsPage ShowFloors(const FloorData& data, int top);

// "(1st)", "(2nd)", "(11th)", "(111st)": the label of floor n.
std::string FloorName(int n);
