#pragma once

#include "cli/CaptureInput.h"
#include "cli/ReverseLineReader.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// The capture lines of one input oldest first, as the record frames them. A capture file (first line
// FormatText) holds its lines newest first and is read from its end; standard input in that form is
// first set aside in a temporary file. Bare capture lines (what `record` prints) are read as they come.
class OldestFirstLines {
public:
    // "-" is standard input. Check error() before reading.
    explicit OldestFirstLines(const std::string& path);
    ~OldestFirstLines();
    OldestFirstLines(const OldestFirstLines&) = delete;
    OldestFirstLines& operator=(const OldestFirstLines&) = delete;

    const std::string& error() const { return m_error; }

    // The next line and its number: from the start of the input, or, when countedFromEnd(), from its
    // end (the last line is 1) until lineCount() is known at the end.
    bool Next(std::string_view& line, std::uint64_t& number);
    bool countedFromEnd() const { return m_reverse != nullptr; }
    // Lines of the input, FormatText included, once it is read to its end.
    std::uint64_t lineCount() const { return m_number + (m_formatText.empty() ? 0 : 1); }
    // The input's first line when it was FormatText.
    const std::string& formatText() const { return m_formatText; }

private:
    bool OpenNewestFirst(int fd, off_t size);
    bool SetAside(std::string_view first);

    std::unique_ptr<CaptureInput> m_forward;
    bool m_forwardStarted = false;
    std::string_view m_pendingFirst; // read forward before the order was known
    int m_fd = -1;                   // the file read from its end
    std::unique_ptr<ReverseLineReader> m_reverse;
    std::uint64_t m_number = 0;
    std::string m_formatText;
    std::string m_error;
};
