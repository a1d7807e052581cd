#pragma once

#include "capture/LineSplitter.h"

#include <functional>
#include <optional>
#include <string_view>
#include <vector>

// Lines of a file or pipe read in large blocks, ended at CR LF, a lone CR or a lone LF like capture
// files, without waiting for the whole input: decode can follow a recorder through a pipe.
class LineReader {
public:
    // blockSize is the size of one read (the buffer grows for longer lines, up to a line of
    // kLongestInputLine: a longer one ends the input, and tooLong() tells).
    explicit LineReader(int fd, std::size_t blockSize = kDefaultBlockSize);
    static constexpr std::size_t kDefaultBlockSize = 1 << 20;

    // Called before every read that may wait for input, so that output can be flushed while waiting.
    void setBeforeRead(std::function<void()> beforeRead) { m_beforeRead = std::move(beforeRead); }

    // The next line without its line end, valid until the next call; false at the end of input or on a
    // read error (then error() is the errno).
    bool Next(std::string_view& line);
    int error() const { return m_error; }
    bool tooLong() const { return m_tooLong; }

private:
    void Fill();

    int m_fd;
    std::vector<char> m_buffer;
    std::size_t m_begin = 0;
    std::size_t m_end = 0;
    bool m_eof = false;
    bool m_skipLf = false; // a CR ended the last block: an LF at the start of the next one belongs to it
    std::optional<LineSplitter> m_splitter; // over the bytes from m_begin to m_end
    int m_error = 0;
    bool m_tooLong = false;
    std::function<void()> m_beforeRead;
};
