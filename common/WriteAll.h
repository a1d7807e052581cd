#pragma once

#include <string_view>

// Writes the whole text to a file descriptor, going on after a short write or an interrupted one.
// Returns 0, or the errno of the write that failed (EIO when a write took nothing).
int WriteAll(int fd, std::string_view text);
