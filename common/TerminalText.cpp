#include "common/TerminalText.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr char kShown = '?';

bool IsC1Byte(unsigned char c) {
    return c >= 0x80 && c <= 0x9F;
}

constexpr std::size_t kWord = sizeof(std::uint64_t);

// Whether the kWord bytes at p are all printable ASCII. A byte below 0x20 borrows in the subtraction,
// one of 0x7F or above sets its top bit in the word or in the sum; a borrow or carry that spills into
// the next byte only ever follows a byte that is flagged itself.
bool AllPlainAscii(const char* p) {
    std::uint64_t word = 0;
    std::memcpy(&word, p, kWord);
    constexpr std::uint64_t kOnes = 0x0101010101010101;
    return (((word - 0x20 * kOnes) | word | (word + kOnes)) & (0x80 * kOnes)) == 0;
}

} // namespace

std::size_t Utf8SequenceLength(std::string_view text, std::size_t i) {
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

char* PutTerminalText(char* out, std::string_view text) {
    // File names, times and connections are long runs of plain ASCII: eight bytes at a time, and the
    // last few in one word that overlaps the one before. Everything before i went out as it came, so
    // that word lands where its bytes belong.
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i + kWord <= n && AllPlainAscii(text.data() + i)) {
        std::memcpy(out, text.data() + i, kWord);
        out += kWord;
        i += kWord;
    }
    if (i == n)
        return out;
    if (n >= kWord && i + kWord > n && AllPlainAscii(text.data() + n - kWord)) {
        std::memcpy(out - (i + kWord - n), text.data() + n - kWord, kWord);
        return out + (n - i);
    }
    // Past a byte that is not plain ASCII: byte by byte, still eight at a time where they are plain.
    while (i < n) {
        if (i + kWord <= text.size() && AllPlainAscii(text.data() + i)) {
            std::memcpy(out, text.data() + i, kWord);
            out += kWord;
            i += kWord;
            continue;
        }
        const char c = text[i];
        if (IsPlainAscii(c)) {
            *out++ = c;
            ++i;
            continue;
        }
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) { // C0 or DEL
            *out++ = kShown;
            ++i;
            continue;
        }
        const std::size_t length = Utf8SequenceLength(text, i);
        if (length == 0) { // not UTF-8: a C1 byte is hidden, any other byte kept
            *out++ = IsC1Byte(byte) ? kShown : c;
            ++i;
        } else if (length == 2 && byte == 0xC2 && IsC1Byte(static_cast<unsigned char>(text[i + 1]))) {
            *out++ = kShown;
            i += 2;
        } else {
            for (std::size_t k = 0; k < length; ++k)
                *out++ = text[i + k];
            i += length;
        }
    }
    return out;
}

void AppendTerminalText(std::string& out, std::string_view text) {
    const std::size_t start = out.size();
    out.resize(start + text.size());
    char* end = PutTerminalText(out.data() + start, text);
    out.resize(static_cast<std::size_t>(end - out.data()));
}

std::string TerminalText(std::string_view text) {
    std::string out;
    AppendTerminalText(out, text);
    return out;
}
