#pragma once

#include <QObject>
#include <QString>
#include <QTcpServer>

class QTcpSocket;

// The main window's TCP socket: first the listener and, once a connection request is accepted, the
// connection itself. It only listens, accepts one connection and receives; it never sends.
class Winsock1 : public QObject {
    Q_OBJECT

public:
    explicit Winsock1(QObject* parent = nullptr);

    void SetLocalPort(quint16 port) { m_localPort = port; }
    quint16 LocalPort() const { return m_localPort; }
    // The host's primary IPv4 address as dotted decimal text.
    static QString LocalIP();

    // Listens on the local port on all interfaces. On failure returns false with the reason.
    bool Listen(QString* error);
    bool IsClosed() const;
    bool IsListening() const { return m_server.isListening(); }
    bool IsConnected() const { return m_socket != nullptr; }
    // Stops listening, or drops the open connection. A close we cause never raises PeerClose.
    void Close();
    // Stops listening and takes the pending connection onto this object.
    bool Accept();

    QString RemoteHostIP() const;
    quint16 RemotePort() const;

    // Hands over up to maxBytes of the bytes waiting.
    QByteArray GetData(qint64 maxBytes);

signals:
    void ConnectionRequest();
    void DataArrival(qint64 bytesTotal);
    void PeerClose();

private:
    void OnReadyRead();
    void OnDisconnected();

    QTcpServer m_server;
    QTcpSocket* m_socket = nullptr;
    quint16 m_localPort = 0;
};
