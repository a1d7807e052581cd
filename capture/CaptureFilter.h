#pragma once

#include "capture/CaptureRows.h"
#include "decode/LineMark.h"

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

// Which lines of the capture list are shown, and where each stands among them. The list grows at the
// top and loses lines at the bottom, so the shown lines are kept as positions counted from the oldest
// line ever in the list: an arrival appends one position or none, a trim drops at most the first, and
// neither touches the rest. Only a change of the filter (or a new list) looks at every line again.
// View rows count the shown lines from the top; rows are the list's own.
class CaptureFilter {
public:
    enum class Show { All, Invalid, Command10, Command11, Command20, OtherCommand };

    explicit CaptureFilter(const CaptureRows& rows) : m_rows(rows) {}

    // Text to find, any case (empty finds every line), and the kind of line to show; looks at every line.
    void Set(std::string_view text, Show show);
    bool Active() const { return !m_text.empty() || m_show != Show::All; }
    bool Matches(std::string_view line, LineMark mark) const;

    // The list was replaced: looks at every line again.
    void Rebuild();
    // Rows first to last arrived on top.
    void Arrived(int first, int last);
    // Lines were dropped at the bottom.
    void Trimmed();
    // A filter on marks shows no line whose mark is pending; once the list's marks are all known it
    // looks at the lines again. True when it did.
    bool CatchUpWithMarks();

    int ShownCount() const;
    // The row of the viewRow-th shown line from the top, and the other way round (-1: not shown).
    int Row(int viewRow) const;
    int ViewRow(int row) const;
    // The nearest shown row below (step 1) or above (step -1) row (-1: from the end the step leaves)
    // whose mark is invalid; -1 when there is none.
    int NextInvalid(int row, int step) const;

private:
    bool NeedsMarks() const { return m_show != Show::All; }

    const CaptureRows& m_rows;
    std::string m_text; // lower case
    Show m_show = Show::All;
    bool m_awaitsMarks = false;
    std::deque<std::int64_t> m_shown; // positions of the shown lines, oldest first
};
