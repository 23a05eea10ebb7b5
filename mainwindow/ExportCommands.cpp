#include "mainwindow/ExportCommands.h"

#include "widgets/MessageBox.h"
#include "printing/Sheet.h"
#include "records/CsvExport.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QStandardPaths>

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

bool isRecordFile(const QString& path, const QStringList& recordFiles) {
    const QFileInfo chosen(path);
    for (const QString& recordFile : recordFiles) {
        const QFileInfo record(recordFile);
        if (chosen == record || (chosen.exists() && record.exists() &&
                                 chosen.canonicalFilePath() == record.canonicalFilePath())) {
            return true;
        }
    }
    return false;
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
                const QString& filter, const QStringList& recordFiles,
                const std::function<QByteArray()>& content) {
    const QString path = askForPath(parent, caption, suggestedSavePath(fileName), filter);
    if (path.isEmpty()) {
        return false;
    }
    lastFolder() = QFileInfo(path).absolutePath();
    if (isRecordFile(path, recordFiles)) {
        widgets::showMessage(parent, QMessageBox::Warning, caption,
                    QStringLiteral("\"%1\" は記録ファイルです。別のファイル名を指定してください。")
                        .arg(QDir::toNativeSeparators(path)));
        return false;
    }
    records::csv::writeExportFile(path, content());
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
