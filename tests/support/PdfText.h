#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace testing_support {

// The text of each page of a PDF document in the order it was drawn (pdftotext -raw), or
// nothing when pdftotext fails.
QStringList pdfPages(const QByteArray& pdf);

// `text` without any white space (line ends and full-width spaces included), so that a text
// that the sheet wrapped over lines is found whole.
QString withoutSpaces(const QString& text);

}  // namespace testing_support
