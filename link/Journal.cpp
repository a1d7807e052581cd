#include "link/Journal.h"

#include "capture/LineSplitter.h"
#include "common/WriteAll.h"
#include "link/CaptureFileIO.h"
#include "link/JournalFile.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using journal_file::kBlock;
using journal_file::LocalPath;
using journal_file::ReadAt;

QString SystemReason(int errorNumber) {
    return QString::fromLocal8Bit(std::strerror(errorNumber));
}

Journal::~Journal() {
    Close();
}

void Journal::Close() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

bool Journal::Lock(long* holder, QString* error) {
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    if (::fcntl(m_fd, F_SETLK, &lock) == 0)
        return true;
    const int reason = errno;
    *holder = 0;
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    if (::fcntl(m_fd, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK)
        *holder = probe.l_pid;
    if (error)
        *error = reason == EACCES || reason == EAGAIN
                     ? (*holder > 0 ? QStringLiteral("it is in use by process %1").arg(*holder)
                                    : QStringLiteral("it is in use by another process"))
                     : SystemReason(reason);
    return false;
}

bool Journal::Open(const QString& path, QString* error, long* lockHolder) {
    Close();
    m_path = path;
    m_pending.clear();
    m_pendingLines = 0;
    m_dropped = 0;
    const std::string local = LocalPath(path);
    struct stat info {};
    for (int attempt = 0;; ++attempt) {
        m_fd = ::open(local.c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (m_fd < 0 || ::fstat(m_fd, &info) != 0 || !S_ISREG(info.st_mode)) {
            const int reason = m_fd < 0 ? errno : S_ISREG(info.st_mode) ? errno : EISDIR;
            if (error)
                *error = SystemReason(reason);
            Close();
            return false;
        }
        if (!lockHolder)
            break;
        if (!Lock(lockHolder, error)) {
            Close();
            return false;
        }
        // The owner before us deletes its journal before it lets go of it: a file locked after that is
        // no longer the one the path names, and a new one is opened.
        struct stat named {};
        if (attempt >= 3 || (::stat(local.c_str(), &named) == 0 && named.st_ino == info.st_ino &&
                             named.st_dev == info.st_dev))
            break;
        Close();
    }
    // Count the whole lines and cut off an unfinished last one, reading a block at a time.
    const auto size = static_cast<std::uint64_t>(info.st_size);
    std::vector<char> block(kBlock);
    std::uint64_t lines = 0;
    std::uint64_t lastEnd = 0;
    for (std::uint64_t offset = 0; offset < size;) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(kBlock, size - offset));
        if (!ReadAt(m_fd, block.data(), n, offset)) {
            if (error)
                *error = SystemReason(errno);
            Close();
            return false;
        }
        for (std::size_t i = 0; i < n; ++i) {
            if (block[i] == '\n') {
                ++lines;
                lastEnd = offset + i + 1;
            }
        }
        offset += n;
    }
    m_dropped = size - lastEnd;
    if (lastEnd < size && ::ftruncate(m_fd, static_cast<off_t>(lastEnd)) != 0) {
        if (error)
            *error = SystemReason(errno);
        Close();
        return false;
    }
    m_size = m_synced = lastEnd;
    m_lines = lines;
    return true;
}

void Journal::Append(std::string_view line) {
    m_pending += line;
    m_pending += '\n';
    ++m_pendingLines;
}

bool Journal::Flush(bool sync, QString* error) {
    if (m_fd < 0)
        return false;
    if (!m_pending.empty()) {
        if (const int reason = WriteAll(m_fd, m_pending); reason != 0) {
            // Whatever part of the lines got out is cut off again, so the journal ends at a whole line.
            [[maybe_unused]] const int ignored = ::ftruncate(m_fd, static_cast<off_t>(m_size));
            if (error)
                *error = SystemReason(reason);
            return false;
        }
        m_size += m_pending.size();
        m_lines += m_pendingLines;
        m_pending.clear();
        m_pendingLines = 0;
    }
    if (sync && m_size > m_synced && ::fdatasync(m_fd) != 0) {
        if (error)
            *error = SystemReason(errno);
        return false;
    }
    if (sync)
        m_synced = m_size;
    return true;
}

void Journal::Remove() {
    if (!m_path.isEmpty())
        QFile::remove(m_path);
    Close();
    m_pending.clear();
    m_size = m_synced = m_lines = m_pendingLines = 0;
}

std::optional<CaptureLines> ReadJournal(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const qint64 size = file.size();
    auto text = std::make_unique_for_overwrite<char[]>(static_cast<std::size_t>(size));
    if (file.read(text.get(), size) != size)
        return std::nullopt;
    CaptureLines lines;
    const std::string_view bytes = lines.AdoptText(std::move(text), static_cast<std::size_t>(size));
    // Only whole lines count: a line the crash cut short has no LF yet.
    const std::string_view whole = bytes.substr(0, bytes.rfind('\n') + 1);
    std::vector<std::string_view> oldestFirst;
    LineSplitter splitter(whole);
    for (std::string_view line; splitter.Next(line);)
        oldestFirst.push_back(line);
    for (auto it = oldestFirst.rbegin(); it != oldestFirst.rend(); ++it)
        lines.AppendView(*it);
    return lines;
}

bool WriteCaptureFileFromJournal(const QString& journalPath, std::uint64_t journalSize,
                                 const QString& outPath, std::string_view formatText, QString* error) {
    const std::string local = LocalPath(journalPath);
    const int fd = ::open(local.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (error)
            *error = SystemReason(errno);
        return false;
    }
    const bool ok = WriteCaptureFileFromJournal(fd, journalSize, outPath, formatText, error);
    ::close(fd);
    return ok;
}

bool WriteCaptureFileFromJournal(int fd, std::uint64_t journalSize, const QString& outPath,
                                 std::string_view formatText, QString* error) {
    CaptureFileWriter writer(outPath, formatText);
    // Backwards a block at a time: `tail` is the end part of a line whose start lies in an earlier block.
    std::string text;
    std::string tail;
    std::uint64_t end = journalSize > 0 ? journalSize - 1 : 0; // the last line's LF is not a separator
    bool readOk = true;
    if (journalSize == 1)
        writer.Add({}); // one empty line
    while (readOk && end > 0 && writer.Ok()) {
        const std::uint64_t start = end > kBlock ? end - kBlock : 0;
        text.resize(static_cast<std::size_t>(end - start));
        readOk = ReadAt(fd, text.data(), text.size(), start);
        text += tail;
        std::size_t lineEnd = text.size();
        for (std::size_t lf = text.rfind('\n', lineEnd); lf != std::string::npos && lineEnd > 0;
             lf = lineEnd > 0 ? text.rfind('\n', lineEnd - 1) : std::string::npos) {
            writer.Add(std::string_view(text).substr(lf + 1, lineEnd - lf - 1));
            lineEnd = lf;
        }
        tail.assign(text, 0, lineEnd);
        if (start == 0 && readOk)
            writer.Add(tail);
        end = start;
    }
    const int readError = readOk ? 0 : errno;
    if (!readOk) {
        writer.Cancel();
        if (error)
            *error = SystemReason(readError);
        return false;
    }
    return writer.Commit(error);
}
