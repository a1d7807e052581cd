#pragma once

#include <QString>

#include <cstdint>
#include <string_view>

class CaptureLines;

// The pieces of keeping a recovery journal as long as the list it backs. Each writes a new file beside
// the journal and syncs it; the journal is only ever replaced by a rename, so a crash at any moment
// leaves either the old journal or the new one, never a part.

// Copies the last `lines` whole lines of the journal's first `size` bytes into a new file `to`. Runs on
// a worker: it opens the journal for reading on its own. False (and `to` removed) on any failure.
bool CopyJournalTail(const QString& from, std::uint64_t size, std::uint64_t lines, const QString& to);
// Appends bytes [begin, end) of an open journal to the file `to` and syncs it.
bool AppendJournalRange(int fromFd, std::uint64_t begin, std::uint64_t end, const QString& to);
// Writes the lines (newest first, as the list holds them) oldest first into a new file `to`, synced.
bool WriteJournalLines(const CaptureLines& lines, const QString& to);
