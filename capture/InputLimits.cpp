#include "capture/InputLimits.h"

#include <cstring>

std::string LineTooLongText(std::size_t number) {
    return "line " + std::to_string(number) + " is longer than " + std::to_string(kLongestInputLine >> 20) +
           " MB (" + std::to_string(kLongestInputLine) + " bytes); not a capture file";
}

std::string EncodingProblem(std::string_view firstLine) {
    if (firstLine.starts_with("\xFF\xFE"))
        return "it is UTF-16 text (byte order mark FF FE); save it as UTF-8 or ASCII";
    if (firstLine.starts_with("\xFE\xFF"))
        return "it is UTF-16 text (byte order mark FE FF); save it as UTF-8 or ASCII";
    if (firstLine.find('\0') != std::string_view::npos)
        return "its first line holds NUL bytes (UTF-16 text?); save it as UTF-8 or ASCII";
    return {};
}

// Line by line, not byte by byte: the ends are found with memchr, which keeps the check far cheaper than
// the read it guards.
bool LineLengthCheck::Add(std::string_view bytes) {
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    while (p != end) {
        if (m_afterCr && *p == '\n') { // the LF of a CR LF: the line ended at the CR
            m_afterCr = false;
            ++p;
            continue;
        }
        const auto left = static_cast<std::size_t>(end - p);
        const char* lf = static_cast<const char*>(std::memchr(p, '\n', left));
        const char* lineEnd = lf ? lf : end;
        if (const char* cr =
                static_cast<const char*>(std::memchr(p, '\r', static_cast<std::size_t>(lineEnd - p))))
            lineEnd = cr;
        m_length += static_cast<std::size_t>(lineEnd - p);
        if (m_length > kLongestInputLine)
            return false;
        if (lineEnd == end) { // the line goes on in the next piece
            m_afterCr = false;
            return true;
        }
        ++m_number;
        m_length = 0;
        m_afterCr = *lineEnd == '\r';
        p = lineEnd + 1;
    }
    return true;
}
