#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// A JSON string literal, quotes included. Capture files can be edited by hand, so the text may hold
// control characters or bytes that are not UTF-8; those become escapes or U+FFFD and the output stays
// valid JSON whatever the input.
void AppendJsonString(std::string& out, std::string_view text);

// The most a string literal of text takes: every byte escaped as \u00XX, and the quotes.
constexpr std::size_t JsonStringRoom(std::size_t size) {
    return 6 * size + 2;
}

// The same literal written at out, which has JsonStringRoom(text.size()) bytes of room; returns its end.
char* PutJsonString(char* out, std::string_view text);
