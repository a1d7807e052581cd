#include "link/CaptureFileIO.h"

#include "capture/InputLimits.h"

#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

#include <sys/stat.h>

namespace {

// Lines go to disk in pieces of about this size...
constexpr std::size_t kWriteChunk = std::size_t{1} << 20;
// ...and come from it in pieces of this size, each looked over for an endless line before the next.
constexpr qint64 kReadChunk = qint64{16} << 20;

// The reason the operator reads: the system's own words for what went wrong, or ours where Qt has none.
QString Reason(const QFileDevice& file, const QString& path) {
    const QFileInfo info(path);
    if (const QString special = NotRegularFileReason(path); !special.isEmpty())
        return special;
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

QString Capitalised(const std::string& text) {
    QString words = QString::fromStdString(text);
    if (!words.isEmpty())
        words[0] = words[0].toUpper();
    return words + u'.';
}

} // namespace

QString NotRegularFileReason(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || S_ISREG(info.st_mode))
        return {};
    if (S_ISDIR(info.st_mode))
        return QStringLiteral("%1 is a folder, not a file.").arg(path);
    const char* kind = S_ISFIFO(info.st_mode)   ? "a named pipe (FIFO)"
                       : S_ISCHR(info.st_mode)  ? "a character device"
                       : S_ISBLK(info.st_mode)  ? "a block device"
                       : S_ISSOCK(info.st_mode) ? "a socket"
                                                : "a special file";
    return QStringLiteral("%1 is %2, not a regular file; it is left as it is.")
        .arg(path, QLatin1String(kind));
}

CaptureFileWriter::CaptureFileWriter(const QString& path, std::string_view formatText)
    : CaptureFileWriter(path) {
    Add(formatText);
}

CaptureFileWriter::CaptureFileWriter(const QString& path) : m_path(path), m_file(path) {
    m_chunk.reserve(kWriteChunk + 1024);
    // Unbuffered: every byte passes through a write whose count is checked here, none is left in a
    // buffer that commit() would flush without telling.
    // A named pipe or a device would be replaced by a regular file when the save is put in place.
    if (!NotRegularFileReason(path).isEmpty() || !m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        Failed();
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

void CaptureFileWriter::AddBytes(std::string_view bytes) {
    if (!m_ok)
        return;
    // The count tells a short write, as for the lines.
    const auto size = static_cast<qint64>(bytes.size());
    if (WriteChunk() && size > 0 && m_file.write(bytes.data(), size) != size)
        Failed();
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

bool SaveWholeFile(const QString& path, std::string_view bytes, QString* reason) {
    CaptureFileWriter writer(path);
    writer.AddBytes(bytes);
    return writer.Commit(reason);
}

LoadedCaptureFile LoadCaptureFile(const QString& path) {
    LoadedCaptureFile loaded;
    QFile file(path);
    // Opening a named pipe would wait for a writer; a device has no size to read.
    if (!NotRegularFileReason(path).isEmpty() || !file.open(QIODevice::ReadOnly)) {
        loaded.reason =
            QFileInfo::exists(path) ? Reason(file, path) : QStringLiteral("There is no file %1.").arg(path);
        return loaded;
    }
    const qint64 size = file.size();
    // Read straight into the buffer the lines will point into: no zero fill, no copy.
    auto bytes = std::make_unique_for_overwrite<char[]>(static_cast<std::size_t>(size));
    LineLengthCheck lengths;
    qint64 got = 0;
    while (got < size) {
        const qint64 n = file.read(bytes.get() + got, std::min(size - got, kReadChunk));
        if (n <= 0) {
            loaded.reason = Reason(file, path);
            return loaded;
        }
        if (!lengths.Add(std::string_view(bytes.get() + got, static_cast<std::size_t>(n)))) {
            loaded.reason = Capitalised(LineTooLongText(lengths.LineNumber()));
            return loaded;
        }
        got += n;
    }
    const std::string_view text(bytes.get(), static_cast<std::size_t>(size));
    if (const std::string problem = EncodingProblem(text.substr(0, text.find_first_of("\r\n")));
        !problem.empty()) {
        loaded.reason = QStringLiteral("Not a capture file: ") + QString::fromStdString(problem) + u'.';
        return loaded;
    }
    loaded.readOk = true;
    loaded.parsed = AdoptCaptureFile(std::move(bytes), static_cast<std::size_t>(size));
    if (loaded.parsed.status == ParsedCaptureFile::Status::NotCapture)
        loaded.reason =
            QStringLiteral("Not a capture file: its first line has no %1.")
                .arg(QLatin1String(kCaptureFileMark.data(), static_cast<qsizetype>(kCaptureFileMark.size())));
    return loaded;
}
