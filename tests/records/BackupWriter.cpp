// The backup crash test's writer, running until it is killed. It reports "S" when it starts and
// "." after every backup or restore it completed.
//   backup_writer FOLDER backup FIRST   writes numberedState(FIRST), FIRST + 1, ... as the
//                                       reservation file, backing up after each
//   backup_writer FOLDER restore A B    restores the backups A, B, A, B, ...
#include "records/Backup.h"
#include "records/uLib.h"
#include "tests/records/CrashChanges.h"

#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 4) {
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QByteArray mode = argv[2];
    crash_test::report('S');
    if (mode == "backup") {
        for (int state = std::atoi(argv[3]);; ++state) {
            replaceRecordFile(recordFilePath(folder, YoyakuFileName),
                              crash_test::numberedState(state));
            records::backup::backUpIfChanged(folder);
            crash_test::report('.');
        }
    }
    if (mode == "restore" && argc == 5) {
        for (int turn = 0;; ++turn) {
            records::backup::restoreBackup(folder, QString::fromLocal8Bit(argv[3 + turn % 2]));
            crash_test::report('.');
        }
    }
    return 2;
}
