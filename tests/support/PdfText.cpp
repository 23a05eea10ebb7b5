#include "tests/support/PdfText.h"

#include <QProcess>
#include <QTemporaryDir>

#include "tests/support/Files.h"

namespace testing_support {

QStringList pdfPages(const QByteArray& pdf) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("sheet.pdf"));
    writeBytes(path, pdf);
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"),
                    {QStringLiteral("-raw"), QStringLiteral("-enc"), QStringLiteral("UTF-8"), path,
                     QStringLiteral("-")});
    if (!pdftotext.waitForFinished(60000) || pdftotext.exitCode() != 0) {
        return {};
    }
    QStringList pages = QString::fromUtf8(pdftotext.readAllStandardOutput()).split(QChar('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty()) {
        pages.removeLast();  // pdftotext ends every page with a form feed
    }
    return pages;
}

QString withoutSpaces(const QString& text) {
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        if (!c.isSpace()) {
            result.append(c);
        }
    }
    return result;
}

}  // namespace testing_support
