#pragma once

#include "link/Journal.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <atomic>
#include <memory>
#include <optional>
#include <string_view>
#include <thread>
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

    // A line recorded since the last retirement; on disk within kFlushMs. listLines: the lines the list
    // keeps. The journal keeps the list's lines and not many more: when it reaches about twice as many,
    // a worker copies its newest lines to a new file that then takes its place.
    void Add(std::string_view line, std::size_t listLines);
    // The journal anew from what the list holds (after a restore), synced before anything is removed.
    void Rewrite(const CaptureLines& lines, std::size_t listLines);
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
    // A leftover's lines, newest first, as many as its list held; nullopt when it cannot be read. The
    // leftover stays until Discard, once its lines are safe in this window's journal (Rewrite).
    static std::optional<CaptureLines> Read(const Leftover& leftover);
    // Counts restored lines as unsaved.
    void AddUnsaved(qint64 lines) { m_unsaved += lines; }
    // Deletes a leftover the operator does not want.
    static void Discard(const Leftover& leftover);

private:
    bool EnsureOpen();
    void StartCompaction();
    void FinishCompaction(quint64 generation);
    void StopCompaction();
    void Replace(const QString& newFile);

    Journal m_journal;
    std::unique_ptr<QLockFile> m_lock;
    QTimer m_flushTimer;
    qint64 m_unsaved = 0;
    bool m_failed = false;  // the folder cannot be written: the window goes on without a journal
    std::size_t m_keep = 0; // the list's lines, in the journal's name so that a restore takes as many
    std::thread m_worker;
    std::atomic<bool> m_compacted{false};
    bool m_compacting = false;
    std::uint64_t m_compactFrom = 0; // the journal's size when the worker took it
    quint64 m_generation = 0;        // a retirement makes a compaction under way moot
};
