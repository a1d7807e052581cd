#include "cli/LineReader.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

LineReader::LineReader(int fd, std::size_t blockSize) : m_fd(fd), m_buffer(blockSize) {}

bool LineReader::Fill() {
    if (m_begin > 0) {
        std::memmove(m_buffer.data(), m_buffer.data() + m_begin, m_end - m_begin);
        m_end -= m_begin;
        m_begin = 0;
    }
    if (m_end == m_buffer.size())
        m_buffer.resize(m_buffer.size() * 2); // a line longer than the buffer
    if (m_beforeRead)
        m_beforeRead();
    for (;;) {
        const ssize_t got = ::read(m_fd, m_buffer.data() + m_end, m_buffer.size() - m_end);
        if (got > 0) {
            m_end += static_cast<std::size_t>(got);
            return true;
        }
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            m_error = errno;
        m_eof = true;
        return false;
    }
}

bool LineReader::Next(std::string_view& line) {
    std::size_t scanned = m_begin;
    for (;;) {
        if (m_skipLf && m_begin < m_end) {
            if (m_buffer[m_begin] == '\n')
                ++m_begin;
            m_skipLf = false;
            scanned = m_begin;
        }
        const char* data = m_buffer.data();
        // Two vectorised scans beat one that tests every byte for both line ends.
        const auto* lf = static_cast<const char*>(std::memchr(data + scanned, '\n', m_end - scanned));
        const std::size_t lfPos = lf ? static_cast<std::size_t>(lf - data) : m_end;
        const auto* cr = static_cast<const char*>(std::memchr(data + scanned, '\r', lfPos - scanned));
        const std::size_t pos = cr ? static_cast<std::size_t>(cr - data) : lfPos;
        if (pos < m_end) {
            line = std::string_view(data + m_begin, pos - m_begin);
            m_begin = pos + 1;
            if (data[pos] == '\r') {
                if (m_begin < m_end) {
                    if (data[m_begin] == '\n')
                        ++m_begin;
                } else {
                    m_skipLf = true;
                }
            }
            return true;
        }
        if (m_eof) {
            if (m_begin == m_end)
                return false;
            line = std::string_view(data + m_begin, m_end - m_begin);
            m_begin = m_end;
            return true;
        }
        const std::size_t offset = pos - m_begin;
        Fill();
        scanned = m_begin + offset;
    }
}
