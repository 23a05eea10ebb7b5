#pragma once

#include <QByteArray>
#include <QString>

namespace testing_support {

QByteArray readBytes(const QString& path);
// The file's bytes, or "(no file)".
QByteArray bytesOf(const QString& path);
void writeBytes(const QString& path, const QByteArray& bytes);

// Shift-JIS bytes of a UTF-8 literal, for readable expectations.
QByteArray sjisOf(const char* utf8);

}  // namespace testing_support
