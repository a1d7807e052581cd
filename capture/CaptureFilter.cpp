#include "app/CaptureFilter.h"

#include <algorithm>
#include <functional>

namespace {
char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
} // namespace

void CaptureFilter::Set(std::string_view text, Show show) {
    m_text.assign(text);
    std::transform(m_text.begin(), m_text.end(), m_text.begin(), Lower);
    m_show = show;
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
