#include "mainwindow/SingleInstance.h"

#include <QLocalServer>
#include <QLocalSocket>

#include <sys/socket.h>
#include <unistd.h>

namespace mainwindow {
namespace {

constexpr int ConnectTimeoutMs = 1000;
const QByteArray ActivateMessage = QByteArrayLiteral("activate\n");

// An abstract socket has no file permissions: any local user can connect to it. Only the user
// who runs this instance may bring it to the front.
bool fromThisUser(const QLocalSocket& socket) {
    ucred peer{};
    socklen_t size = sizeof peer;
    return ::getsockopt(static_cast<int>(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer,
                        &size) == 0 &&
           size == sizeof peer && peer.uid == ::getuid();
}

}  // namespace

SingleInstance::SingleInstance(const QString& identity, const QStringList& olderIdentities,
                               QObject* parent)
    : QObject(parent), identity_(identity), olderIdentities_(olderIdentities) {}

QString SingleInstance::serverName(const QString& identity) {
    return identity + QStringLiteral(".uid") + QString::number(::getuid());
}

bool SingleInstance::askToActivate(const QString& identity) {
    QLocalSocket socket;
    socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    socket.connectToServer(serverName(identity));
    if (!socket.waitForConnected(ConnectTimeoutMs)) {
        return false;
    }
    socket.write(ActivateMessage);
    socket.waitForBytesWritten(ConnectTimeoutMs);
    socket.disconnectFromServer();
    return true;
}

bool SingleInstance::becomePrimary() {
    for (const QString& identity : QStringList{identity_} + olderIdentities_) {
        if (askToActivate(identity)) {
            return false;
        }
    }
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::AbstractNamespaceOption);
    if (!server_->listen(serverName(identity_))) {
        // Another start won the race between our look and our listen.
        delete server_;
        server_ = nullptr;
        return !askToActivate(identity_);
    }
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
    return true;
}

void SingleInstance::acceptConnections() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        if (!fromThisUser(*socket)) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->readAll().contains(ActivateMessage.trimmed())) {
                emit activationRequested();
            }
        });
    }
}

}  // namespace mainwindow
