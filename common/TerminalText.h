#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Text from outside the program (file names, arguments, host names, what a capture line or a packet
// capture holds) on its way to a terminal. A control character there could move the cursor, retitle
// the window or start an escape sequence, so each one is shown as "?": C0 and DEL, and the C1 range
// whether it comes as a raw byte 0x80-0x9F (an 8-bit terminal takes 0x9B as CSI) or as U+0080-U+009F
// in UTF-8. Every other byte is kept, so UTF-8 and Latin-1 names read as they are.

// Length of the well-formed UTF-8 sequence starting at text[i] (no over-long forms, no surrogates), 0
// when none starts there.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t i);

// Whether the byte is printable ASCII, which nearly all text is and which always stands for itself.
inline bool IsPlainAscii(char c) {
    return c >= 0x20 && c < 0x7F;
}

// Writes the text at out, which has room for text.size() bytes (the safe form is never longer);
// returns its end.
char* PutTerminalText(char* out, std::string_view text);
void AppendTerminalText(std::string& out, std::string_view text);
std::string TerminalText(std::string_view text);
