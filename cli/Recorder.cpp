#include "cli/Recorder.h"

#include "capture/CaptureFileIO.h"
#include "cli/CommandLine.h"
#include "cli/ExitStatus.h"

#include <QHostAddress>
#include <QTcpSocket>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

constexpr std::string_view kCommand = "record";
// The file is rewritten whole (newest line first), so saves are spaced out; with this spacing it is at
// most half a second plus one save behind the last arrival.
constexpr int kSaveSpacingMs = 500;

QString PeerName(const QTcpSocket& socket) {
    QHostAddress address = socket.peerAddress();
    bool mapped = false;
    const quint32 v4 = address.toIPv4Address(&mapped); // an IPv4 client of the dual-stack listener
    if (mapped)
        address = QHostAddress(v4);
    return address.toString() + ':' + QString::number(socket.peerPort());
}

bool WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t written = ::write(fd, text.data() + done, text.size() - done);
        if (written > 0)
            done += static_cast<std::size_t>(written);
        else if (written == 0 || errno != EINTR)
            return false;
    }
    return true;
}

} // namespace

Recorder::Recorder(const Settings& settings, QObject* parent)
    : QObject(parent), m_settings(settings), m_formatText(CurrentFormatText().toStdString()) {
    m_saveTimer.setSingleShot(true);
    connect(&m_saveTimer, &QTimer::timeout, this, &Recorder::Save);
    connect(&m_server, &QTcpServer::newConnection, this, &Recorder::OnNewConnection);
}

bool Recorder::Start() {
    if (!m_settings.outPath.isEmpty() && !Save())
        return false;
    return Listen();
}

bool Recorder::Listen() {
    if (m_server.listen(QHostAddress::Any, m_settings.port)) {
        PrintError(kCommand, "listening on port " + std::to_string(m_server.serverPort()));
        return true;
    }
    if (m_server.serverError() == QAbstractSocket::AddressInUseError)
        PrintError(kCommand, "port " + std::to_string(m_settings.port) + " is already in use");
    else
        PrintError(kCommand, "cannot listen on port " + std::to_string(m_settings.port) + ": " +
                                 m_server.errorString().toStdString());
    return false;
}

void Recorder::OnNewConnection() {
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        if (m_peer) {
            // Queued by the system before the listener closed: refused like any further client.
            socket->abort();
            socket->deleteLater();
            continue;
        }
        // Like the window: one peer at a time, and further clients are refused rather than queued unseen.
        m_server.close();
        m_peer = socket;
        m_peerName = PeerName(*socket);
        PrintError(kCommand, "connection from " + m_peerName.toStdString());
        connect(socket, &QTcpSocket::readyRead, this, &Recorder::OnReadyRead);
        connect(socket, &QTcpSocket::disconnected, this, &Recorder::OnDisconnected);
        if (socket->bytesAvailable() > 0)
            OnReadyRead();
        if (socket->state() != QAbstractSocket::ConnectedState)
            OnDisconnected();
    }
}

void Recorder::OnReadyRead() {
    if (m_peer && m_peer->bytesAvailable() > 0)
        Record(m_peer->readAll());
}

void Recorder::OnDisconnected() {
    if (!m_peer)
        return; // close() below reports the disconnection a second time
    // A peer that sends and closes at once leaves its last bytes to be read here.
    OnReadyRead();
    QTcpSocket* peer = m_peer;
    m_peer = nullptr;
    peer->disconnect(this);
    peer->deleteLater();
    PrintError(kCommand, "disconnection from " + m_peerName.toStdString());
    if (m_finished)
        return;
    if (m_settings.once)
        Finish(m_saveFailed ? kExitUsage : kExitOk);
    else if (!Listen())
        Finish(kExitUsage);
}

void Recorder::Record(const QByteArray& bytes) {
    std::string line = MakeCaptureLine(m_clock.Prefix(), reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                       static_cast<std::size_t>(bytes.size()));
    if (!m_outputFailed && !WriteAll(STDOUT_FILENO, line + '\n')) {
        m_outputFailed = true;
        PrintError(kCommand, std::string("cannot write to standard output: ") + std::strerror(errno));
        if (m_settings.outPath.isEmpty()) {
            Finish(kExitUsage);
            return;
        }
    }
    if (!m_settings.outPath.isEmpty()) {
        m_lines.push_front(line);
        ScheduleSave();
    }
}

void Recorder::ScheduleSave() {
    if (m_saveTimer.isActive())
        return;
    const qint64 since = m_sinceSave.isValid() ? m_sinceSave.elapsed() : kSaveSpacingMs;
    m_saveTimer.start(static_cast<int>(std::max<qint64>(0, kSaveSpacingMs - since)));
}

bool Recorder::Save() {
    m_sinceSave.start();
    if (SaveCaptureFile(m_settings.outPath, m_formatText, m_lines)) {
        if (m_saveFailed)
            PrintError(kCommand, "writing " + m_settings.outPath.toStdString() + " again");
        m_saveFailed = false;
        return true;
    }
    if (!m_saveFailed)
        PrintError(kCommand,
                   "cannot write " + m_settings.outPath.toStdString() + " (the last good version stays)");
    m_saveFailed = true;
    return false;
}

void Recorder::Stop() {
    if (m_peer) {
        OnReadyRead();
        m_peer->disconnect(this);
        PrintError(kCommand, "stopped; closing the connection from " + m_peerName.toStdString());
        m_peer->abort();
        m_peer = nullptr;
    }
    Finish(kExitOk);
}

void Recorder::Finish(int exitStatus) {
    if (m_finished)
        return;
    m_finished = true;
    m_server.close();
    m_saveTimer.stop();
    if (!m_settings.outPath.isEmpty() && !Save())
        exitStatus = kExitUsage;
    emit finished(exitStatus);
}
