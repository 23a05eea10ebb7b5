#include "tests/support/Files.h"

#include "records/Sjis.h"

#include <QFile>
#include <QFileInfo>
#include <stdexcept>

namespace testing_support {

QByteArray readBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw std::runtime_error("cannot read " + path.toStdString());
    }
    return file.readAll();
}

QByteArray bytesOf(const QString& path) {
    return QFileInfo(path).isFile() ? readBytes(path) : QByteArray("(no file)");
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size()) {
        throw std::runtime_error("cannot write " + path.toStdString());
    }
}

QByteArray sjisOf(const char* utf8) {
    const auto bytes = records::sjis::fromUnicode(QString::fromUtf8(utf8));
    if (!bytes) {
        throw std::runtime_error(std::string("no Shift-JIS form: ") + utf8);
    }
    return *bytes;
}

}  // namespace testing_support
