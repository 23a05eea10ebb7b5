#include "mainwindow/FormPlacement.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>

#include <limits>
#include <stdexcept>

namespace mainwindow {
namespace {

const QString Section = QStringLiteral("fmMain");
const QString TopKey = QStringLiteral("Top");
const QString LeftKey = QStringLiteral("Left");
const QString WidthKey = QStringLiteral("Width");
const QString HeightKey = QStringLiteral("Height");

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
    QSettings settings(iniPath, QSettings::IniFormat);
    settings.beginGroup(Section);
    return {readKey(settings, TopKey, current.top), readKey(settings, LeftKey, current.left),
            readKey(settings, WidthKey, current.width),
            readKey(settings, HeightKey, current.height)};
}

void writePlacement(const QString& iniPath, const Placement& placement) {
    QSettings settings(iniPath, QSettings::IniFormat);
    settings.beginGroup(Section);
    settings.setValue(TopKey, QString::number(placement.top));
    settings.setValue(LeftKey, QString::number(placement.left));
    settings.setValue(WidthKey, QString::number(placement.width));
    settings.setValue(HeightKey, QString::number(placement.height));
    settings.endGroup();
    settings.sync();
    if (settings.status() != QSettings::NoError) {
        throw std::runtime_error(QStringLiteral("ウィンドウの位置を保存できません: \"%1\"")
                                     .arg(QDir::toNativeSeparators(iniPath))
                                     .toStdString());
    }
}

bool isOnAnyScreen(const QRect& rect) {
    const QList<QScreen*> screens = QGuiApplication::screens();
    return std::any_of(screens.begin(), screens.end(), [&rect](const QScreen* screen) {
        return screen->geometry().intersects(rect);
    });
}

void FormPositionIni(QWidget& window, const QString& iniPath, char mode) {
    if (mode == 'R') {
        const Placement read = readPlacement(iniPath, placementOf(window));
        apply(window, isOnAnyScreen(read.rect()) ? read : DesignPlacement);
    } else if (mode == 'W') {
        writePlacement(iniPath, placementOf(window));
    }
}

}  // namespace mainwindow
