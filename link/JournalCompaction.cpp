#include "link/JournalCompaction.h"

#include "capture/CaptureLines.h"
#include "common/WriteAll.h"
#include "link/JournalFile.h"

#include <QFile>

#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

using journal_file::kBlock;
using journal_file::LocalPath;
using journal_file::ReadAt;

namespace {

// Writes into a new file and syncs it; removes it on failure.
class NewFile {
public:
    explicit NewFile(const QString& path, bool append = false)
        : m_path(path), m_fd(::open(LocalPath(path).c_str(),
                                    O_WRONLY | O_CREAT | O_CLOEXEC | (append ? O_APPEND : O_TRUNC), 0600)) {}
    ~NewFile() {
        if (m_fd >= 0)
            ::close(m_fd);
        if (!m_done)
            QFile::remove(m_path);
    }
    bool Write(std::string_view bytes) { return m_fd >= 0 && WriteAll(m_fd, bytes) == 0; }
    bool Commit() {
        m_done = m_fd >= 0 && ::fdatasync(m_fd) == 0;
        return m_done;
    }

private:
    QString m_path;
    int m_fd;
    bool m_done = false;
};

bool CopyRange(int fd, std::uint64_t begin, std::uint64_t end, NewFile& out) {
    std::vector<char> block(kBlock);
    for (std::uint64_t at = begin; at < end;) {
        const auto size = static_cast<std::size_t>(std::min<std::uint64_t>(kBlock, end - at));
        if (!ReadAt(fd, block.data(), size, at) || !out.Write({block.data(), size}))
            return false;
        at += size;
    }
    return true;
}

} // namespace

bool CopyJournalTail(const QString& from, std::uint64_t size, std::uint64_t lines, const QString& to) {
    const int fd = ::open(LocalPath(from).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    // Backwards a block at a time to the line end before the last `lines` lines.
    std::vector<char> block(kBlock);
    std::uint64_t start = 0;
    std::uint64_t ends = 0; // line ends seen, the journal's last one included
    bool ok = true;
    for (std::uint64_t end = size; end > 0 && ok;) {
        const std::uint64_t begin = end > kBlock ? end - kBlock : 0;
        const auto count = static_cast<std::size_t>(end - begin);
        ok = ReadAt(fd, block.data(), count, begin);
        for (std::size_t i = count; ok && i-- > 0;)
            if (block[i] == '\n' && ++ends > lines) {
                start = begin + i + 1;
                end = 0;
                break;
            }
        if (end != 0)
            end = begin;
    }
    NewFile out(to);
    ok = ok && CopyRange(fd, start, size, out) && out.Commit();
    ::close(fd);
    return ok;
}

bool AppendJournalRange(int fromFd, std::uint64_t begin, std::uint64_t end, const QString& to) {
    NewFile out(to, true);
    return CopyRange(fromFd, begin, end, out) && out.Commit();
}

bool WriteJournalLines(const CaptureLines& lines, const QString& to) {
    NewFile out(to);
    std::string text;
    for (std::size_t i = lines.size(); i > 0; --i) {
        text += lines[i - 1];
        text += '\n';
        if (text.size() >= kBlock) {
            if (!out.Write(text))
                return false;
            text.clear();
        }
    }
    return out.Write(text) && out.Commit();
}
