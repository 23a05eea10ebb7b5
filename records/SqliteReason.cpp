#include "records/SqliteReason.h"

#include "records/FileChecks.h"

#include <sqlite3.h>

#include <cerrno>

namespace records {

QString sqliteReason(int code, int systemError) {
    if (systemError != 0) {
        return japaneseReason(systemError, true);
    }
    switch (code & 0xff) {
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
            return QStringLiteral("ファイルが壊れています");
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return QStringLiteral("ほかのプログラムが使用中です");
        case SQLITE_READONLY:
        case SQLITE_PERM:
        case SQLITE_CANTOPEN:
            return QStringLiteral("書き込めません（%1）").arg(japaneseReason(EACCES, true));
        case SQLITE_FULL:
            return japaneseReason(ENOSPC, true);
        default:
            return QStringLiteral("SQLite のエラーです（%1）")
                .arg(QString::fromUtf8(sqlite3_errstr(code)));
    }
}

}  // namespace records
