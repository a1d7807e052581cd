#pragma once

#include "link/LinkHistory.h"
#include "link/TcpLink.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

// The elevator side's session on the link, without widgets, shared by the window and `record`: the
// listener and its one connection, the state, the peer, how long it has been connected and quiet,
// the silence alarm, listening again after the peer leaves, and the history of it all. Every change
// is announced by a signal; owners draw or print what they need.
class LinkSession : public QObject {
    Q_OBJECT

public:
    // The values are the window's connect states (lblConnect's looks, in this order).
    enum class State { Disconnected = 0, Listening = 1, Connected = 2 };
    // How often the quiet time is looked at while connected.
    static constexpr int kSilenceTickMs = 250;

    explicit LinkSession(QObject* parent = nullptr);

    TcpLink& Link() { return m_link; }
    const TcpLink& Link() const { return m_link; }
    State CurrentState() const { return m_state; }
    // "address:port" of the peer of the connection in progress (or of the last one).
    const QString& PeerName() const { return m_peerName; }
    const LinkHistory& History() const { return m_history; }

    // After the peer closes: listen again by itself instead of ending in Disconnected.
    void SetListenAgain(bool on) { m_listenAgain = on; }
    // The silence alarm's limit in seconds; 0 turns it off.
    void SetSilenceSeconds(int seconds);

    // Listens for a client; false, with the reason, when the port cannot be had.
    bool Start(TcpLink::ListenError* error = nullptr);
    // The operator's Stop: what the connection still holds is taken first, then it is dropped.
    void Stop();

    bool Silent() const { return m_silent; }
    qint64 SinceBytesMs() const { return m_sinceBytes.isValid() ? m_sinceBytes.elapsed() : 0; }
    // When the last bytes arrived, ms since the epoch; 0 before any on this connection.
    qint64 LastArrivalMs() const { return m_lastArrivalMs; }

signals:
    void StateChanged(LinkSession::State state);
    void BytesArrived(const QByteArray& bytes, qint64 arrivedMs);
    void EventAdded(const LinkEvent& event);
    // Listening again after a peer left failed: the session is Disconnected.
    void ListenAgainFailed(const TcpLink::ListenError& error);
    // While connected, every kSilenceTickMs: the quiet time has grown.
    void Tick();

private:
    void SetState(State state);
    void Add(LinkEvent::Kind kind, qint64 durationMs = -1, const QString& peer = {});
    void Close();
    void OnConnectionRequest();
    void OnDataArrival(qint64 bytesTotal);
    void OnPeerClose();
    void CheckSilence();

    TcpLink m_link;
    State m_state = State::Disconnected;
    LinkHistory m_history;
    QString m_peerName;
    bool m_listenAgain = false;
    int m_silenceSeconds = 0;
    QElapsedTimer m_connectedFor; // since the connection was accepted
    QElapsedTimer m_sinceBytes;   // since the last bytes arrived (or the connection, before any)
    qint64 m_lastArrivalMs = 0;
    bool m_silent = false;
    QTimer m_silenceTick;
};
