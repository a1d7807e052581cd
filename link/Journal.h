#pragma once

#include "capture/CaptureLines.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// An append-only file of capture lines, oldest first, each ended by LF: the recorder and the window
// write every line here as it arrives, so that a kill, a crash or a power cut loses nothing written.
// It is also a file of bare capture lines that "decode" reads as it stands.
class Journal {
public:
    Journal() = default;
    ~Journal();
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    // Opens the journal for appending, creating it when it is missing. A last line that a crash left
    // unfinished (no LF) is cut off first (DroppedBytes() says how much). On failure returns false and
    // says why.
    // With lockHolder, the journal is first locked for this process alone (a record lock, which the
    // system lifts when the process ends however it ends); a journal another live process holds is
    // refused, and *lockHolder is that process's id (0 when the system does not say).
    bool Open(const QString& path, QString* error, long* lockHolder = nullptr);
    bool IsOpen() const { return m_fd >= 0; }
    int Fd() const { return m_fd; }
    std::uint64_t DroppedBytes() const { return m_dropped; }
    const QString& Path() const { return m_path; }

    // Adds a line to what the next Flush writes.
    void Append(std::string_view line);
    // Writes what was appended in one write; with sync, also waits until it is on the disk. On failure
    // returns false and says why; the journal then holds only whole lines written before.
    bool Flush(bool sync, QString* error);
    bool HasPending() const { return !m_pending.empty(); }
    std::size_t PendingBytes() const { return m_pending.size(); }
    std::uint64_t PendingLines() const { return m_pendingLines; }

    // Bytes and lines on disk: always whole lines.
    std::uint64_t Size() const { return m_size; }
    std::uint64_t Lines() const { return m_lines; }

    // Deletes the journal's file and closes it (in that order, so that a lock is held until the file is
    // gone): what it held is safe elsewhere, or not wanted.
    void Remove();

private:
    void Close();
    bool Lock(long* holder, QString* error);

    QString m_path;
    int m_fd = -1;
    std::string m_pending;
    std::uint64_t m_pendingLines = 0;
    std::uint64_t m_size = 0;
    std::uint64_t m_lines = 0;
    std::uint64_t m_synced = 0; // bytes known to be on the disk
    std::uint64_t m_dropped = 0;
};

// The lines of a journal file, newest first, as the capture list holds them; nullopt when it cannot
// be read. An unfinished last line is left out.
std::optional<CaptureLines> ReadJournal(const QString& path);

// Writes a capture file from the first journalSize bytes of a journal (whole lines): FormatText, then the
// lines newest first. The journal is read backwards a block at a time, so memory stays flat however long
// the recording; the file is replaced in one step, or left as it was on failure (then error says why).
bool WriteCaptureFileFromJournal(const QString& journalPath, std::uint64_t journalSize,
                                 const QString& outPath, std::string_view formatText, QString* error);
// The same from a journal's open descriptor. A locked journal must be read this way: closing another
// descriptor of the file would lift the process's lock on it.
bool WriteCaptureFileFromJournal(int journalFd, std::uint64_t journalSize, const QString& outPath,
                                 std::string_view formatText, QString* error);

// The operating system's reason for the last failure (errno), as text.
QString SystemReason(int errorNumber);
