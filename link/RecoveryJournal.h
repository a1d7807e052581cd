#pragma once

#include "link/Journal.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>
#include <optional>
#include <string_view>
#include <vector>

class QLockFile;

// The window's safety net: every line it records reaches a journal in the application's data folder
// within a second (written and synced to the disk), so a crash, a kill or a power cut costs nothing the
// operator had not saved. Saving, clearing, loading or a normal exit retire it. Each running window has
// a journal of its own, held by a lock file; a journal whose lock is stale was left by a window that
// ended without retiring it, and the next start offers its lines back.
class RecoveryJournal : public QObject {
    Q_OBJECT

public:
    static constexpr int kFlushMs = 500;

    explicit RecoveryJournal(QObject* parent = nullptr);
    // An orderly end: the journal is retired.
    ~RecoveryJournal() override;

    // Journals are kept here (QStandardPaths::AppDataLocation).
    static QString Folder();

    // A line recorded since the last retirement; on disk within kFlushMs.
    void Add(std::string_view line);
    // Writes what is pending now and syncs it.
    void Flush();
    // The lines are safe elsewhere, or not wanted: the journal is deleted.
    void Retire();
    // Lines recorded (or restored) since the last retirement: what Exit or Clear would lose.
    qint64 Unsaved() const { return m_unsaved; }

    struct Leftover {
        QString path;
        qint64 lines = 0;
    };
    // Journals of windows that ended without retiring them.
    std::vector<Leftover> FindLeftovers() const;
    // Takes a leftover's lines into this window's journal (they are still unsaved) and returns them,
    // newest first; nullopt when it cannot be read.
    std::optional<CaptureLines> Restore(const Leftover& leftover);
    // Deletes a leftover the operator does not want.
    static void Discard(const Leftover& leftover);

private:
    bool EnsureOpen();

    Journal m_journal;
    std::unique_ptr<QLockFile> m_lock;
    QTimer m_flushTimer;
    qint64 m_unsaved = 0;
    bool m_failed = false; // the folder cannot be written: the window goes on without a journal
};
