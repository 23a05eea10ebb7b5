#pragma once

#include <QString>

namespace records {

// Why SQLite refused, in the words the program's messages use: the system's reason when SQLite
// passes one on (`systemError`, an errno), else what its result `code` means.
QString sqliteReason(int code, int systemError = 0);

}  // namespace records
