#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// A JSON string literal, quotes included. Capture files can be edited by hand, so the text may hold
// control characters or bytes that are not UTF-8; those become escapes or U+FFFD and the output stays
// valid JSON whatever the input. The C1 controls (U+0080 to U+009F) are escaped too, so that JSON
// printed on a terminal cannot drive it.
void AppendJsonString(std::string& out, std::string_view text);

// The most a string literal of text takes: every byte escaped as \u00XX, and the quotes.
constexpr std::size_t JsonStringRoom(std::size_t size) {
    return 6 * size + 2;
}

// The same literal written at out, which has JsonStringRoom(text.size()) bytes of room; returns its end.
char* PutJsonString(char* out, std::string_view text);

// One member of an object, `"key":value`, with the comma before it unless it is the first: the object
// or array is open when out ends with "{" or "[".
void AppendJsonKey(std::string& out, std::string_view key);
void AppendJsonText(std::string& out, std::string_view key, std::string_view text);
void AppendJsonNumber(std::string& out, std::string_view key, std::uint64_t value);
void AppendJsonBool(std::string& out, std::string_view key, bool value);
