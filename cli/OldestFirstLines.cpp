#include "cli/OldestFirstLines.h"

#include "capture/CaptureFile.h"
#include "capture/InputLimits.h"
#include "common/WriteAll.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Where the first line of a text ends, its line end included; npos when it has none.
std::size_t FirstLineEnd(std::string_view text) {
    const std::size_t end = text.find_first_of("\r\n");
    if (end == std::string_view::npos)
        return end;
    return end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
}

} // namespace

OldestFirstLines::OldestFirstLines(const std::string& path) {
    if (path != "-") {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            m_error = std::strerror(errno);
            return;
        }
        struct stat info {};
        if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && OpenNewestFirst(fd, info.st_size))
            return;
        ::close(fd);
        if (!m_error.empty())
            return;
    }
    m_forward = std::make_unique<CaptureInput>(path);
    m_error = m_forward->error();
}

OldestFirstLines::~OldestFirstLines() {
    if (m_fd >= 0)
        ::close(m_fd);
}

// A regular file whose first line is FormatText: read from its end. False (fd left open for the caller
// to close) when it is not one.
bool OldestFirstLines::OpenNewestFirst(int fd, off_t size) {
    constexpr std::size_t kPeek = 4096;
    char peek[kPeek];
    const ssize_t n = ::pread(fd, peek, kPeek, 0);
    if (n < 0) {
        m_error = std::strerror(errno);
        return false;
    }
    const std::string_view text(peek, static_cast<std::size_t>(n));
    const std::size_t end = FirstLineEnd(text);
    const std::string_view first = text.substr(0, std::min(end, text.find_first_of("\r\n")));
    if (end == std::string_view::npos || !IsCaptureFileHeader(first))
        return false;
    m_formatText = first;
    m_fd = fd;
    m_reverse = std::make_unique<ReverseLineReader>(fd, static_cast<off_t>(end), size);
    return true;
}

// Standard input that turned out to be a capture file: its lines go to a temporary file, read from its
// end. first is the first capture line, already read.
bool OldestFirstLines::SetAside(std::string_view first) {
    std::FILE* spare = std::tmpfile();
    if (!spare) {
        m_error = std::string("cannot make a temporary file: ") + std::strerror(errno);
        return false;
    }
    m_fd = ::dup(::fileno(spare));
    std::fclose(spare);
    std::string block;
    int error = 0;
    const auto add = [&](std::string_view line) {
        block += line;
        block += '\n';
        if (block.size() >= (1 << 20)) {
            error = error ? error : WriteAll(m_fd, block);
            block.clear();
        }
    };
    add(first);
    std::string_view line;
    std::size_t number = 0;
    while (m_forward->Next(line, number))
        add(line);
    error = error ? error : WriteAll(m_fd, block);
    if (!m_forward->error().empty() || error != 0) {
        m_error = !m_forward->error().empty() ? m_forward->error() : std::string(std::strerror(error));
        return false;
    }
    const off_t size = ::lseek(m_fd, 0, SEEK_END);
    m_reverse = std::make_unique<ReverseLineReader>(m_fd, 0, size);
    return true;
}

bool OldestFirstLines::Next(std::string_view& line, std::uint64_t& number) {
    if (m_forward && !m_forwardStarted) {
        m_forwardStarted = true;
        std::size_t forwardNumber = 0;
        if (!m_forward->Next(line, forwardNumber)) {
            m_error = m_forward->error();
            return false;
        }
        if (!m_forward->hadHeader()) {
            number = ++m_number;
            return true;
        }
        m_formatText = m_forward->formatText();
        if (!SetAside(line))
            return false;
        m_forward.reset();
    }
    if (m_reverse) {
        if (!m_reverse->Next(line)) {
            if (m_reverse->error() != 0)
                m_error = std::strerror(m_reverse->error());
            else if (m_reverse->tooLong())
                m_error = LineTooLongText(static_cast<std::size_t>(m_number + 1)) + " (counted from the end)";
            return false;
        }
        number = ++m_number;
        return true;
    }
    std::size_t forwardNumber = 0;
    if (!m_forward->Next(line, forwardNumber)) {
        m_error = m_forward->error();
        return false;
    }
    number = ++m_number;
    return true;
}
