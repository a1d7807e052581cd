#pragma once

#include "cli/LineReader.h"

#include <memory>
#include <string>
#include <string_view>

// The capture lines of a capture file, of a file of bare capture lines (what record prints) or of
// standard input: a first line holding the capture-file mark is FormatText and is passed over.
// A capture file written by a recorder that was killed may lag behind its journal: WarnOfJournal says so.
class CaptureInput {
public:
    // "-" is standard input. Check error() before reading.
    explicit CaptureInput(const std::string& path);
    ~CaptureInput();
    CaptureInput(const CaptureInput&) = delete;
    CaptureInput& operator=(const CaptureInput&) = delete;

    // Empty when the input is readable, else what went wrong ("No such file or directory").
    const std::string& error() const { return m_error; }

    void setBeforeRead(std::function<void()> beforeRead);

    // The next capture line and its line number in the input (from 1); false at the end, on a read
    // error, at a line longer than kLongestInputLine or at a first line in UTF-16, which error() then
    // tells.
    bool Next(std::string_view& line, std::size_t& number);

    // Whether a read can wait for more input (a pipe or a terminal, not a file).
    bool mayWait() const { return m_mayWait; }

    // Whether the first line was FormatText, that is whether the lines are newest first.
    bool hadHeader() const { return m_hadHeader; }
    // That first line, when it was.
    const std::string& formatText() const { return m_formatText; }

private:
    int m_fd = -1;
    bool m_ownsFd = false;
    std::unique_ptr<LineReader> m_reader;
    std::size_t m_number = 0;
    bool m_hadHeader = false;
    std::string m_formatText;
    bool m_mayWait = false;
    std::string m_error;
};

// Prints, for command, that path has a journal beside it and may lag behind it.
void WarnOfJournal(std::string_view command, const std::string& path);
