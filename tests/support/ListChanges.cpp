#include "tests/support/ListChanges.h"

namespace testing_support {

void changeListTo(records::RecordLists& lists, records::RecordFile file,
                  const QByteArrayList& lines) {
    const QByteArrayList& before = lists.lines(file);
    QList<records::RecordIntent> intents;
    qsizetype next = 0;
    for (qsizetype at = 0; at < before.size(); ++at) {
        if (next < lines.size() && lines.at(next) == before.at(at)) {
            ++next;
        } else {
            intents.append(records::RecordIntent::remove(at, before.at(at)));
        }
    }
    for (const QByteArray& line : lines.mid(next)) {
        intents.append(records::RecordIntent::add(line));
    }
    lists.change(file, intents);
}

}  // namespace testing_support
