#pragma once

#include "decode/DecodeTable.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// What the window cannot show: how a capture line's bytes divide into messages. A TCP read is not a
// message, so a line can hold part of one, one, or several; each message says its own size in its
// first byte (the data length, four header bytes not counted).
struct MessageSpan {
    std::size_t first = 0;    // token index of the message's first byte
    std::size_t count = 0;    // bytes of it present in the line
    std::uint64_t length = 0; // bytes its length byte announces, header included

    std::uint64_t shortBy() const { return length - count; }
};

// The messages of a line in order, each starting where the previous one ends. Only the last one can be
// short. A line without bytes has none.
std::vector<MessageSpan> FrameMessages(const MessageTokens& tokens);
