#include "records/AutoBackup.h"

#include "records/Backup.h"
#include "records/uLib.h"

namespace records::backup {

AutoBackup::AutoBackup(QString appDir, std::function<void(const QString&)> report)
    : appDir_(std::move(appDir)), report_(std::move(report)) {}

AutoBackup::~AutoBackup() {
    if (worker_.joinable()) {
        worker_.join();
    }
}

AutoBackup::Identities AutoBackup::identities() const {
    return {FileIdentity::of(recordFilePath(appDir_, UserFileName)),
            FileIdentity::of(recordFilePath(appDir_, YoyakuFileName))};
}

void AutoBackup::start() {
    atStart_ = identities();
    worker_ = std::thread([this] { backUp(); });
}

void AutoBackup::atClose() {
    if (worker_.joinable()) {
        worker_.join();
    }
    if (identities() != atStart_) {
        backUp();
    }
}

void AutoBackup::backUp() {
    try {
        backUpIfChanged(appDir_);
    } catch (const std::exception& error) {
        if (!reported_) {
            reported_ = true;
            report_(QString::fromUtf8(error.what()));
        }
    }
}

}  // namespace records::backup
