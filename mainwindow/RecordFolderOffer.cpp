#include "mainwindow/RecordFolderOffer.h"

#include "records/RecordFolder.h"
#include "records/uLib.h"
#include "widgets/ErrorGuard.h"
#include "widgets/MessageBox.h"

#include <QDir>
#include <QFileInfo>

namespace mainwindow {
namespace {

const QString CopyCaption = QStringLiteral("記録ファイルのコピー");

// Kept in the record folder, apart from the record files, once the user has said No.
QString declinedMark(const QString& recordFolder) {
    return recordFolder + QStringLiteral("/.source-records-not-copied");
}

QString quoted(const QString& folder) {
    return QLatin1Char('"') + QDir::toNativeSeparators(folder) + QLatin1Char('"');
}

}  // namespace

std::optional<CopyOffer> pendingCopyOffer(const QString& executableFolder,
                                          const QString& recordFolder, const QString& placementPath,
                                          const QString& sourceFolder) {
    namespace folder = records::folder;
    const QString clean = QDir::cleanPath(recordFolder);
    if (clean == QDir::cleanPath(executableFolder) || clean == QDir::cleanPath(sourceFolder) ||
        folder::holdsRecordFiles(clean) || QFileInfo::exists(declinedMark(clean)) ||
        !folder::holdsRecordFiles(sourceFolder)) {
        return std::nullopt;
    }
    return CopyOffer{sourceFolder, clean, QFileInfo(placementPath).fileName()};
}

bool offerCopy(const CopyOffer& offer) {
    const QString question = QStringLiteral(
                                 "以前の記録ファイルが次のフォルダにあります:\n%1\n\n"
                                 "これからは次のフォルダに記録します:\n%2\n\n"
                                 "以前の記録ファイルをこのフォルダにコピーしますか？\n"
                                 "（元のファイルはそのまま残ります）")
                                 .arg(quoted(offer.from), quoted(offer.to));
    if (widgets::showMessage(nullptr, QMessageBox::Question, CopyCaption, question,
                             QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes) {
        try {
            replaceRecordFile(declinedMark(offer.to), offer.from.toUtf8() + '\n');
        } catch (const FileError&) {
            // Not remembered: the question comes again at the next start, nothing else is lost.
        }
        return true;
    }
    try {
        records::folder::copyRecordFolder(offer.from, offer.to, offer.placementName);
    } catch (const FileError& error) {
        widgets::showMessage(
            nullptr, QMessageBox::Critical, widgets::ApplicationTitle,
            error.message() + QStringLiteral("\n\n以前の記録ファイルはそのまま残っています。"
                                             "プログラムを終了します。"));
        return false;
    }
    widgets::showMessage(nullptr, QMessageBox::Information, CopyCaption,
                         QStringLiteral("記録ファイルをコピーしました。これからの記録は次の"
                                        "フォルダにあります:\n%1\n\n"
                                        "元のファイルは次のフォルダにそのまま残っています:\n%2")
                             .arg(quoted(offer.to), quoted(offer.from)));
    return true;
}

}  // namespace mainwindow
