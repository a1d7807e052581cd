#include "link/RecoveryJournal.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QStandardPaths>

namespace {

const QString kPrefix = QStringLiteral("recovery-");
const QString kJournalSuffix = QStringLiteral(".journal");
const QString kLockSuffix = QStringLiteral(".lock");
constexpr std::size_t kMostPending = std::size_t{1} << 20;

QString JournalPathOf(const QString& id) {
    return RecoveryJournal::Folder() + u'/' + kPrefix + id + kJournalSuffix;
}

QString LockPathOf(const QString& journalPath) {
    return journalPath.left(journalPath.size() - kJournalSuffix.size()) + kLockSuffix;
}

} // namespace

RecoveryJournal::RecoveryJournal(QObject* parent) : QObject(parent) {
    m_flushTimer.setSingleShot(true);
    m_flushTimer.setInterval(kFlushMs);
    connect(&m_flushTimer, &QTimer::timeout, this, &RecoveryJournal::Flush);
}

RecoveryJournal::~RecoveryJournal() {
    Retire();
}

QString RecoveryJournal::Folder() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

bool RecoveryJournal::EnsureOpen() {
    if (m_journal.IsOpen())
        return true;
    if (m_failed)
        return false;
    const QString path = JournalPathOf(QString::number(QCoreApplication::applicationPid()));
    auto lock = std::make_unique<QLockFile>(LockPathOf(path));
    m_failed = !QDir().mkpath(Folder()) || !lock->tryLock(0) || !m_journal.Open(path, nullptr);
    if (!m_failed)
        m_lock = std::move(lock);
    return !m_failed;
}

void RecoveryJournal::Add(std::string_view line) {
    ++m_unsaved;
    if (!EnsureOpen())
        return;
    m_journal.Append(line);
    // A flood is written as it comes rather than held: memory stays bounded, and the sync waits.
    if (m_journal.PendingBytes() >= kMostPending)
        m_journal.Flush(false, nullptr);
    if (!m_flushTimer.isActive())
        m_flushTimer.start();
}

void RecoveryJournal::Flush() {
    m_flushTimer.stop();
    if (m_journal.IsOpen())
        m_journal.Flush(true, nullptr);
}

void RecoveryJournal::Retire() {
    m_flushTimer.stop();
    m_journal.Remove();
    m_lock.reset();
    m_unsaved = 0;
}

std::vector<RecoveryJournal::Leftover> RecoveryJournal::FindLeftovers() const {
    std::vector<Leftover> found;
    const QString own = m_journal.IsOpen() ? m_journal.Path() : QString();
    const QDir folder(Folder());
    const QStringList names =
        folder.entryList({kPrefix + u'*' + kJournalSuffix}, QDir::Files, QDir::Time | QDir::Reversed);
    for (const QString& name : names) {
        const QString path = folder.filePath(name);
        if (path == own)
            continue;
        // A window that still runs holds its lock; a lock whose process is gone is stale and taken.
        QLockFile lock(LockPathOf(path));
        if (!lock.tryLock(0))
            continue;
        Journal journal;
        if (journal.Open(path, nullptr) && journal.Lines() > 0)
            found.push_back({path, static_cast<qint64>(journal.Lines())});
        else
            QFile::remove(path);
    }
    return found;
}

std::optional<CaptureLines> RecoveryJournal::Restore(const Leftover& leftover) {
    std::optional<CaptureLines> lines = ReadJournal(leftover.path);
    if (!lines)
        return std::nullopt;
    // Oldest first into this window's journal, so a second crash loses none of them either.
    if (EnsureOpen()) {
        for (auto it = lines->size(); it > 0; --it)
            m_journal.Append((*lines)[it - 1]);
        m_journal.Flush(true, nullptr);
    }
    m_unsaved += static_cast<qint64>(lines->size());
    QFile::remove(leftover.path);
    return lines;
}

void RecoveryJournal::Discard(const Leftover& leftover) {
    QFile::remove(leftover.path);
}
