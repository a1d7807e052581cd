#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// What the window cannot show: how a capture line's bytes divide into messages. A TCP read is not a
// message, so a line can hold part of one, one, or several; each message says its own size in its
// first byte (the data length, four header bytes not counted).
struct MessageSpan {
    std::size_t first = 0;    // index of the message's first byte in the line
    std::size_t count = 0;    // bytes of it present in the line
    std::uint64_t length = 0; // bytes its length byte announces, header included
    std::string_view text;    // its part of the byte text

    std::uint64_t shortBy() const { return length - count; }
};

// The messages of a byte text in order, each starting where the previous one ends; only the last one
// can be short, and a text without bytes has none. Bytes are counted as the decoders count tokens.
void FrameMessages(std::string_view byteText, std::vector<MessageSpan>& spans);

// The number of tokens the decoders see in a byte text.
std::size_t CountTokens(std::string_view byteText);
