#include "tests/records/CrashChanges.h"

#include <unistd.h>

#include <cstdlib>

namespace crash_test {
namespace {

// Lines long enough that an append often crosses a page of the file.
QByteArray randomLine(std::mt19937& random, int longest = 900) {
    static const char alphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789\t";
    std::uniform_int_distribution<int> length(20, longest);
    std::uniform_int_distribution<int> letter(0, sizeof alphabet - 2);
    QByteArray line(length(random), Qt::Uninitialized);
    for (char& byte : line) {
        byte = alphabet[letter(random)];
    }
    line.prepend("\x83\x4A\x83\x62\x83\x67\t");  // カット
    return line;
}

}  // namespace

Change drawChange(std::mt19937& random, QByteArrayList& lines) {
    if (lines.isEmpty() || std::bernoulli_distribution(0.5)(random)) {
        return {true, randomLine(random)};
    }
    const auto index = std::uniform_int_distribution<qsizetype>(0, lines.size() - 1)(random);
    if (std::bernoulli_distribution(0.5)(random)) {
        lines.removeAt(index);
    } else {
        lines[index] = randomLine(random);
    }
    return {false, {}};
}

Change drawAppend(std::mt19937& random) {
    return {true, randomLine(random, 40'000)};
}

QByteArrayList initialLines(std::mt19937& random, qsizetype bytes) {
    QByteArrayList lines;
    for (qsizetype size = 0; size < bytes;) {
        lines.append(randomLine(random));
        size += lines.last().size() + 2;
    }
    return lines;
}

QByteArray numberedState(int number) {
    static const QByteArray body = [] {
        std::mt19937 random(4242);
        return fileContent(initialLines(random, 300'000));
    }();
    return "state " + QByteArray::number(number) + "\r\n" + body;
}

int stateNumber(const QByteArray& content) {
    const qsizetype lineEnd = content.indexOf("\r\n");
    bool isNumber = false;
    const int number = content.mid(6, lineEnd - 6).toInt(&isNumber);
    return content.startsWith("state ") && isNumber && content == numberedState(number) ? number
                                                                                        : -1;
}

void report(char what) {
    if (::write(STDOUT_FILENO, &what, 1) != 1) {
        std::_Exit(2);
    }
}

}  // namespace crash_test
