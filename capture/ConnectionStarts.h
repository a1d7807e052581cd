#pragma once

#include <algorithm>
#include <cstdint>
#include <deque>

// Where the connections of a recording begin, as line positions counted from the oldest line the list
// held since it was last replaced (CaptureRows::Position). Lines grow at the top and are trimmed at the
// bottom, so positions only ever join at the high end and leave at the low end: an arrival adds at most
// one, a trim drops at most one, and a list of loaded lines holds none at all.
class ConnectionStarts {
public:
    // position is above every position held.
    void Add(std::int64_t position) { m_positions.push_back(position); }
    // The lines below position have left the list.
    void DropBelow(std::int64_t position) {
        while (!m_positions.empty() && m_positions.front() < position)
            m_positions.pop_front();
    }
    bool Contains(std::int64_t position) const {
        return std::binary_search(m_positions.begin(), m_positions.end(), position);
    }
    const std::deque<std::int64_t>& Positions() const { return m_positions; }
    void clear() { m_positions.clear(); }

private:
    std::deque<std::int64_t> m_positions;
};
