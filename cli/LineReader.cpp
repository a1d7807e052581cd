#include "cli/LineReader.h"

#include "capture/InputLimits.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

LineReader::LineReader(int fd, std::size_t blockSize) : m_fd(fd), m_buffer(blockSize) {}

void LineReader::Fill() {
    if (m_begin > 0) {
        std::memmove(m_buffer.data(), m_buffer.data() + m_begin, m_end - m_begin);
        m_end -= m_begin;
        m_begin = 0;
    }
    // What is left is one unfinished line: an input without line ends is not held whole.
    if (m_end > kLongestInputLine) {
        m_tooLong = m_eof = true;
        return;
    }
    if (m_end == m_buffer.size())
        m_buffer.resize(m_buffer.size() * 2); // a line longer than the buffer
    if (m_beforeRead)
        m_beforeRead();
    for (;;) {
        const ssize_t got = ::read(m_fd, m_buffer.data() + m_end, m_buffer.size() - m_end);
        if (got > 0) {
            m_end += static_cast<std::size_t>(got);
            return;
        }
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            m_error = errno;
        m_eof = true;
        return;
    }
}

bool LineReader::Next(std::string_view& line) {
    for (;;) {
        if (!m_splitter)
            m_splitter.emplace(std::string_view(m_buffer.data() + m_begin, m_end - m_begin));
        if (m_splitter->Next(line, m_eof)) {
            m_skipLf = m_splitter->EndedAtLastCr();
            return true;
        }
        if (m_eof)
            return false;
        m_begin += m_splitter->Position();
        m_splitter.reset();
        Fill();
        if (m_tooLong)
            return false;
        if (m_skipLf && m_begin < m_end) {
            if (m_buffer[m_begin] == '\n')
                ++m_begin;
            m_skipLf = false;
        }
    }
}
