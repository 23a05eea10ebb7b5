#include "mainwindow/FormPlacement.h"

#include "records/FileChecks.h"
#include "records/FolderAccess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QTemporaryFile>
#include <QWidget>

#include <fcntl.h>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <stdexcept>
#include <utility>

namespace mainwindow {
namespace {

const QString Section = QStringLiteral("fmMain");
// The section's keys, each with the part of the placement it holds.
const std::pair<const char*, int Placement::*> Keys[] = {{"Top", &Placement::top},
                                                         {"Left", &Placement::left},
                                                         {"Width", &Placement::width},
                                                         {"Height", &Placement::height}};
// More than any placement file holds; the rest of a larger file is not read.
constexpr qint64 LargestIniFile = 1024 * 1024;

// The placement file's bytes, nothing when there is none. Only a regular file is opened, so a
// FIFO or a device planted under the name cannot make the program wait or eat its memory.
QByteArray iniContent(const QString& iniPath) {
    if (!QFileInfo::exists(iniPath)) {
        return {};
    }
    QFile file;
    file.open(records::openRegularFile(iniPath, O_RDONLY, false), QIODevice::ReadOnly,
              QFileDevice::AutoCloseHandle);
    return file.read(LargestIniFile);
}

[[noreturn]] void cannotSave(const QString& iniPath) {
    throw std::runtime_error(QStringLiteral("ウィンドウの位置を保存できません: \"%1\"")
                                 .arg(QDir::toNativeSeparators(iniPath))
                                 .toStdString());
}

// Puts `content` into a new private scratch file; QSettings reads and writes only such copies.
bool fillScratch(QTemporaryFile& scratch, const QByteArray& content) {
    const bool filled = scratch.open() && scratch.resize(0) &&
                        scratch.write(content) == content.size() && scratch.flush();
    scratch.close();
    return filled;
}

// The placement set in the ini file at `path`; false when QSettings could not write it.
bool writeInto(const QString& path, const Placement& placement) {
    QSettings settings(path, QSettings::IniFormat);
    settings.beginGroup(Section);
    for (const auto& [key, part] : Keys) {
        settings.setValue(QLatin1String(key), QString::number(placement.*part));
    }
    settings.endGroup();
    settings.sync();
    return settings.status() == QSettings::NoError;
}

int readKey(const QSettings& settings, const QString& key, int fallback) {
    const QVariant value = settings.value(key);
    if (value.typeId() != QMetaType::QString) {
        return fallback;
    }
    return iniInteger(value.toString()).value_or(fallback);
}

Placement placementOf(const QWidget& window) {
    return {window.y(), window.x(), window.width(), window.height()};
}

// The screen that shows the largest part of `rect`, none when no screen shows any of it.
const QScreen* screenShowingMostOf(const QRect& rect) {
    const QScreen* best = nullptr;
    qint64 bestArea = 0;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect shown = screen->geometry().intersected(rect);
        const qint64 area = qint64(shown.width()) * shown.height();
        if (area > bestArea) {
            best = screen;
            bestArea = area;
        }
    }
    return best;
}

// Where the window's client area may lie on `screen`: the placement's size is the client's,
// its position the frame's, so the frame's own width and height (known once the window has
// been shown) are kept free.
QRect clientRoom(const QWidget& window, const QScreen& screen) {
    const QSize frame = window.frameGeometry().size() - window.size();
    return screen.availableGeometry().adjusted(0, 0, -frame.width(), -frame.height());
}

// The design placement is taken as designed. A placement read from the file is kept inside the
// screen that shows most of it; one that no screen shows gives the design placement.
Placement restored(const QWidget& window, const Placement& read) {
    const QScreen* screen = read == DesignPlacement ? nullptr : screenShowingMostOf(read.rect());
    return screen != nullptr ? keptInside(read, clientRoom(window, *screen)) : DesignPlacement;
}

void apply(QWidget& window, const Placement& placement) {
    window.move(placement.left, placement.top);
    window.resize(placement.width, placement.height);
}

}  // namespace

QString placementFilePath(const QString& executablePath) {
    const QFileInfo executable(executablePath);
    const QString suffix = executable.suffix();
    if (suffix.isEmpty()) {
        return executablePath + QStringLiteral(".ini");
    }
    return executablePath.left(executablePath.size() - suffix.size()) + QStringLiteral("ini");
}

std::optional<int> iniInteger(const QString& text) {
    bool ok = false;
    const qlonglong value = text.trimmed().toLongLong(&ok, 10);
    if (!ok || value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max()) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

Placement readPlacement(const QString& iniPath, const Placement& current) {
    QTemporaryFile copy;
    if (!fillScratch(copy, iniContent(iniPath))) {
        return current;
    }
    QSettings settings(copy.fileName(), QSettings::IniFormat);
    settings.beginGroup(Section);
    Placement read = current;
    for (const auto& [key, part] : Keys) {
        read.*part = readKey(settings, QLatin1String(key), current.*part);
    }
    return read;
}

void writePlacement(const QString& iniPath, const Placement& placement) {
    // The new file is made beside the old one, as open as the record files there and no more,
    // and takes the name's place: a link planted under the name is replaced, never written
    // through. Other sections are kept; a file that is no ini text at all is not, as it would
    // block every save.
    QTemporaryFile scratch(iniPath + QStringLiteral(".XXXXXX"));
    const bool written =
        (fillScratch(scratch, iniContent(iniPath)) && writeInto(scratch.fileName(), placement)) ||
        (fillScratch(scratch, {}) && writeInto(scratch.fileName(), placement));
    const QByteArray from = QFile::encodeName(scratch.fileName());
    if (!written ||
        !records::FolderAccess::of(QFileInfo(iniPath).path()).applyTo(scratch.fileName()) ||
        std::rename(from.constData(), QFile::encodeName(iniPath).constData()) != 0) {
        cannotSave(iniPath);
    }
}

Placement keptInside(const Placement& placement, const QRect& area) {
    const int width = std::min(placement.width, area.width());
    const int height = std::min(placement.height, area.height());
    return {std::clamp(placement.top, area.top(), area.top() + area.height() - height),
            std::clamp(placement.left, area.left(), area.left() + area.width() - width), width,
            height};
}

void FormPositionIni(QWidget& window, const QString& iniPath, char mode) {
    if (mode == 'R') {
        apply(window, restored(window, readPlacement(iniPath, placementOf(window))));
    } else if (mode == 'W') {
        writePlacement(iniPath, placementOf(window));
    }
}

}  // namespace mainwindow
