#pragma once

#include <QString>
#include <optional>

namespace mainwindow {

// Record files found in the folder of a build installed from source, to be copied into the
// record folder that the program uses now.
struct CopyOffer {
    QString from;           // the folder that holds them
    QString to;             // the record folder
    QString placementName;  // the placement file's name, copied with them
};

// An offer when the record folder is not the executable's own, holds no record file yet, the
// user has not turned the offer down there before, and `sourceFolder` holds a record file.
std::optional<CopyOffer> pendingCopyOffer(const QString& executableFolder,
                                          const QString& recordFolder, const QString& placementPath,
                                          const QString& sourceFolder);

// Asks whether to copy the records over. Yes copies them (the originals stay) and says where
// they are now; No is remembered in the record folder, so the question does not come again.
// False when the copy failed: that is reported, and the program should end before it creates
// empty record files in their place.
bool offerCopy(const CopyOffer& offer);

}  // namespace mainwindow
