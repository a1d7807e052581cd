#pragma once

#include <cstddef>
#include <string_view>
#include <sys/types.h>
#include <vector>

// The lines of a region of a file from the last to the first, read in large blocks from its end, ended
// at CR LF, a lone CR or a lone LF as capture files are: a capture file holds its lines newest first,
// and the record frames messages across lines oldest first. A line end at the very end of the region
// does not start another line. Memory holds a block and the line being read.
class ReverseLineReader {
public:
    ReverseLineReader(int fd, off_t begin, off_t end, std::size_t blockSize = kDefaultBlockSize);
    static constexpr std::size_t kDefaultBlockSize = 1 << 20;

    // The line before the last one returned, valid until the next call; false at the region's start, on
    // a read error (error() is the errno) or at a line longer than kLongestInputLine (tooLong()).
    bool Next(std::string_view& line);
    int error() const { return m_error; }
    bool tooLong() const { return m_tooLong; }

private:
    bool Load(); // reads the block before m_pos in front of the bytes held

    int m_fd;
    off_t m_begin;
    off_t m_pos; // the bytes from here on are held or returned
    std::size_t m_blockSize;
    std::vector<char> m_buffer; // file bytes from m_pos; those up to m_held not yet returned
    std::size_t m_held = 0;
    bool m_noLf = false; // no LF in the bytes held
    bool m_started = false;
    bool m_done = false;
    int m_error = 0;
    bool m_tooLong = false;
};
