#pragma once

#include "decode/FloorsPage.h"

#include <array>
#include <string_view>

// The accessible-floors field as the floors window shows it, all eight pages at once (tops 0, 8, ...,
// 56), read from the message the window would be handed.
inline constexpr int kFloorsPages = 8;

struct FloorPages {
    std::array<FloorsPage, kFloorsPages> pages;

    // No red value: every floor byte present and floor 256 "00".
    bool valid() const;
};

void ReadFloors(const MessageTokens& tokens, FloorPages& view);
