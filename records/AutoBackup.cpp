#include "records/AutoBackup.h"

#include "records/Backup.h"
#include "records/DetailStore.h"
#include "records/uLib.h"

#include <QDir>

namespace records::backup {

AutoBackup::AutoBackup(QString appDir, std::function<void(const QString&)> report)
    : appDir_(std::move(appDir)), report_(std::move(report)) {}

AutoBackup::~AutoBackup() {
    if (worker_.joinable()) {
        worker_.join();
    }
}

AutoBackup::Identities AutoBackup::identities() const {
    const QString store = appDir_ + QLatin1Char('/') + DetailStore::FileName;
    return {FileIdentity::of(recordFilePath(appDir_, UserFileName)),
            FileIdentity::of(recordFilePath(appDir_, YoyakuFileName)), FileIdentity::of(store),
            FileIdentity::of(store + QStringLiteral("-wal"))};
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
    const QString folder = QDir::toNativeSeparators(backupRoot(appDir_));
    try {
        backUpIfChanged(appDir_, [this, &folder](const QDateTime& newest) {
            reportOnce(
                clockReported_,
                QStringLiteral("いちばん新しいバックアップ（%1）の日時が今の時計より後のため、"
                               "古いバックアップを消しませんでした。パソコンの日付と時刻を"
                               "確かめてください。\nバックアップ先: \"%2\"")
                    .arg(momentText(newest), folder));
        });
    } catch (const std::exception& error) {
        reportOnce(failureReported_,
                   QStringLiteral("記録ファイルのバックアップを作れませんでした。"
                                  "記録ファイルはそのままです。\nバックアップ先: \"%1\"\n%2")
                       .arg(folder, QString::fromUtf8(error.what())));
    }
}

void AutoBackup::reportOnce(bool& reported, const QString& text) {
    if (!reported) {
        reported = true;
        report_(text);
    }
}

}  // namespace records::backup
