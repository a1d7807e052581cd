#pragma once

#include "decode/LineMark.h"

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

// Which lines of the capture list are shown. The list grows at the top and loses lines at the bottom,
// so the shown lines are kept as positions counted from the oldest line ever in the list: an arrival
// appends one position or none, a trim drops at most the first, and neither touches the rest.
class CaptureFilter {
public:
    enum class Show { All, Invalid, Command10, Command11, Command20, OtherCommand };

    // Text to find, any case; empty finds every line.
    void Set(std::string_view text, Show show);
    bool Active() const { return !m_text.empty() || m_show != Show::All; }
    // The filter needs every line's mark to decide.
    bool NeedsMarks() const { return m_show != Show::All; }
    bool Matches(std::string_view line, LineMark mark) const;

    std::deque<std::int64_t> shown; // positions of the shown lines, oldest first

private:
    std::string m_text; // lower case
    Show m_show = Show::All;
};
