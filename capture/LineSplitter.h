#pragma once

#include <cstddef>
#include <string_view>

// Cuts a text into lines at CR LF, a lone CR or a lone LF, the way capture files are read: the files the
// tool writes end every line in CR LF, and a hand-edited file may use any of the three. The next CR and
// the next LF are each looked up only once the reader has passed them, so a text that uses just one of
// the two ends (or neither) is read in one pass instead of being rescanned for the other at every line.
class LineSplitter {
public:
    explicit LineSplitter(std::string_view text);

    // The next line without its line end. A last line without a line end is returned only when the text
    // is complete; otherwise Next returns false and Position() is where that unfinished line starts. A
    // line end at the very end of a complete text does not start another line.
    bool Next(std::string_view& line, bool complete = true);
    std::size_t Position() const { return m_pos; }
    // The line just returned ended in a CR that is the text's last byte: an LF that comes next in a
    // following block belongs to it.
    bool EndedAtLastCr() const { return m_endedAtLastCr; }

private:
    std::size_t Find(char c) const;

    std::string_view m_text;
    std::size_t m_pos = 0;
    std::size_t m_nextCr;
    std::size_t m_nextLf;
    bool m_endedAtLastCr = false;
};
