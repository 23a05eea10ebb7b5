#include "mainwindow/SingleInstance.h"

#include "records/FileChecks.h"
#include "records/uLib.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>

namespace mainwindow {
namespace {

constexpr int ConnectTimeoutMs = 1000;
const QByteArray ActivateMessage = QByteArrayLiteral("activate\n");

bool peerIsThisUser(const QLocalSocket& socket) {
    ucred peer{};
    socklen_t size = sizeof peer;
    return ::getsockopt(static_cast<int>(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer,
                        &size) == 0 &&
           size == sizeof peer && peer.uid == ::getuid();
}

// A folder of this user's that nobody else may enter; a link is never taken for one.
bool isPrivateFolder(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::getuid() && (info.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

// The user's cache folder is the user's own, so a folder made there cannot be taken first.
QString privateCacheFolder() {
    const QString cache = QDir::homePath() + QStringLiteral("/.cache");
    const QString folder = cache + QStringLiteral("/trimbook-runtime");
    QDir().mkpath(cache);
    ::mkdir(QFile::encodeName(folder).constData(), S_IRWXU);
    struct stat info {};
    if (::lstat(QFile::encodeName(folder).constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
        info.st_uid == ::getuid()) {
        ::chmod(QFile::encodeName(folder).constData(), S_IRWXU);
    }
    return isPrivateFolder(folder) ? folder : QString();
}

}  // namespace

SingleInstance::SingleInstance(const QString& identity, const QStringList& olderIdentities,
                               QObject* parent)
    : QObject(parent), identity_(identity), olderIdentities_(olderIdentities) {}

QString SingleInstance::socketFolder() {
    // A runtime folder inherited from another user (after su) is not this user's.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && isPrivateFolder(runtime)) {
        return runtime;
    }
    return privateCacheFolder();
}

QString SingleInstance::socketPath(const QString& folder, const QString& identity) {
    return folder + QLatin1Char('/') + identity + QStringLiteral(".instance");
}

bool SingleInstance::askToActivate(const QString& path) {
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(ConnectTimeoutMs) || !peerIsThisUser(socket)) {
        return false;
    }
    socket.write(ActivateMessage);
    socket.waitForBytesWritten(ConnectTimeoutMs);
    socket.disconnectFromServer();
    return true;
}

bool SingleInstance::becomePrimary() {
    const QString folder = socketFolder();
    if (folder.isEmpty()) {
        return true;
    }
    std::optional<records::FolderLock> turn;
    try {
        turn.emplace(folder);
    } catch (const FileError&) {
        // A start that hangs between its look and its listen must not keep this one out.
    }
    for (const QString& identity : QStringList{identity_} + olderIdentities_) {
        if (askToActivate(socketPath(folder, identity))) {
            return false;
        }
    }
    const QString path = socketPath(folder, identity_);
    // Whatever is left under the name answered nobody of this user: an instance that died.
    QLocalServer::removeServer(path);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(path)) {
        delete server_;
        server_ = nullptr;
        return true;
    }
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
    return true;
}

void SingleInstance::acceptConnections() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        if (!peerIsThisUser(*socket)) {
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
