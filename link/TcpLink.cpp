#include "link/TcpLink.h"

#include <QHostAddress>
#include <QNetworkInterface>
#include <QTcpSocket>

namespace {
// Bounds what one read can hold while a peer floods us.
constexpr qint64 kReadBufferSize = 64 * 1024;

// An IPv4 client of the dual-stack listener shows as an IPv4-mapped IPv6 address: show it as IPv4.
QString AddressText(const QHostAddress& address) {
    bool mapped = false;
    const quint32 ipv4 = address.toIPv4Address(&mapped);
    return mapped ? QHostAddress(ipv4).toString() : address.toString();
}
} // namespace

TcpLink::TcpLink(QObject* parent) : QObject(parent) {
    connect(&m_server, &QTcpServer::newConnection, this, &TcpLink::OnNewConnection);
}

TcpLink::~TcpLink() {
    Close();
}

QString TcpLink::LocalIP() {
    for (const QHostAddress& address : QNetworkInterface::allAddresses()) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol && !address.isLoopback())
            return address.toString();
    }
    return QHostAddress(QHostAddress::LocalHost).toString();
}

bool TcpLink::Listen(ListenError* error) {
    if (m_server.listen(QHostAddress::Any, m_localPort)) {
        m_localPort = m_server.serverPort();
        return true;
    }
    if (error) {
        error->inUse = m_server.serverError() == QAbstractSocket::AddressInUseError;
        error->reason = error->inUse
                            ? QStringLiteral("Port %1 is already in use by another program.").arg(m_localPort)
                            : m_server.errorString();
    }
    return false;
}

void TcpLink::Close() {
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

void TcpLink::OnNewConnection() {
    if (!m_socket) {
        emit ConnectionRequest();
        return;
    }
    while (QTcpSocket* second = m_server.nextPendingConnection()) {
        const QString name = AddressText(second->peerAddress()) + u':' + QString::number(second->peerPort());
        second->abort();
        second->deleteLater();
        emit Refused(name);
    }
}

bool TcpLink::Accept() {
    // Take the connection before closing the listener: closing drops what is still pending, which is
    // how a second client is refused.
    QTcpSocket* socket = m_server.nextPendingConnection();
    if (!m_watchSecondClients || !socket)
        m_server.close();
    if (!socket)
        return false;
    m_socket = socket;
    m_socket->setReadBufferSize(kReadBufferSize);
    connect(m_socket, &QTcpSocket::readyRead, this, &TcpLink::OnReadyRead);
    connect(m_socket, &QTcpSocket::disconnected, this, &TcpLink::OnDisconnected);
    // Clients that came in the same moment are second clients.
    if (m_watchSecondClients && m_server.hasPendingConnections())
        QMetaObject::invokeMethod(this, &TcpLink::OnNewConnection, Qt::QueuedConnection);
    // Bytes that came with the connection are waiting already, and the peer may be gone again.
    QMetaObject::invokeMethod(
        this,
        [this, socket] {
            if (m_socket != socket)
                return;
            OnReadyRead();
            if (m_socket == socket && socket->state() != QAbstractSocket::ConnectedState)
                OnDisconnected();
        },
        Qt::QueuedConnection);
    return true;
}

QString TcpLink::RemoteHostIP() const {
    return m_socket ? AddressText(m_socket->peerAddress()) : QString();
}

quint16 TcpLink::RemotePort() const {
    return m_socket ? m_socket->peerPort() : 0;
}

QString TcpLink::RemoteName() const {
    return m_socket ? RemoteHostIP() + u':' + QString::number(RemotePort()) : QString();
}

QByteArray TcpLink::GetData(qint64 maxBytes) {
    return m_socket ? m_socket->read(maxBytes) : QByteArray();
}

void TcpLink::OnReadyRead() {
    if (m_socket && m_socket->bytesAvailable() > 0)
        emit DataArrival(m_socket->bytesAvailable());
}

void TcpLink::OnDisconnected() {
    if (!m_socket)
        return;
    // A peer that sends and closes at once may leave its last bytes unread: report them before the close.
    OnReadyRead();
    QTcpSocket* socket = m_socket;
    m_socket = nullptr;
    socket->disconnect(this);
    socket->deleteLater();
    if (m_server.isListening())
        m_server.close(); // the owner decides whether to listen again
    emit PeerClose();
}
