#include "cli/ReverseLineReader.h"

#include "capture/InputLimits.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string.h>
#include <unistd.h>

ReverseLineReader::ReverseLineReader(int fd, off_t begin, off_t end, std::size_t blockSize)
    : m_fd(fd), m_begin(begin), m_pos(end), m_blockSize(blockSize) {}

bool ReverseLineReader::Load() {
    const auto size =
        static_cast<std::size_t>(std::min<off_t>(static_cast<off_t>(m_blockSize), m_pos - m_begin));
    if (m_held > kLongestInputLine) {
        m_tooLong = true;
        return false;
    }
    std::vector<char> buffer(size + m_held);
    if (m_held > 0) // nothing held yet: the buffer may have no storage at all
        std::memcpy(buffer.data() + size, m_buffer.data(), m_held);
    for (std::size_t done = 0; done < size;) {
        const ssize_t n =
            ::pread(m_fd, buffer.data() + done, size - done, m_pos - static_cast<off_t>(size - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            m_error = n < 0 ? errno : EIO;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    m_pos -= static_cast<off_t>(size);
    m_held += size;
    m_buffer = std::move(buffer);
    m_noLf = false;
    return true;
}

bool ReverseLineReader::Next(std::string_view& line) {
    if (m_done || m_error != 0 || m_tooLong)
        return false;
    if (!m_started) {
        m_started = true;
        // The last two bytes decide the line end at the very end, which does not start another line.
        while (m_held < 2 && m_pos > m_begin)
            if (!Load())
                return false;
        if (m_held > 0 && m_buffer[m_held - 1] == '\n')
            --m_held;
        if (m_held > 0 && m_buffer[m_held - 1] == '\r')
            --m_held;
        if (m_buffer.empty()) {
            m_done = true;
            return false;
        }
    }
    for (;;) {
        const char* data = m_buffer.data();
        // The line starts after the last CR or LF held: the last LF, then any CR after it (a line is
        // short, a block is not, and a file may have no LF at all).
        const char* lf = m_noLf ? nullptr : static_cast<const char*>(::memrchr(data, '\n', m_held));
        m_noLf = lf == nullptr;
        const std::size_t from = lf ? static_cast<std::size_t>(lf - data) + 1 : 0;
        const auto* cr = static_cast<const char*>(::memrchr(data + from, '\r', m_held - from));
        const char* boundary = cr ? cr : lf;
        if (boundary) {
            const auto i = static_cast<std::size_t>(boundary - data) + 1;
            // An LF at the front of the bytes held may be the second half of a CR LF.
            if (i == 1 && data[0] == '\n' && m_pos > m_begin) {
                if (!Load())
                    return false;
                continue;
            }
            line = std::string_view(data + i, m_held - i);
            m_held = i - 1;
            if (data[i - 1] == '\n' && m_held > 0 && data[m_held - 1] == '\r')
                --m_held;
            if (line.size() > kLongestInputLine) {
                m_tooLong = true;
                return false;
            }
            return true;
        }
        if (m_pos == m_begin) {
            line = std::string_view(data, m_held);
            m_done = true;
            return true;
        }
        if (!Load())
            return false;
    }
}
