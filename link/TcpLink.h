#pragma once

#include <QObject>
#include <QString>
#include <QTcpServer>

class QTcpSocket;

// The elevator side's end of the link, shared by the window and the headless recorder: it listens on
// every IPv4 and IPv6 interface, takes one connection and receives; it never sends. It is first the
// listener and, once a connection request is accepted, the connection itself: accepting closes the
// listener, so a second client is refused until the owner listens again.
class TcpLink : public QObject {
    Q_OBJECT

public:
    explicit TcpLink(QObject* parent = nullptr);
    // Drops an open connection first: a link destroyed while connected would otherwise report a peer
    // close to an owner that is itself being destroyed.
    ~TcpLink() override;

    // Port 0 lets the system choose a free port on the first Listen; the port chosen is kept for
    // every later Listen, so a client can always find the link again.
    void SetLocalPort(quint16 port) { m_localPort = port; }
    quint16 LocalPort() const { return m_localPort; }
    // The host's primary IPv4 address as dotted decimal text.
    static QString LocalIP();

    struct ListenError {
        bool inUse = false; // another program holds the port
        QString reason;
    };
    // Listens on the local port on all interfaces; on failure returns false and says why.
    bool Listen(ListenError* error = nullptr);
    // Stops listening, or drops the open connection. A close we cause never raises PeerClose.
    void Close();
    // Takes the pending connection onto this object and stops listening. Bytes that came with the
    // connection, and a close that came with them, are reported at once.
    bool Accept();
    // While connected, go on listening so that a second client is seen: it is closed at once and
    // reported as Refused (without this, the system refuses it unseen, as the listener is closed).
    void SetWatchSecondClients(bool watch) { m_watchSecondClients = watch; }
    bool IsConnected() const { return m_socket != nullptr; }

    QString RemoteHostIP() const;
    quint16 RemotePort() const;
    // "address:port" of the peer, or empty.
    QString RemoteName() const;

    // Hands over up to maxBytes of the bytes waiting.
    QByteArray GetData(qint64 maxBytes);
    // Raises DataArrival now for whatever the connection holds, before a close we cause.
    void ReadWaiting() { OnReadyRead(); }

signals:
    void ConnectionRequest();
    void DataArrival(qint64 bytesTotal);
    // The peer closed or reset the connection; whatever it sent before was reported first.
    void PeerClose();
    // A second client came while connected and was closed at once (only when watching for them).
    void Refused(const QString& peerName);

private:
    void OnNewConnection();
    void OnReadyRead();
    void OnDisconnected();

    QTcpServer m_server;
    QTcpSocket* m_socket = nullptr;
    quint16 m_localPort = 0;
    bool m_watchSecondClients = false;
};
