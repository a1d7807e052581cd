#include "app/Winsock1.h"

#include <QHostAddress>
#include <QNetworkInterface>
#include <QTcpSocket>

namespace {
// Bounds what one read can hold while a peer floods us; every read becomes one line of at most 256
// bytes anyway.
constexpr qint64 kReadBufferSize = 64 * 1024;
} // namespace

Winsock1::Winsock1(QObject* parent) : QObject(parent) {
    connect(&m_server, &QTcpServer::newConnection, this, &Winsock1::ConnectionRequest);
}

QString Winsock1::LocalIP() {
    for (const QHostAddress& address : QNetworkInterface::allAddresses()) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol && !address.isLoopback())
            return address.toString();
    }
    return QHostAddress(QHostAddress::LocalHost).toString();
}

bool Winsock1::Listen(QString* error) {
    if (m_server.listen(QHostAddress::AnyIPv4, m_localPort))
        return true;
    if (error)
        *error = m_server.errorString();
    return false;
}

bool Winsock1::IsClosed() const {
    return !m_server.isListening() && m_socket == nullptr;
}

void Winsock1::Close() {
    if (m_server.isListening())
        m_server.close();
    if (m_socket) {
        // Detach first: abort() emits disconnected synchronously, and that must not read as the peer's close.
        QTcpSocket* socket = m_socket;
        m_socket = nullptr;
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
    }
}

bool Winsock1::Accept() {
    // Take the connection before closing the listener: closing drops what is still pending, which is
    // how a second client is refused until Start is pressed again.
    QTcpSocket* socket = m_server.nextPendingConnection();
    m_server.close();
    if (!socket)
        return false;
    m_socket = socket;
    m_socket->setReadBufferSize(kReadBufferSize);
    connect(m_socket, &QTcpSocket::readyRead, this, &Winsock1::OnReadyRead);
    connect(m_socket, &QTcpSocket::disconnected, this, &Winsock1::OnDisconnected);
    // Bytes that came with the connection itself are waiting already.
    if (m_socket->bytesAvailable() > 0)
        OnReadyRead();
    return true;
}

QString Winsock1::RemoteHostIP() const {
    if (!m_socket)
        return {};
    QHostAddress address = m_socket->peerAddress();
    bool mapped = false;
    const quint32 ipv4 = address.toIPv4Address(&mapped);
    return mapped ? QHostAddress(ipv4).toString() : address.toString();
}

quint16 Winsock1::RemotePort() const {
    return m_socket ? m_socket->peerPort() : 0;
}

QByteArray Winsock1::GetData(qint64 maxBytes) {
    return m_socket ? m_socket->read(maxBytes) : QByteArray();
}

void Winsock1::OnReadyRead() {
    if (m_socket && m_socket->bytesAvailable() > 0)
        emit DataArrival(m_socket->bytesAvailable());
}

void Winsock1::OnDisconnected() {
    // A peer that sends and closes at once may leave its last bytes unread: record them before the close.
    OnReadyRead();
    emit PeerClose();
}
