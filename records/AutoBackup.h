#pragma once

#include "records/FilePrefetch.h"

#include <QDateTime>
#include <QString>

#include <functional>
#include <optional>
#include <thread>

namespace records::backup {

// The backups a run of the program makes by itself: one as it starts, on a thread of its own so
// that the window never waits for it, and one as it closes when a record file or the store was
// written meanwhile. Of the backups that fail, only the first is reported: once per run. Old
// backups kept because the newest lies ahead of the clock are reported once per run as well.
class AutoBackup {
public:
    // `report` gets the text to tell the user, naming the backup folder, on the thread that met
    // the fault.
    AutoBackup(QString appDir, std::function<void(const QString&)> report);
    ~AutoBackup();  // waits for the start-up backup
    AutoBackup(const AutoBackup&) = delete;
    AutoBackup& operator=(const AutoBackup&) = delete;

    // Notes the record files as they are and starts the start-up backup.
    void start();
    // Waits for the start-up backup, then backs up when a record file or the store changed since
    // start().
    void atClose();

private:
    struct Identities {
        // The store's writes may all be in its -wal still.
        std::optional<FileIdentity> customers, reservations, store, storeLog;
        bool operator==(const Identities&) const = default;
    };
    Identities identities() const;
    void backUp();
    // Reports `text`, unless `reported` says it was reported before.
    void reportOnce(bool& reported, const QString& text);

    QString appDir_;
    std::function<void(const QString&)> report_;
    // Written by one thread at a time: the worker is joined first.
    bool failureReported_ = false;
    bool clockReported_ = false;
    Identities atStart_;
    std::thread worker_;
};

}  // namespace records::backup
