#pragma once

#include "capture/CaptureFile.h"

#include <QSaveFile>
#include <QString>

#include <string>

// Reading and writing capture files on disk. Nothing here touches a window; the callers show the messages.

// Why a path cannot be a capture file written or read in place: it names a folder, a named pipe, a
// device or a socket (a symbolic link is followed). Empty for a regular file or a path that does not
// exist yet. Writing over such a thing would replace it with a file, and reading one could wait forever.
QString NotRegularFileReason(const QString& path);

// Writes a capture file through a QSaveFile, line by line in pieces of about a megabyte, so a large list
// is never held twice: on any failure (cannot create, short write, full disk, commit refused) the file
// that was there before is left exactly as it was.
class CaptureFileWriter {
public:
    CaptureFileWriter(const QString& path, std::string_view formatText);
    // Without the first line: any file written as safely (a report, say).
    explicit CaptureFileWriter(const QString& path);
    void Add(std::string_view line);
    // Bytes as they are, no line end added.
    void AddBytes(std::string_view bytes);
    bool Ok() const { return m_ok; }
    void Cancel();
    // Puts the file in place; false, with the reason in words, when anything went wrong.
    bool Commit(QString* reason = nullptr);

private:
    bool WriteChunk();
    void Failed();

    QString m_path;
    QSaveFile m_file;
    std::string m_chunk;
    QString m_reason;
    bool m_ok = true;
};

// The whole list through a CaptureFileWriter. On failure returns false and says why.
bool SaveCaptureFile(const QString& path, std::string_view formatText, const CaptureLines& lines,
                     QString* reason = nullptr);

// Any file's whole text, as safely: on failure the file that was there is left as it was.
bool SaveWholeFile(const QString& path, std::string_view bytes, QString* reason = nullptr);

struct LoadedCaptureFile {
    bool readOk = false;      // false: the file could not be opened or read whole
    ParsedCaptureFile parsed; // valid only when readOk
    QString reason;           // why it could not be read, or why it is not a capture file
};

// Reads the whole file before anything else happens, then parses it. A line longer than
// kLongestInputLine stops the reading there, and a UTF-16 file is refused, each with its reason.
LoadedCaptureFile LoadCaptureFile(const QString& path);
