#include "mainwindow/AboutBox.h"

#include "generated/version.h"
#include "widgets/ErrorGuard.h"
#include "widgets/Pictures.h"

#include <QDesktopServices>
#include <QDir>
#include <QMessageBox>

namespace mainwindow {

QString aboutText(const QString& fileVersion) {
    if (fileVersion.isEmpty()) {
        return {};
    }
    return MakerName + QLatin1Char('\n') + widgets::ApplicationTitle + QLatin1Char(' ') +
           fileVersion;
}

void showAboutBox(QWidget* parent, const QString& recordFolder) {
    constexpr int IconSize = 64;
    QMessageBox box(parent);
    box.setObjectName(QStringLiteral("AboutBox"));
    box.setWindowTitle(widgets::ApplicationTitle + QStringLiteral(" のバージョン情報"));
    box.setIconPixmap(widgets::applicationIcon().pixmap(IconSize, IconSize));
    box.setText(widgets::ApplicationTitle);
    QString text = aboutText(QStringLiteral(TRIMBOOK_FILE_VERSION));
    if (!text.isEmpty()) {
        text += QStringLiteral("\n\n");
    }
    box.setInformativeText(text + QStringLiteral("記録フォルダ:\n") +
                           QDir::toNativeSeparators(recordFolder));
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

void openWebLink(const QUrl& url) {
    QDesktopServices::openUrl(url);
}

}  // namespace mainwindow
