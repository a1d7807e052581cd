#pragma once

#include <string>
#include <string_view>

// A JSON string literal, quotes included. Capture files can be edited by hand, so the text may hold
// control characters or bytes that are not UTF-8; those become escapes or U+FFFD and the output stays
// valid JSON whatever the input.
void AppendJsonString(std::string& out, std::string_view text);
