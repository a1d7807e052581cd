#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Helpers shared by every folder: the byte-to-text form of capture lines and the way a line's
// byte text is taken apart again.
namespace modCommon {

// A byte as exactly two uppercase hexadecimal digits: 0 gives "00", 10 gives "0A", 255 gives "FF".
std::string ByteToHex(std::uint8_t value);

// Appends ByteToHex(value) to out without a temporary string (the receive path's hot loop).
inline void AppendByteToHex(std::string& out, std::uint8_t value) {
    static constexpr char digits[] = "0123456789ABCDEF";
    out.push_back(digits[value >> 4]);
    out.push_back(digits[value & 0x0F]);
}

// The byte text of a capture line: everything from the second character after the line's second "]".
// With fewer than two "]" it is the line from its second character on; a line that ends at (or just
// after) its second "]" has an empty byte text.
std::string_view ByteText(std::string_view line);

// Splits at every single blank. Two blanks in a row give an empty field, a trailing blank gives an
// empty last field, and an empty text gives no field at all.
std::vector<std::string_view> SplitFields(std::string_view text);
// The same into a vector the caller keeps, so a loop over many lines allocates once.
void SplitFields(std::string_view text, std::vector<std::string_view>& fields);

// The value of a token: the number formed by its leading hexadecimal digits (either case), 0 when it
// starts with none. An over-long token saturates at UINT32_MAX instead of overflowing.
std::uint32_t HexValue(std::string_view token);

// The low eight bits of the number formed by the token's leading hexadecimal digits, exact even for an
// over-long token (only its last two leading digits matter).
std::uint8_t HexLowByte(std::string_view token);

} // namespace modCommon
