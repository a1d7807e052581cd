#include "capture/LineSplitter.h"

#include <algorithm>

LineSplitter::LineSplitter(std::string_view text)
    : m_text(text), m_nextCr(Find('\r')), m_nextLf(Find('\n')) {}

std::size_t LineSplitter::Find(char c) const {
    return std::min(m_text.find(c, m_pos), m_text.size());
}

bool LineSplitter::Next(std::string_view& line, bool complete) {
    const std::size_t size = m_text.size();
    if (m_pos >= size)
        return false;
    if (m_nextCr < m_pos)
        m_nextCr = Find('\r');
    if (m_nextLf < m_pos)
        m_nextLf = Find('\n');
    const std::size_t end = std::min(m_nextCr, m_nextLf);
    if (end == size && !complete)
        return false;
    line = m_text.substr(m_pos, end - m_pos);
    m_endedAtLastCr = end + 1 == size && end == m_nextCr;
    const bool crLf = end == m_nextCr && m_nextLf == end + 1;
    m_pos = std::min(size, end + (crLf ? 2 : 1));
    return true;
}
