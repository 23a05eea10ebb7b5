#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <random>

// The changes the crash test's writer makes to a record file, drawn from a seeded generator so
// that the test can replay them and know the file's content before and after each one.
namespace crash_test {

struct Change {
    bool append;      // append `line`; otherwise rewrite the file from the changed list
    QByteArray line;  // the appended line
};

// Draws the next change. A rewrite is applied to `lines` at once (a line dropped or replaced);
// an appended line is left for the caller to add.
Change drawChange(std::mt19937& random, QByteArrayList& lines);

// An append of one line, long enough to cross several pages of the file.
Change drawAppend(std::mt19937& random);

// A reservation file of about `bytes` bytes.
QByteArrayList initialLines(std::mt19937& random, qsizetype bytes);

// A record file of about 300 KB that tells its number on its first line: the states the backup
// crash test writes and backs up.
QByteArray numberedState(int number);
// The number of a numberedState, or -1 when `content` is not one.
int stateNumber(const QByteArray& content);

// A writer's report to the test: one byte on standard output; the writer ends when it cannot.
void report(char what);

inline QByteArray fileContent(const QByteArrayList& lines) {
    return lines.isEmpty() ? QByteArray() : lines.join("\r\n") + "\r\n";
}

}  // namespace crash_test
