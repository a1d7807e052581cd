#pragma once

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
        if (text.size() == 2) { // a byte's two digits, the commonest piece by far
            m_p[0] = text[0];
            m_p[1] = text[1];
            m_p += 2;
            return;
        }
        if (text.empty())
            return; // an empty view may have no data pointer at all
        std::memcpy(m_p, text.data(), text.size());
        m_p += text.size();
    }
    void Put(char c) { *m_p++ = c; }
    void Blanks(std::size_t count) {
        std::memset(m_p, ' ', count);
        m_p += count;
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
