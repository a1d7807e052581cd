#pragma once

#include "capture/CaptureFile.h"

#include <QString>

// Reading and writing capture files on disk. Neither touches a window; the callers show the messages.

// Writes the list through a QSaveFile: on any failure (cannot create, short write, full disk, commit
// refused) the file that was there before is left exactly as it was and false is returned, with the
// reason in words when reason is given.
bool SaveCaptureFile(const QString& path, std::string_view formatText, const CaptureLines& lines,
                     QString* reason = nullptr);

struct LoadedCaptureFile {
    bool readOk = false;      // false: the file could not be opened or read whole
    ParsedCaptureFile parsed; // valid only when readOk
    QString reason;           // why it could not be read, or why it is not a capture file
};

// Reads the whole file before anything else happens, then parses it.
LoadedCaptureFile LoadCaptureFile(const QString& path);
