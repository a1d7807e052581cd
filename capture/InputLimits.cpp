#include "capture/InputLimits.h"

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

bool LineLengthCheck::Add(std::string_view bytes) {
    for (const char c : bytes) {
        if (c == '\r' || (c == '\n' && !m_afterCr)) {
            ++m_number;
            m_length = 0;
        } else if (c != '\n' && ++m_length > kLongestInputLine) {
            return false;
        }
        m_afterCr = c == '\r';
    }
    return true;
}
