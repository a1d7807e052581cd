#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

// Copies n bytes that do not overlap. The texts of a report row or a table label are a few bytes to a
// few dozen: fixed-size moves the compiler inlines, overlapping at the end, beat a call to memcpy.
inline void CopyShort(char* to, const char* from, std::size_t n) {
    if (n >= 8) {
        for (std::size_t i = 0; i + 8 < n; i += 8)
            std::memcpy(to + i, from + i, 8);
        std::memcpy(to + n - 8, from + n - 8, 8);
    } else if (n >= 4) {
        std::memcpy(to, from, 4);
        std::memcpy(to + n - 4, from + n - 4, 4);
    } else {
        for (std::size_t i = 0; i < n; ++i)
            to[i] = from[i];
    }
}

template <typename Word> Word LoadWord(const char* p) {
    Word word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// Whether two short texts are equal, compared a word at a time, overlapping at the end, without a call
// to memcmp.
inline bool SameShort(std::string_view a, std::string_view b) {
    const std::size_t n = a.size();
    if (n != b.size())
        return false;
    const char* p = a.data();
    const char* q = b.data();
    if (n >= 8) {
        std::uint64_t differ = LoadWord<std::uint64_t>(p + n - 8) ^ LoadWord<std::uint64_t>(q + n - 8);
        for (std::size_t i = 0; i + 8 < n; i += 8)
            differ |= LoadWord<std::uint64_t>(p + i) ^ LoadWord<std::uint64_t>(q + i);
        return differ == 0;
    }
    if (n >= 4) {
        return ((LoadWord<std::uint32_t>(p) ^ LoadWord<std::uint32_t>(q)) |
                (LoadWord<std::uint32_t>(p + n - 4) ^ LoadWord<std::uint32_t>(q + n - 4))) == 0;
    }
    for (std::size_t i = 0; i < n; ++i) {
        if (p[i] != q[i])
            return false;
    }
    return true;
}
