#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class QWidget;

namespace printing {
class Sheet;
}

namespace kaikei {

// How the desk's windows print and save, given by the window that opens them, so that these
// windows go through the same preview and the same safe file export as every other sheet.
struct Outputs {
    // Opens the print preview of the sheet over the window.
    std::function<void(QWidget* parent, const printing::Sheet& sheet)> preview;
    // Asks for a file (suggesting `fileName`) and writes what `content` makes into it; refuses the
    // program's own files. Throws FileError.
    std::function<void(QWidget* parent, const QString& caption, const QString& fileName,
                       const QString& filter, const std::function<QByteArray()>& content)>
        save;
};

}  // namespace kaikei
