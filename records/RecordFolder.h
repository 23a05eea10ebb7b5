#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

// Where the record files live, and with them the placement file and the backups: beside the
// executable when that folder is the user's, otherwise in the user's data folder.
namespace records::folder {

// Reads an environment variable; empty when it is not set.
using Environment = std::function<QByteArray(const char*)>;

// Whether `folder` holds either record file.
bool holdsRecordFiles(const QString& folder);

// The record folder of a program in `executableFolder`: that folder itself when it already
// holds a record file, or when the user may write there and it is not a folder of the system
// (anything below /usr belongs to the package manager, even for root); otherwise
// $XDG_DATA_HOME/trimbook, or ~/.local/share/trimbook when that variable is unset or not an
// absolute path, created owner-only (0700) when missing. A folder that cannot be created is
// still returned: the first write there then says why.
QString chooseRecordFolder(const QString& executableFolder, const Environment& variable);

// The folder that the program built from source installs itself and its records into.
QString sourceInstallFolder(const Environment& variable);

// Copies what lives beside the record files in `from` (the placement file `placementName`, the
// backups, the photos, the store and the two record files) into `to`, where each is missing, and
// leaves `from` as it was. The store is copied as one consistent state, even while it is open. Everything is copied into a scratch folder first and then renamed into place, record files
// last, so a failed copy leaves no record file in `to`. Throws FileError naming the file.
void copyRecordFolder(const QString& from, const QString& to, const QString& placementName);

}  // namespace records::folder
