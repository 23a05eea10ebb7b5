// The crash test's writer: loads a reservation file and changes it for ever with the record
// routines, one change after another, until it is killed. It reports "S" when it has loaded the
// file and "." after every change it completed.
#include "records/uLib.h"
#include "tests/records/CrashChanges.h"

#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 3) {
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    std::mt19937 random(static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10)));
    THonjitu honjitu;
    if (!YoyakuFileLoad(path, honjitu)) {
        return 2;
    }
    crash_test::report('S');
    for (;;) {
        const crash_test::Change change = crash_test::drawChange(random, honjitu.YoyakuList);
        if (change.append) {
            YoyakuFileSave(path, change.line, 'A', honjitu);
        } else {
            YoyakuFileSave(path, QByteArray(), 'R', honjitu);
        }
        crash_test::report('.');
    }
}
