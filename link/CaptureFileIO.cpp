#include "link/CaptureFileIO.h"

#include <QFile>
#include <QSaveFile>

namespace {

// Lines go to disk in pieces of about this size, so a large list is never held twice in memory.
constexpr std::size_t kWriteChunk = std::size_t{1} << 20;

// On a full disk write() can hand back a short count without reporting an error, and commit() would
// then put the truncated file in place of the old one: only the count tells.
bool WriteAll(QSaveFile& file, const std::string& chunk) {
    const auto size = static_cast<qint64>(chunk.size());
    return chunk.empty() || file.write(chunk.data(), size) == size;
}

} // namespace

bool SaveCaptureFile(const QString& path, std::string_view formatText, const CaptureLines& lines) {
    QSaveFile file(path);
    // Unbuffered: every byte passes through a write whose count is checked here, none is left in a
    // buffer that commit() would flush without telling.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    std::string chunk;
    chunk.reserve(kWriteChunk + 1024);
    AppendCaptureFileLine(chunk, formatText);
    bool written = true;
    for (const auto& line : lines) {
        AppendCaptureFileLine(chunk, line);
        if (chunk.size() >= kWriteChunk) {
            written = WriteAll(file, chunk);
            if (!written)
                break;
            chunk.clear();
        }
    }
    written = written && WriteAll(file, chunk);
    // After cancelWriting() commit() discards the temporary file and reports failure.
    if (!written)
        file.cancelWriting();
    return file.commit();
}

LoadedCaptureFile LoadCaptureFile(const QString& path) {
    LoadedCaptureFile loaded;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return loaded;
    const qint64 size = file.size();
    // Read straight into the buffer the lines will point into: no zero fill, no copy.
    auto bytes = std::make_unique_for_overwrite<char[]>(static_cast<std::size_t>(size));
    qint64 got = 0;
    while (got < size) {
        const qint64 n = file.read(bytes.get() + got, size - got);
        if (n <= 0)
            return loaded;
        got += n;
    }
    loaded.readOk = true;
    loaded.parsed = AdoptCaptureFile(std::move(bytes), static_cast<std::size_t>(size));
    return loaded;
}
