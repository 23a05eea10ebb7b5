#pragma once

#include "records/DetailStore.h"

#include <QDateTime>
#include <QList>
#include <QString>

// The photos of one visit: which files of the photo folder belong to a booking, kept in the
// store with its reservation line, so that editing the booking carries them along. The files
// themselves lie in the folder "写真" beside the record files; backups hold them too.
namespace records::photos {

inline const QString FolderName = QStringLiteral("写真");
QString folderOf(const QString& appDir);

// Before or after the grooming.
enum class Kind { Before, After };
QString kindCaption(Kind kind);  // 施術前, 施術後

struct Photo {
    QString file;  // the name in the photo folder
    Kind kind = Kind::Before;
    QDateTime added;
    friend bool operator==(const Photo&, const Photo&) = default;
};

struct VisitPhotos {
    QList<Photo> photos;  // in the order they were added

    // The booking's photos; none when it has none. Entries whose file name could lead out of
    // the photo folder are left out.
    static VisitPhotos of(const LineDetails& details);
    // `details` with these photos in (or out, when there are none), every other value kept.
    LineDetails into(LineDetails details) const;
    friend bool operator==(const VisitPhotos&, const VisitPhotos&) = default;
};

// A name that stays inside the photo folder and is none of its hidden entries.
bool isPhotoName(const QString& name);

}  // namespace records::photos
