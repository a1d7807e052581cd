#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

// A message typed as hexadecimal text: "04 41 00 00 11 00 00 00", "0441000011000000", or with commas,
// colons or dashes between the bytes. A run of digits between separators is one byte when it is one
// digit ("4 41 0 0") and pairs of digits otherwise. Anything else, a stray letter or an odd run such as
// "041", is refused: a typing error must not turn into a different message.
std::optional<std::vector<std::uint8_t>> ParseHexBytes(std::string_view text);

// The byte text of a capture line as the tool writes it, strictly: two hex digits a byte, one blank
// between bytes, nothing else ("04 41 00"); an empty text is no bytes. Anything else is refused, since a
// replay must send the bytes that were recorded, not a guess at them.
std::optional<std::vector<std::uint8_t>> ParseByteText(std::string_view text);
