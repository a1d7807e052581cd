#include "link/CaptureFileIO.h"

#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

namespace {

// Lines go to disk in pieces of about this size.
constexpr std::size_t kWriteChunk = std::size_t{1} << 20;

// The reason the operator reads: the system's own words for what went wrong, or ours where Qt has none.
QString Reason(const QFileDevice& file, const QString& path) {
    const QFileInfo info(path);
    if (info.isDir())
        return QStringLiteral("%1 is a folder, not a file.").arg(path);
    if (!info.exists() && !QFileInfo(info.absolutePath()).isDir())
        return QStringLiteral("The folder %1 does not exist.").arg(info.absolutePath());
    const QString text = file.errorString();
    if (file.error() != QFileDevice::NoError && !text.isEmpty() && text != QStringLiteral("Unknown error"))
        return text;
    // A full disk cuts a write short without an error: the free space tells.
    const QStorageInfo storage(info.absolutePath());
    if (storage.isValid() && storage.bytesAvailable() < static_cast<qint64>(kWriteChunk))
        return QStringLiteral("The disk is full (%1 bytes free).").arg(storage.bytesAvailable());
    return QStringLiteral("Not all of it could be written.");
}

} // namespace

CaptureFileWriter::CaptureFileWriter(const QString& path, std::string_view formatText)
    : m_path(path), m_file(path) {
    m_chunk.reserve(kWriteChunk + 1024);
    // Unbuffered: every byte passes through a write whose count is checked here, none is left in a
    // buffer that commit() would flush without telling.
    if (QFileInfo(path).isDir() || !m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        Failed();
    else
        Add(formatText);
}

void CaptureFileWriter::Failed() {
    // The first failure's reason is the one worth reporting.
    if (m_ok)
        m_reason = Reason(m_file, m_path);
    m_ok = false;
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
    if (size > 0 && m_file.write(m_chunk.data(), size) != size)
        Failed();
    m_chunk.clear();
    return m_ok;
}

void CaptureFileWriter::Cancel() {
    m_ok = false;
    if (m_file.isOpen())
        m_file.cancelWriting();
}

bool CaptureFileWriter::Commit(QString* reason) {
    if (m_ok)
        WriteChunk();
    // After cancelWriting() commit() discards the temporary file and reports failure.
    if (!m_ok && m_file.isOpen())
        m_file.cancelWriting();
    const bool committed = m_file.isOpen() && m_file.commit();
    if (!committed)
        Failed();
    if (!committed && reason)
        *reason = m_reason;
    return committed;
}

bool SaveCaptureFile(const QString& path, std::string_view formatText, const CaptureLines& lines,
                     QString* reason) {
    CaptureFileWriter writer(path, formatText);
    for (const auto& line : lines) {
        if (!writer.Ok())
            break;
        writer.Add(line);
    }
    return writer.Commit(reason);
}

LoadedCaptureFile LoadCaptureFile(const QString& path) {
    LoadedCaptureFile loaded;
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly)) {
        loaded.reason =
            QFileInfo::exists(path) ? Reason(file, path) : QStringLiteral("There is no file %1.").arg(path);
        return loaded;
    }
    const qint64 size = file.size();
    // Read straight into the buffer the lines will point into: no zero fill, no copy.
    auto bytes = std::make_unique_for_overwrite<char[]>(static_cast<std::size_t>(size));
    qint64 got = 0;
    while (got < size) {
        const qint64 n = file.read(bytes.get() + got, size - got);
        if (n <= 0) {
            loaded.reason = Reason(file, path);
            return loaded;
        }
        got += n;
    }
    loaded.readOk = true;
    loaded.parsed = AdoptCaptureFile(std::move(bytes), static_cast<std::size_t>(size));
    if (loaded.parsed.status == ParsedCaptureFile::Status::NotCapture)
        loaded.reason =
            QStringLiteral("Not a capture file: its first line has no %1.")
                .arg(QLatin1String(kCaptureFileMark.data(), static_cast<qsizetype>(kCaptureFileMark.size())));
    return loaded;
}
