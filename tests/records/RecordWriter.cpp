// The crash test's writer: loads a reservation file and changes it for ever through the owner of
// the record lists, one change after another, until it is killed. It reports "S" when it has
// loaded the file and "." after every change it completed. With a third argument "append" it
// only appends; with "details" every line it writes brings details that name the line, in the
// store beside the file; with "undo" every change is followed by its undo, each reported.
#include "records/RecordLists.h"
#include "records/UndoHistory.h"
#include "tests/records/CrashChanges.h"

#include <unistd.h>

#include <QFileInfo>

#include <cstdlib>
#include <cstring>
#include <optional>

namespace {

// The details the writer gives a line: its own bytes, so that details on the wrong line show.
records::LineDetails namingDetails(const QByteArray& line) {
    return {{QStringLiteral("line"), QString::fromLatin1(line.toBase64())}};
}

// The intent that turns `before` into `after`, which is `before` with one line removed or one
// line replaced.
records::RecordIntent intentBetween(const QByteArrayList& before, const QByteArrayList& after) {
    qsizetype at = 0;
    while (at < after.size() && before.at(at) == after.at(at)) {
        ++at;
    }
    if (after.size() < before.size()) {
        return records::RecordIntent::remove(at, before.at(at));
    }
    if (at == after.size()) {
        at = 0;  // the line was replaced by an equal one
    }
    return records::RecordIntent::replace(at, before.at(at), after.at(at),
                                          records::RecordIntent::Placement::InPlace,
                                          namingDetails(after.at(at)));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        return 2;
    }
    const bool appendOnly = argc == 4 && std::strcmp(argv[3], "append") == 0;
    const bool withDetails = argc == 4 && std::strcmp(argv[3], "details") == 0;
    const bool undoing = argc == 4 && std::strcmp(argv[3], "undo") == 0;
    const QString path = QString::fromLocal8Bit(argv[1]);
    std::mt19937 random(static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10)));
    THonjitu honjitu;
    records::RecordLists lists(honjitu, QFileInfo(path).path());
    if (QFileInfo(path).fileName() != YoyakuFileName || !lists.YoyakuFileLoad()) {
        return 2;
    }
    lists.openStoreIfPresent();
    // Only the undo mode keeps a history, so that the other modes leave no store beside the file.
    std::optional<records::UndoHistory> history;
    if (undoing) {
        history.emplace(lists);
        history->load();
    }
    crash_test::report('S');
    for (;;) {
        QByteArrayList lines = honjitu.YoyakuList;
        const crash_test::Change change =
            appendOnly ? crash_test::drawAppend(random) : crash_test::drawChange(random, lines);
        if (change.append) {
            lists.change(records::RecordFile::Yoyaku,
                         {records::RecordIntent::add(
                             change.line, withDetails ? std::optional(namingDetails(change.line))
                                                      : std::nullopt)});
        } else {
            records::RecordIntent intent = intentBetween(honjitu.YoyakuList, lines);
            if (!withDetails) {
                intent.details.reset();
            }
            lists.change(records::RecordFile::Yoyaku, {intent});
        }
        crash_test::report('.');
        if (undoing) {
            if (!history->undo()) {
                return 3;
            }
            crash_test::report('.');
        }
    }
}
