#include "report/JsonText.h"

#include "common/TerminalText.h"
#include "common/modCommon.h"
#include "common/AppendNumber.h"

#include <array>
#include <cstring>

namespace {

// Bytes that stand for themselves inside a JSON string: printable ASCII but the quote and the backslash.
constexpr std::array<bool, 256> kPlain = [] {
    std::array<bool, 256> plain{};
    for (int c = 0x20; c < 0x7F; ++c)
        plain[static_cast<std::size_t>(c)] = c != '"' && c != '\\';
    return plain;
}();

bool Plain(unsigned char c) {
    return kPlain[c];
}

char* PutEscape(char* out, unsigned char code) {
    std::memcpy(out, "\\u00", 4);
    std::memcpy(out + 4, modCommon::ByteToHex(code).data(), 2);
    return out + 6;
}

} // namespace

char* PutJsonString(char* out, std::string_view text) {
    *out++ = '"';
    for (std::size_t i = 0; i < text.size();) {
        // Runs of plain ASCII, nearly all of every report, go in one piece.
        std::size_t run = i;
        while (run < text.size() && Plain(static_cast<unsigned char>(text[run])))
            ++run;
        if (run > i) {
            std::memcpy(out, text.data() + i, run - i);
            out += run - i;
            i = run;
        }
        if (i == text.size())
            break;
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            *out++ = '\\';
            *out++ = static_cast<char>(c);
            ++i;
        } else if (c < 0x20 || c == 0x7F) {
            out = PutEscape(out, c);
            ++i;
        } else if (const std::size_t length = Utf8SequenceLength(text, i); length > 0) {
            // U+0080 to U+009F are C1 controls: valid JSON as they are, but not on a terminal.
            const auto next = static_cast<unsigned char>(text[i + 1]);
            if (length == 2 && c == 0xC2 && next < 0xA0)
                out = PutEscape(out, next);
            else
                out = static_cast<char*>(std::memcpy(out, text.data() + i, length)) + length;
            i += length;
        } else {
            std::memcpy(out, "\\ufffd", 6);
            out += 6;
            ++i;
        }
    }
    *out++ = '"';
    return out;
}

void AppendJsonString(std::string& out, std::string_view text) {
    const std::size_t start = out.size();
    out.resize(start + JsonStringRoom(text.size()));
    char* end = PutJsonString(out.data() + start, text);
    out.resize(static_cast<std::size_t>(end - out.data()));
}

void AppendJsonKey(std::string& out, std::string_view key) {
    if (!out.empty() && out.back() != '{' && out.back() != '[')
        out += ',';
    out += '"';
    out += key;
    out += "\":";
}

void AppendJsonText(std::string& out, std::string_view key, std::string_view text) {
    AppendJsonKey(out, key);
    AppendJsonString(out, text);
}

void AppendJsonNumber(std::string& out, std::string_view key, std::uint64_t value) {
    AppendJsonKey(out, key);
    AppendNumber(out, value);
}

void AppendJsonBool(std::string& out, std::string_view key, bool value) {
    AppendJsonKey(out, key);
    out += value ? "true" : "false";
}
