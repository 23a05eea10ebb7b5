#pragma once

#include <QString>
#include <QUrl>

class QWidget;

namespace mainwindow {

inline const QString MakerName = QStringLiteral("カンヴォ株式会社");
inline const QUrl HomepageUrl(QStringLiteral("https://www.kanvo.example/"));
inline const QUrl BbsUrl(QStringLiteral("https://www.kanvo.example/cgi/trimora/bbs.cgi"));

// The text below the application name: the maker line and "Trimora Light" with the file
// version; nothing when there is no version.
QString aboutText(const QString& fileVersion);

// The About box, owned by `parent`, with the application's icon and the record folder in use.
void showAboutBox(QWidget* parent, const QString& recordFolder);

// Hands the address to the desktop's browser without waiting for it.
void openWebLink(const QUrl& url);

}  // namespace mainwindow
