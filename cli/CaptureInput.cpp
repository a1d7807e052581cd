#include "cli/CaptureInput.h"

#include "capture/CaptureFile.h"
#include "capture/InputLimits.h"
#include "cli/CommandLine.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

CaptureInput::CaptureInput(const std::string& path) {
    if (path == "-") {
        m_fd = STDIN_FILENO;
    } else {
        m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        m_ownsFd = m_fd >= 0;
        if (m_fd < 0) {
            m_error = std::strerror(errno);
            return;
        }
    }
    struct stat info {};
    m_mayWait = ::fstat(m_fd, &info) != 0 || !S_ISREG(info.st_mode);
    m_reader = std::make_unique<LineReader>(m_fd);
}

CaptureInput::~CaptureInput() {
    if (m_ownsFd)
        ::close(m_fd);
}

void CaptureInput::setBeforeRead(std::function<void()> beforeRead) {
    if (m_reader)
        m_reader->setBeforeRead(std::move(beforeRead));
}

bool CaptureInput::Next(std::string_view& line, std::size_t& number) {
    if (!m_reader)
        return false;
    for (;;) {
        if (!m_reader->Next(line)) {
            if (m_reader->error() != 0)
                m_error = std::strerror(m_reader->error());
            else if (m_reader->tooLong())
                m_error = LineTooLongText(m_number + 1);
            return false;
        }
        number = ++m_number;
        if (m_number == 1) {
            if (const std::string problem = EncodingProblem(line); !problem.empty()) {
                m_error = "not a capture file: " + problem;
                return false;
            }
        }
        if (m_number == 1 && IsCaptureFileHeader(line)) {
            m_hadHeader = true;
            m_formatText = line;
            continue;
        }
        return true;
    }
}

void WarnOfJournal(std::string_view command, const std::string& path) {
    // A recorder that was killed leaves every line it printed in a journal beside its file.
    if (path != "-" && ::access((path + ".journal").c_str(), F_OK) == 0)
        PrintError(command, path + ".journal exists: " + path +
                                " may lag behind it (a recorder is writing it, or was killed); "
                                "read the journal for every line");
}
