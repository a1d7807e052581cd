#include "capture/CaptureFilter.h"

#include <algorithm>

namespace {
char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
} // namespace

void CaptureFilter::Set(std::string_view text, Show show) {
    m_text.assign(text);
    std::transform(m_text.begin(), m_text.end(), m_text.begin(), Lower);
    m_show = show;
    Rebuild();
}

bool CaptureFilter::Matches(std::string_view line, LineMark mark) const {
    switch (m_show) {
    case Show::All:
        break;
    case Show::Invalid:
        if (!mark.Known() || mark.Kind() != LineKind::Invalid)
            return false;
        break;
    case Show::Command10:
    case Show::Command11:
    case Show::Command20:
    case Show::OtherCommand: {
        const int wanted = static_cast<int>(m_show) - static_cast<int>(Show::Command10);
        if (!mark.Known() || static_cast<int>(mark.Command()) != wanted)
            return false;
        break;
    }
    }
    if (m_text.empty())
        return true;
    const auto found = std::search(line.begin(), line.end(), m_text.begin(), m_text.end(),
                                   [](char a, char b) { return Lower(a) == b; });
    return found != line.end();
}

void CaptureFilter::Rebuild() {
    m_shown.clear();
    m_awaitsMarks = NeedsMarks() && m_rows.MarksPending();
    if (!Active())
        return;
    const int count = m_rows.Count();
    const std::int64_t oldest = m_rows.Position(count - 1);
    for (int row = count - 1; row >= 0; --row)
        if (Matches(m_rows.Line(row), m_rows.Mark(row)))
            m_shown.push_back(oldest + (count - 1 - row));
}

void CaptureFilter::Arrived(int first, int last) {
    if (!Active())
        return;
    for (int row = last; row >= first; --row)
        if (Matches(m_rows.Line(row), m_rows.Mark(row)))
            m_shown.push_back(m_rows.Position(row));
}

void CaptureFilter::Trimmed() {
    while (!m_shown.empty() && m_shown.front() < m_rows.Trimmed())
        m_shown.pop_front();
}

bool CaptureFilter::CatchUpWithMarks() {
    if (!m_awaitsMarks || m_rows.MarksPending())
        return false;
    Rebuild();
    return true;
}

int CaptureFilter::ShownCount() const {
    return Active() ? static_cast<int>(m_shown.size()) : m_rows.Count();
}

int CaptureFilter::Row(int viewRow) const {
    if (!Active())
        return viewRow;
    return m_rows.RowAtPosition(m_shown[m_shown.size() - 1 - static_cast<std::size_t>(viewRow)]);
}

int CaptureFilter::ViewRow(int row) const {
    if (!Active() || row < 0)
        return row;
    const std::int64_t position = m_rows.Position(row);
    const auto found = std::lower_bound(m_shown.begin(), m_shown.end(), position);
    if (found == m_shown.end() || *found != position)
        return -1;
    return static_cast<int>(m_shown.end() - found) - 1;
}

int CaptureFilter::NextInvalid(int row, int step) const {
    const int count = ShownCount();
    const int from = ViewRow(row);
    for (int viewRow = (from < 0 ? (step > 0 ? -1 : count) : from) + step; viewRow >= 0 && viewRow < count;
         viewRow += step) {
        const LineMark mark = m_rows.Mark(Row(viewRow));
        if (mark.Known() && mark.Kind() == LineKind::Invalid)
            return Row(viewRow);
    }
    return -1;
}
