// The crash test's writer: loads a reservation file and changes it for ever with the record
// routines, one change after another, until it is killed. It reports "S" when it has loaded the
// file and "." after every change it completed. With a third argument "append" it only appends.
#include "records/RecordLists.h"
#include "tests/records/CrashChanges.h"

#include <unistd.h>

#include <QFileInfo>

#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        return 2;
    }
    const bool appendOnly = argc == 4 && std::strcmp(argv[3], "append") == 0;
    const QString path = QString::fromLocal8Bit(argv[1]);
    std::mt19937 random(static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10)));
    THonjitu honjitu;
    records::RecordLists lists(honjitu, QFileInfo(path).path());
    if (QFileInfo(path).fileName() != YoyakuFileName || !lists.YoyakuFileLoad()) {
        return 2;
    }
    crash_test::report('S');
    for (;;) {
        QByteArrayList lines = honjitu.YoyakuList;
        const crash_test::Change change =
            appendOnly ? crash_test::drawAppend(random) : crash_test::drawChange(random, lines);
        if (change.append) {
            lists.YoyakuFileSave(change.line, 'A');
        } else {
            lists.replaceYoyakuList(std::move(lines));
        }
        crash_test::report('.');
    }
}
