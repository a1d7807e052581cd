#pragma once

#include <QFile>
#include <QString>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <string>
#include <unistd.h>

// What the journal and its compaction share: the block they read and write in, the path as the system
// takes it, and a read that gets all it asks for.
namespace journal_file {

inline constexpr std::size_t kBlock = std::size_t{1} << 20;

inline std::string LocalPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// Reads exactly size bytes at offset; false on a short read or an error (errno set).
inline bool ReadAt(int fd, char* into, std::size_t size, std::uint64_t offset) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = ::pread(fd, into + done, size - done, static_cast<off_t>(offset + done));
        if (got > 0)
            done += static_cast<std::size_t>(got);
        else if (got == 0 || errno != EINTR) {
            if (got == 0)
                errno = EIO;
            return false;
        }
    }
    return true;
}

} // namespace journal_file
