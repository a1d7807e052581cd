#pragma once

#include "common/ShortCopy.h"
#include "common/TerminalText.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

// Writes into room made in advance at the end of a string, then gives back what was not used: a
// report row is a dozen short pieces, and appending them one by one costs more than the decoding that
// produced them. The caller reserves enough room for everything it puts.
class Cursor {
public:
    Cursor(std::string& out, std::size_t most) : m_out(out) {
        const std::size_t start = out.size();
        out.resize(start + most);
        m_p = out.data() + start;
    }
    ~Cursor() { m_out.resize(static_cast<std::size_t>(m_p - m_out.data())); }
    Cursor(const Cursor&) = delete;
    Cursor& operator=(const Cursor&) = delete;

    void Put(std::string_view text) {
        CopyShort(m_p, text.data(), text.size());
        m_p += text.size();
    }
    void Put(char c) { *m_p++ = c; }
    // Text that comes from a capture line or a file name: a control character (an escape sequence in
    // an edited file, say) is written as "?", so what a file holds can never drive the terminal.
    void PutText(std::string_view text) { m_p = PutTerminalText(m_p, text); }
    void Blanks(std::size_t count) {
        static constexpr char kBlanks[] = "                                ";
        while (count > 0) {
            const std::size_t piece = std::min(count, sizeof kBlanks - 1);
            Put(std::string_view(kBlanks, piece));
            count -= piece;
        }
    }
    void PadFrom(const char* start, std::size_t width) {
        const auto written = static_cast<std::size_t>(m_p - start);
        if (written < width)
            Blanks(width - written);
    }
    void TrimBlanks() {
        while (m_p[-1] == ' ')
            --m_p;
    }
    const char* here() const { return m_p; }
    // For writers that fill the room themselves and say where they stopped.
    char* position() { return m_p; }
    void MoveTo(char* p) { m_p = p; }

private:
    std::string& m_out;
    char* m_p;
};
