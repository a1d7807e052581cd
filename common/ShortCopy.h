#pragma once

#include <cstddef>
#include <cstring>

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
