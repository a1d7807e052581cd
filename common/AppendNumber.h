#pragma once

#include <charconv>
#include <cstdint>
#include <string>

// Decimal digits appended without a temporary string or a locale: the hot path of the decode table's
// words and of the reports.
inline void AppendNumber(std::string& out, std::uint64_t value) {
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, result.ptr);
}
