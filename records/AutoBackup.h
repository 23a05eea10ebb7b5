#pragma once

#include "records/FilePrefetch.h"

#include <QString>

#include <functional>
#include <optional>
#include <thread>

namespace records::backup {

// The backups a run of the program makes by itself: one as it starts, on a thread of its own so
// that the window never waits for it, and one as it closes when a record file was written
// meanwhile. Of the backups that fail, only the first is reported: once per run.
class AutoBackup {
public:
    // `report` gets the error's text (the folder and the reason), on the thread that failed.
    AutoBackup(QString appDir, std::function<void(const QString&)> report);
    ~AutoBackup();  // waits for the start-up backup
    AutoBackup(const AutoBackup&) = delete;
    AutoBackup& operator=(const AutoBackup&) = delete;

    // Notes the record files as they are and starts the start-up backup.
    void start();
    // Waits for the start-up backup, then backs up when a record file changed since start().
    void atClose();

private:
    struct Identities {
        std::optional<FileIdentity> customers, reservations;
        bool operator==(const Identities&) const = default;
    };
    Identities identities() const;
    void backUp();

    QString appDir_;
    std::function<void(const QString&)> report_;
    bool reported_ = false;  // written by one thread at a time: the worker is joined first
    Identities atStart_;
    std::thread worker_;
};

}  // namespace records::backup
