#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;

namespace mainwindow {

// One running program per user: the first start listens on a local socket named after the
// program's identity and the user; a later start finds it, asks it to come to the front and
// ends. The socket lives in Linux's abstract namespace, so a crashed instance leaves nothing
// behind, and listening is atomic, so of two simultaneous starts exactly one keeps running.
// Connections from other users are dropped unread.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // `identity` is the name this program listens under; `olderIdentities` are also looked for.
    explicit SingleInstance(const QString& identity, const QStringList& olderIdentities = {},
                            QObject* parent = nullptr);

    // True when no other instance runs and this one now answers for the identity; false after
    // the running instance was asked to come to the front.
    bool becomePrimary();

    static QString serverName(const QString& identity);

signals:
    void activationRequested();

private:
    static bool askToActivate(const QString& identity);
    void acceptConnections();

    QString identity_;
    QStringList olderIdentities_;
    QLocalServer* server_ = nullptr;
};

}  // namespace mainwindow
