#pragma once

#include "link/Journal.h"
#include "link/LinkSession.h"
#include "link/LocalClock.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <string>
#include <thread>

// The window's receive path without the window: listens, takes one connection at a time and turns every
// read into capture lines on standard output and, optionally, in a capture file kept up to date.
//
// With a file, every line goes first to an append-only journal beside it (FILE.journal, oldest first),
// then to standard output, so a kill at any moment loses nothing printed. FILE itself, newest line first,
// is rewritten from the journal on a thread of its own, spaced so that rewriting takes a small, fixed
// share of the time however long the recording grows; nothing of the recording is held in memory.
class Recorder : public QObject {
    Q_OBJECT

public:
    struct Settings {
        quint16 port = 60173;
        QString outPath; // empty: standard output only
        bool once = false;
        int silenceSeconds = 0; // 0: no silence alarm
    };

    explicit Recorder(const Settings& settings, QObject* parent = nullptr);
    ~Recorder() override;

    // Starts listening, then opens the journal and writes the file; false (with the message printed) on
    // failure. The file is not touched before listening has succeeded.
    bool Start();
    // Takes what the connection still holds, completes the file and finishes.
    void Stop();

    static QString JournalPath(const QString& outPath) { return outPath + QStringLiteral(".journal"); }

signals:
    void finished(int exitStatus);

private:
    void OnEvent(const LinkEvent& event);
    void OnStateChanged(LinkSession::State state);
    bool Listen();
    void ReportListenError(const TcpLink::ListenError& error);
    bool OpenFile();
    void Record(const QByteArray& bytes);
    void ScheduleRewrite();
    void StartRewrite();
    void OnRewriteDone(bool ok, QString error, qint64 elapsedMs);
    void WaitForRewrite();
    bool RewriteNow();
    void ReportFileError(bool ok, const QString& error);
    void Finish(int exitStatus);

    Settings m_settings;
    LocalClock m_clock;
    std::string m_formatText;
    LinkSession m_session;

    Journal m_journal;
    std::thread m_rewriter;
    bool m_rewriting = false;
    std::uint64_t m_rewrittenSize = 0; // journal bytes the file holds
    QTimer m_rewriteTimer;
    QElapsedTimer m_sinceRewrite;
    qint64 m_lastRewriteMs = 0;
    bool m_fileFailed = false;
    bool m_listening = false; // started: lines may be recorded from here on
    bool m_outputFailed = false;
    bool m_finished = false;
};
