#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// What the readers of capture files (decode, send --replay, the window's Load) refuse before they hold
// more than a capture file can need: an endless line, and text in an encoding no capture file is in.

// No capture line comes near this length (a line holds at most 256 bytes, under 800 characters with its
// date and time; an edited file may join a few): a longer one means the input is not a capture file, and
// reading stops there instead of holding an endless line.
inline constexpr std::size_t kLongestInputLine = std::size_t{4} << 20;

// "line N is longer than 4 MB (4194304 bytes); not a capture file"
std::string LineTooLongText(std::size_t number);

// Why the start of a file shows it is UTF-16 text (a byte order mark, or NUL bytes in its first line,
// which no capture line holds), such as "it is UTF-16 text (byte order mark FF FE); save it as UTF-8 or
// ASCII"; empty when it does not.
std::string EncodingProblem(std::string_view firstLine);

// Follows the lengths of the lines of a text given a piece at a time (ended at CR LF, a lone CR or a
// lone LF, as capture files are), so that a reader can stop at the first line that grows too long.
class LineLengthCheck {
public:
    // False once the line being read is longer than kLongestInputLine.
    bool Add(std::string_view bytes);
    // The line being read, from 1.
    std::size_t LineNumber() const { return m_number; }

private:
    std::size_t m_number = 1;
    std::size_t m_length = 0;
    bool m_afterCr = false;
};
