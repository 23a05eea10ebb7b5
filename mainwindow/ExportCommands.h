#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace printing {
class Sheet;
}

// The commands that take the records out of the program: printed sheets, PDF files and CSV
// files. None of them writes a record file.
namespace mainwindow {

// Asks where to save: parent, dialog caption, suggested path, file type filter; an empty result
// means the user cancelled.
using SavePathChooser = std::function<QString(QWidget* parent, const QString& caption,
                                              const QString& suggestedPath, const QString& filter)>;
// Replaces the file dialog; an empty function restores it.
void setSavePathChooser(SavePathChooser chooser);

// The file name offered first, in the folder chosen last during this run (at first the home
// folder's documents folder).
QString suggestedSavePath(const QString& fileName);

// What an export must never replace: the record files, the program's other files beside them
// (the executable, its lock, placement and store files) and every file inside its folders (the
// backups).
struct OwnFiles {
    QStringList recordFiles;
    QStringList programFiles;
    QStringList folders;
};

// Asks for a file (suggesting `fileName`) and writes what `content` makes into it, owner-only, and
// then says where. One of `ownFiles` is refused with a warning and nothing is written. Throws
// FileError when the file cannot be written. False when nothing was written.
bool saveExport(QWidget* parent, const QString& caption, const QString& fileName,
                const QString& filter, const OwnFiles& ownFiles,
                const std::function<QByteArray()>& content);

// Opens the print preview of `sheet`, from where the user prints it.
void previewSheet(QWidget* parent, const printing::Sheet& sheet);

}  // namespace mainwindow
