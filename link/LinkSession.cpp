#include "link/LinkSession.h"

#include <QDateTime>

LinkSession::LinkSession(QObject* parent) : QObject(parent), m_link(this) {
    connect(&m_link, &TcpLink::ConnectionRequest, this, &LinkSession::OnConnectionRequest);
    connect(&m_link, &TcpLink::DataArrival, this, &LinkSession::OnDataArrival);
    connect(&m_link, &TcpLink::PeerClose, this, &LinkSession::OnPeerClose);
    connect(&m_link, &TcpLink::Refused, this,
            [this](const QString& peer) { Add(LinkEvent::Kind::Refused, -1, peer); });
    m_silenceTick.setInterval(kSilenceTickMs);
    connect(&m_silenceTick, &QTimer::timeout, this, &LinkSession::CheckSilence);
}

void LinkSession::SetSilenceSeconds(int seconds) {
    m_silenceSeconds = seconds;
    CheckSilence();
}

bool LinkSession::Start(TcpLink::ListenError* error) {
    if (!m_link.Listen(error)) {
        SetState(State::Disconnected);
        return false;
    }
    SetState(State::Listening);
    return true;
}

void LinkSession::Stop() {
    if (m_state == State::Connected) {
        m_link.ReadWaiting();
        Add(LinkEvent::Kind::Stopped, m_connectedFor.elapsed());
    }
    Close();
}

void LinkSession::Close() {
    m_link.Close();
    m_silenceTick.stop();
    m_silent = false;
    SetState(State::Disconnected);
}

void LinkSession::SetState(State state) {
    m_state = state;
    emit StateChanged(state);
}

void LinkSession::Add(LinkEvent::Kind kind, qint64 durationMs, const QString& peer) {
    m_history.Add({QDateTime::currentDateTime(), kind, peer.isEmpty() ? m_peerName : peer, durationMs});
    emit EventAdded(m_history.Events().back());
}

void LinkSession::OnConnectionRequest() {
    if (!m_link.Accept())
        return;
    m_peerName = m_link.RemoteName();
    m_connectedFor.start();
    m_sinceBytes.start();
    m_lastArrivalMs = 0;
    m_silent = false;
    m_silenceTick.start();
    SetState(State::Connected);
    Add(LinkEvent::Kind::Connected);
}

void LinkSession::OnDataArrival(qint64 bytesTotal) {
    const QByteArray bytes = m_link.GetData(bytesTotal);
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (m_silent) {
        m_silent = false;
        Add(LinkEvent::Kind::Resumed, m_sinceBytes.elapsed());
    }
    m_sinceBytes.start();
    m_lastArrivalMs = now;
    emit BytesArrived(bytes, now);
}

void LinkSession::OnPeerClose() {
    if (m_state != State::Connected)
        return;
    Add(LinkEvent::Kind::PeerClosed, m_connectedFor.elapsed());
    if (!m_listenAgain) {
        Close();
        return;
    }
    // Unattended: back to listening for the next client, as if Start had been pressed.
    m_silenceTick.stop();
    m_silent = false;
    TcpLink::ListenError error;
    if (!Start(&error))
        emit ListenAgainFailed(error);
}

// The alarm goes on once the peer has been quiet for longer than the limit; the next bytes clear it.
void LinkSession::CheckSilence() {
    if (m_state != State::Connected)
        return;
    if (m_silenceSeconds > 0 && !m_silent && m_sinceBytes.elapsed() > m_silenceSeconds * qint64{1000}) {
        m_silent = true;
        Add(LinkEvent::Kind::Silent, m_sinceBytes.elapsed());
    }
    emit Tick();
}
