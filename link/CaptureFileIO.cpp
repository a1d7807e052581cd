#include "link/CaptureFileIO.h"

#include "link/Journal.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>

namespace {
// Lines go to disk in pieces of about this size.
constexpr std::size_t kWriteChunk = std::size_t{1} << 20;
} // namespace

CaptureFileWriter::CaptureFileWriter(const QString& path, std::string_view formatText) : m_file(path) {
    m_chunk.reserve(kWriteChunk + 1024);
    // Unbuffered: every byte passes through a write whose count is checked here, none is left in a
    // buffer that commit() would flush without telling.
    if (QFileInfo(path).isDir()) {
        m_ok = false;
        m_error = SystemReason(EISDIR);
    } else if (!m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        m_ok = false;
        m_error = m_file.errorString();
    }
    if (m_ok)
        Add(formatText);
}

void CaptureFileWriter::Add(std::string_view line) {
    if (!m_ok)
        return;
    AppendCaptureFileLine(m_chunk, line);
    if (m_chunk.size() >= kWriteChunk)
        WriteChunk();
}

bool CaptureFileWriter::WriteChunk() {
    // On a full disk write() can hand back a short count without reporting an error, and commit() would
    // then put the truncated file in place of the old one: only the count tells.
    const auto size = static_cast<qint64>(m_chunk.size());
    if (size > 0 && m_file.write(m_chunk.data(), size) != size) {
        m_ok = false;
        m_error = m_file.error() != QFileDevice::NoError ? m_file.errorString() : SystemReason(ENOSPC);
    }
    m_chunk.clear();
    return m_ok;
}

void CaptureFileWriter::Cancel() {
    m_ok = false;
    if (m_file.isOpen())
        m_file.cancelWriting();
}

bool CaptureFileWriter::Commit(QString* error) {
    if (m_ok)
        WriteChunk();
    // After cancelWriting() commit() discards the temporary file and reports failure.
    if (!m_ok && m_file.isOpen())
        m_file.cancelWriting();
    const bool committed = m_file.isOpen() && m_file.commit();
    if (!committed && m_ok)
        m_error = m_file.errorString();
    if (!committed && error)
        *error = m_error;
    return committed;
}

bool SaveCaptureFile(const QString& path, std::string_view formatText, const CaptureLines& lines,
                     QString* error) {
    CaptureFileWriter writer(path, formatText);
    for (const auto& line : lines) {
        if (!writer.Ok())
            break;
        writer.Add(line);
    }
    return writer.Commit(error);
}

LoadedCaptureFile LoadCaptureFile(const QString& path) {
    LoadedCaptureFile loaded;
    QFile file(path);
    if (QFileInfo(path).isDir()) {
        loaded.error = SystemReason(EISDIR);
        return loaded;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        loaded.error = file.errorString();
        return loaded;
    }
    const qint64 size = file.size();
    // Read straight into the buffer the lines will point into: no zero fill, no copy.
    auto bytes = std::make_unique_for_overwrite<char[]>(static_cast<std::size_t>(size));
    qint64 got = 0;
    while (got < size) {
        const qint64 n = file.read(bytes.get() + got, size - got);
        if (n <= 0) {
            loaded.error = n < 0 ? file.errorString() : QStringLiteral("The file changed while it was read.");
            return loaded;
        }
        got += n;
    }
    loaded.readOk = true;
    loaded.parsed = AdoptCaptureFile(std::move(bytes), static_cast<std::size_t>(size));
    return loaded;
}
