#pragma once

#include "capture/CaptureLine.h"
#include "link/LocalClock.h"

#include "link/TcpLink.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <string>

// The window's receive path without the window: listens, takes one connection at a time and turns every
// read into a capture line on standard output and, optionally, in a capture file kept up to date.
class Recorder : public QObject {
    Q_OBJECT

public:
    struct Settings {
        quint16 port = 60173;
        QString outPath; // empty: standard output only
        bool once = false;
    };

    explicit Recorder(const Settings& settings, QObject* parent = nullptr);

    // Writes the empty capture file and starts listening; false (with the message printed) on failure.
    bool Start();
    // Takes what the connection still holds, completes the file and finishes.
    void Stop();

signals:
    void finished(int exitStatus);

private:
    void OnConnectionRequest();
    void OnDataArrival(qint64 bytesTotal);
    void OnPeerClose();
    bool Listen();
    void Record(const QByteArray& bytes);
    void ScheduleSave();
    bool Save();
    void Finish(int exitStatus);

    Settings m_settings;
    LocalClock m_clock;
    std::string m_formatText;
    TcpLink m_link;
    QString m_peerName; // empty while no peer is connected
    CaptureLines m_lines;
    QTimer m_saveTimer;
    QElapsedTimer m_sinceSave;
    bool m_saveFailed = false;
    bool m_outputFailed = false;
    bool m_finished = false;
};
