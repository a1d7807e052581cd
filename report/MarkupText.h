#pragma once

#include <string>
#include <string_view>

// Text from outside (file names, titles, tokens of an edited file) inside HTML, SVG or XML: the five
// markup characters become entities, control characters (which XML 1.0 forbids even as references)
// become "?", and bytes that are not UTF-8 become U+FFFD, so the file stays well formed whatever the
// input held.
void AppendMarkup(std::string& out, std::string_view text);
std::string Markup(std::string_view text);
// ` name="value"`, the value as above.
void AppendAttribute(std::string& out, std::string_view name, std::string_view value);
