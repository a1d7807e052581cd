#pragma once

#include "decode/DecodeTable.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Checks the decode table leaves out by design: it shows what a line's tokens say, as the selection has
// always decoded them, and colours fields by their own rules only. The commissioning record counts these
// as rules of its own, and the summary under the table mentions them where they apply.
namespace LeftOutChecks {

// The data length a listed command needs (12 for 0x10, 4 for 0x11, 76 for 0x20); empty for any other
// command.
std::optional<std::uint32_t> LengthFor(std::uint32_t command);

// Whether the message's data length matches its command. Empty when the message has no command byte or
// an unlisted command (the table's own rules judge those).
std::optional<bool> LengthFitsCommand(const MessageTokens& tokens);

// The index of the first token that is not exactly two hexadecimal digits (an edited file's "zz" reads
// as 00 and "123" as 0x123); empty when every token is.
std::optional<std::size_t> FirstOddToken(const MessageTokens& tokens);

// Whether a capture line has its bracketed date and time; without them its bytes are read from its
// second character.
bool HasDateAndTime(std::string_view line);

// " (not in the table: ...)" for the summary line: what the table leaves out that this message breaks
// (a data length of one of the three sizes that does not fit the command, a token that is not two hex
// digits); nothing when it breaks none.
void AppendLeftOutWords(std::string& summary, const MessageTokens& tokens);

} // namespace LeftOutChecks
