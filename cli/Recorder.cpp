#include "cli/Recorder.h"

#include "capture/CaptureLine.h"
#include "cli/CommandLine.h"
#include "cli/ExitStatus.h"
#include "common/WriteAll.h"
#include "link/CaptureFileIO.h"
#include "link/LinkHistory.h"

#include <QFileInfo>

#include <algorithm>
#include <cstring>
#include <unistd.h>

namespace {

constexpr std::string_view kCommand = "record";
// The file follows the arrivals at most this far behind while the recording is short...
constexpr qint64 kRewriteSpacingMs = 500;
// ...and a long one is rewritten after at least this many times its last rewrite took, so rewriting
// costs at most a fortieth of the time (and of a core) whatever the file's size.
constexpr qint64 kRewriteShare = 40;

std::string Text(const QString& text) {
    return text.toStdString();
}

} // namespace

Recorder::Recorder(const Settings& settings, QObject* parent)
    : QObject(parent), m_settings(settings), m_formatText(CurrentFormatText().toStdString()) {
    m_rewriteTimer.setSingleShot(true);
    connect(&m_rewriteTimer, &QTimer::timeout, this, &Recorder::StartRewrite);
    m_session.Link().SetLocalPort(settings.port);
    m_session.SetSilenceSeconds(settings.silenceSeconds);
    // Like the window: one peer at a time; after it leaves, the next one unless --once.
    m_session.SetListenAgain(!settings.once);
    connect(&m_session, &LinkSession::EventAdded, this, &Recorder::OnEvent);
    connect(&m_session, &LinkSession::StateChanged, this, &Recorder::OnStateChanged);
    connect(&m_session, &LinkSession::BytesArrived, this, [this](const QByteArray& bytes) { Record(bytes); });
    connect(&m_session, &LinkSession::ListenAgainFailed, this, [this](const TcpLink::ListenError& error) {
        ReportListenError(error);
        Finish(kExitUsage);
    });
}

// What happens on the link goes to standard error as it happens.
void Recorder::OnEvent(const LinkEvent& event) {
    const std::string peer = Text(event.peer);
    const std::string lasted = Text(FormatDuration(event.durationMs));
    switch (event.kind) {
    case LinkEvent::Kind::Connected:
        PrintError(kCommand, "connection from " + peer);
        break;
    case LinkEvent::Kind::PeerClosed:
        PrintError(kCommand, "disconnection from " + peer + " after " + lasted);
        break;
    case LinkEvent::Kind::Stopped:
        PrintError(kCommand, "stopped; closing the connection from " + peer);
        break;
    case LinkEvent::Kind::Silent:
        PrintError(kCommand, "silence: no bytes from " + peer + " for " + lasted);
        break;
    case LinkEvent::Kind::Resumed:
        PrintError(kCommand, "bytes from " + peer + " again after " + lasted + " of silence");
        break;
    case LinkEvent::Kind::Refused:
        break;
    }
}

// With --once, the peer's leaving ends the recording.
void Recorder::OnStateChanged(LinkSession::State state) {
    if (m_settings.once && state == LinkSession::State::Disconnected && m_listening && !m_finished)
        Finish(kExitOk);
}

Recorder::~Recorder() {
    WaitForRewrite();
}

bool Recorder::Start() {
    // A named pipe or a device given as the file is refused before anything is opened or created.
    if (const QString reason = NotRegularFileReason(m_settings.outPath);
        !m_settings.outPath.isEmpty() && !reason.isEmpty()) {
        PrintError(kCommand, "cannot write " + Text(m_settings.outPath) + ": " + Text(reason));
        return false;
    }
    if (!Listen() || !OpenFile())
        return false;
    // Said once, when the file is ready: a port chosen by the system stays the same for every later
    // connection.
    m_listening = true;
    PrintError(kCommand, "listening on port " + std::to_string(m_session.Link().LocalPort()));
    return true;
}

bool Recorder::OpenFile() {
    if (m_settings.outPath.isEmpty())
        return true;
    const QString journalPath = JournalPath(m_settings.outPath);
    const bool leftOver = QFileInfo::exists(journalPath);
    QString error;
    long holder = -1;
    // Locked while this recorder runs: a second recorder of the same file is refused, not merged in.
    if (!m_journal.Open(journalPath, &error, &holder)) {
        if (holder >= 0)
            PrintError(kCommand, "another recorder is writing " + Text(m_settings.outPath) + ": " +
                                     Text(journalPath) + ": " + Text(error));
        else
            PrintError(kCommand, "cannot write " + Text(journalPath) + ": " + Text(error));
        m_session.Link().Close();
        return false;
    }
    if (m_journal.DroppedBytes() > 0)
        PrintError(kCommand, "the last line of " + Text(journalPath) + " was cut short by the kill (" +
                                 std::to_string(m_journal.DroppedBytes()) + " bytes, no line end); dropped");
    // A journal whose recorder is gone (its lock went with it) is the recording it was making: go on.
    if (leftOver && m_journal.Lines() > 0)
        PrintError(kCommand, "going on with the " + std::to_string(m_journal.Lines()) +
                                 " lines of an interrupted recording in " + Text(journalPath));
    if (!RewriteNow()) {
        m_session.Link().Close();
        if (!leftOver)
            m_journal.Remove();
        return false;
    }
    return true;
}

bool Recorder::Listen() {
    TcpLink::ListenError error;
    if (m_session.Start(&error))
        return true;
    ReportListenError(error);
    return false;
}

void Recorder::ReportListenError(const TcpLink::ListenError& error) {
    const std::string port = std::to_string(m_session.Link().LocalPort());
    if (error.inUse)
        PrintError(kCommand, "port " + port + " is already in use");
    else
        PrintError(kCommand, "cannot listen on port " + port + ": " + Text(error.reason));
}

void Recorder::Record(const QByteArray& bytes) {
    std::string printed;
    ForEachCaptureLine(m_clock.Prefix(), reinterpret_cast<const std::uint8_t*>(bytes.data()),
                       static_cast<std::size_t>(bytes.size()), [&](const std::string& line) {
                           if (m_journal.IsOpen())
                               m_journal.Append(line);
                           printed += line;
                           printed += '\n';
                       });
    // The journal first: a line on standard output is always in the journal already.
    if (m_journal.IsOpen()) {
        QString error;
        if (!m_journal.Flush(false, &error)) {
            PrintError(kCommand, "cannot write " + Text(m_journal.Path()) + ": " + Text(error));
            Finish(kExitUsage);
            return;
        }
        ScheduleRewrite();
    }
    if (const int error = m_outputFailed ? 0 : WriteAll(STDOUT_FILENO, printed); error != 0) {
        m_outputFailed = true;
        PrintError(kCommand, std::string("cannot write to standard output: ") + std::strerror(error));
        // Nobody reads what arrives any more (record | head -1): the file is completed, and the status
        // tells the script that the recording was cut short.
        Finish(kExitUsage);
    }
}

void Recorder::ScheduleRewrite() {
    if (m_rewriting || m_rewriteTimer.isActive())
        return;
    const qint64 spacing = std::max(kRewriteSpacingMs, kRewriteShare * m_lastRewriteMs);
    m_rewriteTimer.start(static_cast<int>(std::max<qint64>(0, spacing - m_sinceRewrite.elapsed())));
}

void Recorder::StartRewrite() {
    if (m_rewriting || m_journal.Size() == m_rewrittenSize)
        return;
    m_rewriting = true;
    const std::uint64_t size = m_journal.Size();
    m_rewriter =
        std::thread([this, size, journal = m_journal.Fd(), out = m_settings.outPath, format = m_formatText] {
            QElapsedTimer clock;
            clock.start();
            QString error;
            const bool ok = WriteCaptureFileFromJournal(journal, size, out, format, &error);
            const qint64 elapsed = clock.elapsed();
            QMetaObject::invokeMethod(
                this,
                [this, ok, error, elapsed, size] {
                    if (ok)
                        m_rewrittenSize = size;
                    OnRewriteDone(ok, error, elapsed);
                },
                Qt::QueuedConnection);
        });
}

void Recorder::OnRewriteDone(bool ok, QString error, qint64 elapsedMs) {
    if (m_rewriter.joinable())
        m_rewriter.join();
    m_rewriting = false;
    m_lastRewriteMs = elapsedMs;
    m_sinceRewrite.start();
    ReportFileError(ok, error);
    if (!m_finished && m_journal.Size() != m_rewrittenSize)
        ScheduleRewrite();
}

void Recorder::WaitForRewrite() {
    if (m_rewriter.joinable())
        m_rewriter.join();
    m_rewriting = false;
}

bool Recorder::RewriteNow() {
    WaitForRewrite();
    QString error;
    const bool ok = WriteCaptureFileFromJournal(m_journal.Fd(), m_journal.Size(), m_settings.outPath,
                                                m_formatText, &error);
    if (ok)
        m_rewrittenSize = m_journal.Size();
    m_sinceRewrite.start();
    ReportFileError(ok, error);
    return ok;
}

void Recorder::ReportFileError(bool ok, const QString& error) {
    // Before listening has begun nothing is recorded yet, so there is nothing the journal keeps.
    if (!ok && !m_fileFailed)
        PrintError(kCommand, "cannot write " + Text(m_settings.outPath) + ": " + Text(error) +
                                 (m_listening ? " (every line is kept in " + Text(m_journal.Path()) + ")"
                                              : std::string()));
    else if (ok && m_fileFailed)
        PrintError(kCommand, "writing " + Text(m_settings.outPath) + " again");
    m_fileFailed = !ok;
}

void Recorder::Stop() {
    // What the connection still holds is recorded before it is dropped.
    m_session.Stop();
    Finish(kExitOk);
}

void Recorder::Finish(int exitStatus) {
    if (m_finished)
        return;
    m_finished = true;
    m_session.Link().Close();
    m_rewriteTimer.stop();
    if (m_journal.IsOpen()) {
        // The file complete: the journal has done its work. Kept when the file could not be written.
        if (RewriteNow())
            m_journal.Remove();
        else
            exitStatus = kExitUsage;
    }
    emit finished(exitStatus);
}
