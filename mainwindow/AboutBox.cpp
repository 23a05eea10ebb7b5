#include "mainwindow/AboutBox.h"

#include "generated/version.h"
#include "mainwindow/ErrorGuard.h"
#include "mainwindow/Pictures.h"

#include <QDesktopServices>
#include <QMessageBox>

namespace ui {

QString aboutText(const QString& fileVersion) {
    if (fileVersion.isEmpty()) {
        return {};
    }
    return MakerName + QLatin1Char('\n') + ApplicationTitle + QLatin1Char(' ') + fileVersion;
}

void showAboutBox(QWidget* parent) {
    constexpr int IconSize = 64;
    QMessageBox box(parent);
    box.setObjectName(QStringLiteral("AboutBox"));
    box.setWindowTitle(ApplicationTitle + QStringLiteral(" のバージョン情報"));
    box.setIconPixmap(applicationIcon().pixmap(IconSize, IconSize));
    box.setText(ApplicationTitle);
    box.setInformativeText(aboutText(QStringLiteral(TRIMBOOK_FILE_VERSION)));
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

void openWebLink(const QUrl& url) {
    QDesktopServices::openUrl(url);
}

}  // namespace ui
