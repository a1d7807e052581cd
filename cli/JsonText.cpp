#include "cli/JsonText.h"

#include "common/modCommon.h"

#include <array>
#include <cstring>

namespace {

// Length of the well-formed UTF-8 sequence starting at text[i], 0 when it is not one.
std::size_t Utf8Length(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0; // no over-long forms
        if (lead == 0xED)
            high = 0x9F; // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    if (byte(i + 1) < low || byte(i + 1) > high)
        return 0;
    for (std::size_t k = 2; k < length; ++k) {
        if (byte(i + k) < 0x80 || byte(i + k) > 0xBF)
            return 0;
    }
    return length;
}

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
            std::memcpy(out, "\\u00", 4);
            std::memcpy(out + 4, modCommon::ByteToHex(c).data(), 2);
            out += 6;
            ++i;
        } else if (const std::size_t length = Utf8Length(text, i); length > 0) {
            std::memcpy(out, text.data() + i, length);
            out += length;
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
