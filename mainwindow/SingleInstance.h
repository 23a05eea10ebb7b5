#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;

namespace mainwindow {

// One running program per user: the first start listens on a local socket in a folder that only
// this user may enter ($XDG_RUNTIME_DIR, or a private folder in the user's cache when there is no
// private runtime folder); a later start finds it, asks it to come to the front and ends. No
// other user can take the name first or hear of a start. The look and the listen of two
// simultaneous starts take turns under the folder's lock, so exactly one keeps running, and a
// socket left by an instance that died is replaced. Each side checks that the other end runs as
// the same user.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // `identity` is the name this program listens under; `olderIdentities` are also looked for.
    explicit SingleInstance(const QString& identity, const QStringList& olderIdentities = {},
                            QObject* parent = nullptr);

    // True when no other instance of this user runs and this one now answers for the identity;
    // false after the running instance was asked to come to the front. Without a private
    // folder for the socket the program runs unchecked (true) rather than not at all.
    bool becomePrimary();

    // The folder the sockets live in, made when missing; empty when no private one can be had.
    static QString socketFolder();
    static QString socketPath(const QString& folder, const QString& identity);

signals:
    void activationRequested();

private:
    static bool askToActivate(const QString& path);
    void acceptConnections();

    QString identity_;
    QStringList olderIdentities_;
    QLocalServer* server_ = nullptr;
};

}  // namespace mainwindow
