#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

// How the bytes of a capture line divide into messages. A TCP read is not a message, so a line can hold
// part of one, one, or several; each message gives its own size in its first byte (the data length,
// the four header bytes not counted).
struct MessageSpan {
    std::size_t first = 0;    // index of the message's first byte (token) in the line
    std::size_t count = 0;    // bytes of it present in the line
    std::uint64_t length = 0; // bytes its length byte announces, header included

    std::uint64_t shortBy() const { return length - count; }
};

// The messages of a line's tokens in order, each starting where the previous one ends; only the last
// one can be short, and a line without bytes has none.
void FrameMessages(std::span<const std::string_view> tokens, std::vector<MessageSpan>& spans);
