#include "cli/Recorder.h"

#include "cli/CommandLine.h"
#include "cli/ExitStatus.h"
#include "common/WriteAll.h"
#include "link/CaptureFileIO.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

constexpr std::string_view kCommand = "record";
// The file is rewritten whole (newest line first), so saves are spaced out; with this spacing it is at
// most half a second plus one save behind the last arrival.
constexpr int kSaveSpacingMs = 500;

} // namespace

Recorder::Recorder(const Settings& settings, QObject* parent)
    : QObject(parent), m_settings(settings), m_formatText(CurrentFormatText().toStdString()) {
    m_saveTimer.setSingleShot(true);
    connect(&m_saveTimer, &QTimer::timeout, this, &Recorder::Save);
    m_link.SetLocalPort(settings.port);
    connect(&m_link, &TcpLink::ConnectionRequest, this, &Recorder::OnConnectionRequest);
    connect(&m_link, &TcpLink::DataArrival, this, &Recorder::OnDataArrival);
    connect(&m_link, &TcpLink::PeerClose, this, &Recorder::OnPeerClose);
}

bool Recorder::Start() {
    if (!m_settings.outPath.isEmpty() && !Save())
        return false;
    return Listen();
}

bool Recorder::Listen() {
    TcpLink::ListenError error;
    if (m_link.Listen(&error)) {
        PrintError(kCommand, "listening on port " + std::to_string(m_link.LocalPort()));
        return true;
    }
    if (error.inUse)
        PrintError(kCommand, "port " + std::to_string(m_settings.port) + " is already in use");
    else
        PrintError(kCommand, "cannot listen on port " + std::to_string(m_settings.port) + ": " +
                                 error.reason.toStdString());
    return false;
}

void Recorder::OnConnectionRequest() {
    // Like the window: one peer at a time; accepting closes the listener, so further clients are refused.
    if (!m_link.Accept())
        return;
    m_peerName = m_link.RemoteName();
    PrintError(kCommand, "connection from " + m_peerName.toStdString());
}

void Recorder::OnDataArrival(qint64 bytesTotal) {
    Record(m_link.GetData(bytesTotal));
}

void Recorder::OnPeerClose() {
    PrintError(kCommand, "disconnection from " + m_peerName.toStdString());
    m_peerName.clear();
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
    if (const int error = m_outputFailed ? 0 : WriteAll(STDOUT_FILENO, line + '\n'); error != 0) {
        m_outputFailed = true;
        PrintError(kCommand, std::string("cannot write to standard output: ") + std::strerror(error));
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
    if (!m_peerName.isEmpty()) {
        // What the connection still holds is recorded before it is dropped.
        m_link.ReadWaiting();
        PrintError(kCommand, "stopped; closing the connection from " + m_peerName.toStdString());
    }
    m_link.Close();
    Finish(kExitOk);
}

void Recorder::Finish(int exitStatus) {
    if (m_finished)
        return;
    m_finished = true;
    m_link.Close();
    m_saveTimer.stop();
    if (!m_settings.outPath.isEmpty() && !Save())
        exitStatus = kExitUsage;
    emit finished(exitStatus);
}
