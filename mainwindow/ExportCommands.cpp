#include "mainwindow/ExportCommands.h"

#include "printing/Sheet.h"
#include "records/CsvExport.h"
#include "widgets/MessageBox.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QStandardPaths>

#include <algorithm>

namespace mainwindow {
namespace {

SavePathChooser& chooser() {
    static SavePathChooser current;
    return current;
}

QString& lastFolder() {
    static QString folder;
    return folder;
}

QString askForPath(QWidget* parent, const QString& caption, const QString& suggestedPath,
                   const QString& filter) {
    if (chooser()) {
        return chooser()(parent, caption, suggestedPath, filter);
    }
    return QFileDialog::getSaveFileName(parent, caption, suggestedPath, filter);
}

// The file a path names, links and "." or ".." resolved as far as the path exists.
QString resolved(const QString& path) {
    const QFileInfo info(path);
    if (info.exists()) {
        return info.canonicalFilePath();
    }
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? QDir::cleanPath(info.absoluteFilePath())
                            : folder + QLatin1Char('/') + info.fileName();
}

bool isOneOf(const QString& chosen, const QStringList& files) {
    return std::any_of(files.begin(), files.end(),
                       [&chosen](const QString& file) { return resolved(file) == chosen; });
}

bool isInside(const QString& chosen, const QStringList& folders) {
    return std::any_of(folders.begin(), folders.end(), [&chosen](const QString& folder) {
        return chosen.startsWith(resolved(folder) + QLatin1Char('/'));
    });
}

// Why the chosen file must not be written; empty when it may.
QString refusal(const QString& path, const OwnFiles& ownFiles) {
    const QString chosen = resolved(path);
    const QString shown = QDir::toNativeSeparators(path);
    if (isOneOf(chosen, ownFiles.recordFiles)) {
        return QStringLiteral("\"%1\" は記録ファイルです。別のファイル名を指定してください。")
            .arg(shown);
    }
    if (isOneOf(chosen, ownFiles.programFiles)) {
        return QStringLiteral(
                   "\"%1\" はこのプログラムのファイルです。別のファイル名を指定してください。")
            .arg(shown);
    }
    if (isInside(chosen, ownFiles.folders)) {
        return QStringLiteral(
                   "\"%1\" はバックアップの中のファイルです。別の場所を指定してください。")
            .arg(shown);
    }
    return {};
}

}  // namespace

void setSavePathChooser(SavePathChooser replacement) {
    chooser() = std::move(replacement);
}

QString suggestedSavePath(const QString& fileName) {
    const QString folder = lastFolder().isEmpty()
                               ? QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)
                               : lastFolder();
    return QDir(folder).filePath(fileName);
}

bool saveExport(QWidget* parent, const QString& caption, const QString& fileName,
                const QString& filter, const OwnFiles& ownFiles,
                const std::function<QByteArray()>& content) {
    const QString path = askForPath(parent, caption, suggestedSavePath(fileName), filter);
    if (path.isEmpty()) {
        return false;
    }
    lastFolder() = QFileInfo(path).absolutePath();
    const QString refused = refusal(path, ownFiles);
    if (!refused.isEmpty()) {
        widgets::showMessage(parent, QMessageBox::Warning, caption, refused);
        return false;
    }
    records::csv::writeExportFile(path, content());
    widgets::showMessage(
        parent, QMessageBox::Information, caption,
        QStringLiteral("書き出しました。\n\"%1\"").arg(QDir::toNativeSeparators(path)));
    return true;
}

void previewSheet(QWidget* parent, const printing::Sheet& sheet) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(sheet.pageLayout());
    QPrintPreviewDialog preview(&printer, parent);
    preview.setObjectName(QStringLiteral("PrintPreviewDialog"));
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&sheet](QPrinter* target) {
                         QPainter painter(target);
                         sheet.paint(painter, *target);
                     });
    preview.exec();
}

}  // namespace mainwindow
