#include "report/MarkupText.h"

#include "common/TerminalText.h"

void AppendMarkup(std::string& out, std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            if (IsPlainAscii(c)) {
                out += c;
            } else if (const std::size_t length = Utf8SequenceLength(text, i); length > 0) {
                const auto next = static_cast<unsigned char>(text[i + 1]);
                // U+0080 to U+009F are controls too.
                out += static_cast<unsigned char>(c) == 0xC2 && next < 0xA0 ? std::string_view("?")
                                                                            : text.substr(i, length);
                i += length;
                continue;
            } else {
                out += static_cast<unsigned char>(c) < 0x80 ? "?" : "\xEF\xBF\xBD";
            }
        }
        ++i;
    }
}

std::string Markup(std::string_view text) {
    std::string out;
    AppendMarkup(out, text);
    return out;
}

void AppendAttribute(std::string& out, std::string_view name, std::string_view value) {
    out += ' ';
    out += name;
    out += "=\"";
    AppendMarkup(out, value);
    out += '"';
}
