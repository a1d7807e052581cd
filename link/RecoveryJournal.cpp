#include "link/RecoveryJournal.h"

#include "capture/CaptureLine.h"
#include "link/JournalCompaction.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QRegularExpression>
#include <QStandardPaths>

namespace {

const QString kPrefix = QStringLiteral("recovery-");
const QString kJournalSuffix = QStringLiteral(".journal");
const QString kLockSuffix = QStringLiteral(".lock");
constexpr std::size_t kMostPending = std::size_t{1} << 20;

// "recovery-PID-KEEP.journal": KEEP is how many lines the list held.
QString JournalPathOf(const QString& id, std::size_t keep) {
    return RecoveryJournal::Folder() + u'/' + kPrefix + id + u'-' + QString::number(keep) + kJournalSuffix;
}

// 0 (all) for a journal named without it.
std::size_t KeepOf(const QString& journalPath) {
    static const QRegularExpression keep(QStringLiteral("-(\\d+)\\.journal$"));
    const QRegularExpressionMatch match = keep.match(journalPath);
    return match.hasMatch() ? match.captured(1).toULongLong() : 0;
}

// One lock a window, whatever its journal's name says about the list.
QString LockPathOf(const QString& journalPath) {
    const QString base = journalPath.left(journalPath.size() - kJournalSuffix.size());
    const QString name = base.mid(base.lastIndexOf(u'/') + 1);
    // "recovery-PID" or "recovery-PID-KEEP"
    return name.count(u'-') >= 2 ? base.left(base.lastIndexOf(u'-')) + kLockSuffix : base + kLockSuffix;
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
    const QString path = JournalPathOf(QString::number(QCoreApplication::applicationPid()), m_keep);
    auto lock = std::make_unique<QLockFile>(LockPathOf(path));
    m_failed = !QDir().mkpath(Folder()) || !lock->tryLock(0) || !m_journal.Open(path, nullptr);
    if (!m_failed)
        m_lock = std::move(lock);
    return !m_failed;
}

void RecoveryJournal::Add(std::string_view line, std::size_t listLines) {
    ++m_unsaved;
    if (!m_journal.IsOpen())
        m_keep = std::max(listLines, kMaxLines);
    if (!EnsureOpen())
        return;
    m_journal.Append(line);
    // A flood is written as it comes rather than held: memory stays bounded, and the sync waits.
    if (m_journal.PendingBytes() >= kMostPending)
        m_journal.Flush(false, nullptr);
    if (!m_flushTimer.isActive())
        m_flushTimer.start();
    if (!m_compacting && m_journal.Lines() + m_journal.PendingLines() >= 2 * m_keep)
        StartCompaction();
}

void RecoveryJournal::StartCompaction() {
    if (!m_journal.Flush(false, nullptr))
        return;
    m_compacting = true;
    m_compacted = false;
    m_compactFrom = m_journal.Size();
    const quint64 generation = m_generation;
    const QString from = m_journal.Path();
    m_worker = std::thread([this, from, size = m_compactFrom, keep = m_keep, generation] {
        m_compacted = CopyJournalTail(from, size, keep, from + QStringLiteral(".new"));
        QMetaObject::invokeMethod(
            this, [this, generation] { FinishCompaction(generation); }, Qt::QueuedConnection);
    });
}

void RecoveryJournal::FinishCompaction(quint64 generation) {
    if (generation != m_generation || !m_compacting)
        return;
    m_worker.join();
    m_compacting = false;
    const QString next = m_journal.Path() + QStringLiteral(".new");
    // The lines that came while the worker copied, then the swap: the old journal held them all until now.
    if (!m_compacted || !m_journal.Flush(false, nullptr) ||
        !AppendJournalRange(m_journal.Fd(), m_compactFrom, m_journal.Size(), next)) {
        QFile::remove(next);
        return;
    }
    Replace(next);
}

void RecoveryJournal::Replace(const QString& newFile) {
    const QString path = m_journal.Path();
    // rename() replaces the journal in one step; a crash before it leaves the old journal whole.
    if (::rename(QFile::encodeName(newFile).constData(), QFile::encodeName(path).constData()) != 0) {
        QFile::remove(newFile);
        return;
    }
    if (!m_journal.Open(path, nullptr))
        m_failed = true;
}

void RecoveryJournal::StopCompaction() {
    ++m_generation;
    if (m_worker.joinable())
        m_worker.join();
    if (m_compacting)
        QFile::remove(m_journal.Path() + QStringLiteral(".new"));
    m_compacting = false;
}

void RecoveryJournal::Rewrite(const CaptureLines& lines, std::size_t listLines) {
    StopCompaction();
    const std::size_t keep = std::max(listLines, kMaxLines);
    if (!m_journal.IsOpen()) {
        m_keep = keep;
        if (!EnsureOpen())
            return;
    }
    const QString old = m_journal.Path();
    const QString path = JournalPathOf(QString::number(QCoreApplication::applicationPid()), keep);
    const QString next = path + QStringLiteral(".new");
    if (!WriteJournalLines(lines, next))
        return; // the old journal and the leftover stay: nothing is lost, some lines may come twice
    m_keep = keep;
    if (path == old) {
        Replace(next);
        return;
    }
    m_journal.Remove();
    if (::rename(QFile::encodeName(next).constData(), QFile::encodeName(path).constData()) != 0 ||
        !m_journal.Open(path, nullptr))
        m_failed = true;
}

void RecoveryJournal::Flush() {
    m_flushTimer.stop();
    if (m_journal.IsOpen())
        m_journal.Flush(true, nullptr);
}

void RecoveryJournal::Retire() {
    StopCompaction();
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
            found.push_back({path, static_cast<qint64>(KeepOf(path) > 0 ? std::min<std::uint64_t>(
                                                                              journal.Lines(), KeepOf(path))
                                                                        : journal.Lines())});
        else
            QFile::remove(path);
    }
    return found;
}

std::optional<CaptureLines> RecoveryJournal::Read(const Leftover& leftover) {
    std::optional<CaptureLines> lines = ReadJournal(leftover.path);
    // The journal may hold up to twice what its list did: the list's lines are the newest.
    if (const std::size_t keep = KeepOf(leftover.path); lines && keep > 0)
        while (lines->size() > keep)
            lines->pop_back();
    return lines;
}

void RecoveryJournal::Discard(const Leftover& leftover) {
    QFile::remove(leftover.path);
}
