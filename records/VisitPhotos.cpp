#include "records/VisitPhotos.h"

#include <QJsonArray>

namespace records::photos {
namespace {

const QString PhotosKey = QStringLiteral("photos");
const QString FileKey = QStringLiteral("file");
const QString KindKey = QStringLiteral("kind");
const QString AddedKey = QStringLiteral("added");
// Stored by these words rather than by caption, so that a caption can change.
const QString BeforeWord = QStringLiteral("before");
const QString AfterWord = QStringLiteral("after");

}  // namespace

QString folderOf(const QString& appDir) {
    return appDir + QLatin1Char('/') + FolderName;
}

QString kindCaption(Kind kind) {
    return kind == Kind::Before ? QStringLiteral("施術前") : QStringLiteral("施術後");
}

bool isPhotoName(const QString& name) {
    return !name.isEmpty() && !name.startsWith(QLatin1Char('.')) &&
           !name.contains(QLatin1Char('/')) && !name.contains(QChar(0));
}

VisitPhotos VisitPhotos::of(const LineDetails& details) {
    VisitPhotos visit;
    for (const QJsonValue entry : details.value(PhotosKey).toArray()) {
        const QJsonObject object = entry.toObject();
        Photo photo{object.value(FileKey).toString(),
                    object.value(KindKey).toString() == AfterWord ? Kind::After : Kind::Before,
                    QDateTime::fromString(object.value(AddedKey).toString(), Qt::ISODate)};
        if (isPhotoName(photo.file)) {
            visit.photos.append(photo);
        }
    }
    return visit;
}

LineDetails VisitPhotos::into(LineDetails details) const {
    if (photos.isEmpty()) {
        details.remove(PhotosKey);
        return details;
    }
    QJsonArray entries;
    for (const Photo& photo : photos) {
        entries.append(QJsonObject{{FileKey, photo.file},
                                   {KindKey, photo.kind == Kind::After ? AfterWord : BeforeWord},
                                   {AddedKey, photo.added.toString(Qt::ISODate)}});
    }
    details.insert(PhotosKey, entries);
    return details;
}

}  // namespace records::photos
