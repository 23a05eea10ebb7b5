#pragma once

#include <fuzzer/FuzzedDataProvider.h>
#include <QByteArray>
#include <QByteArrayList>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// What every fuzz target needs: the input as bytes, pieces of it, and a way to stop loudly when
// a rule about the parsed result does not hold (libFuzzer keeps the input that did it).
namespace fuzzing {

inline QByteArray bytesOf(const uint8_t* data, size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

inline QByteArray takeText(FuzzedDataProvider& input) {
    return QByteArray::fromStdString(input.ConsumeRandomLengthString());
}

inline QByteArrayList takeTexts(FuzzedDataProvider& input, int count) {
    QByteArrayList texts;
    for (int i = 0; i < count; ++i) {
        texts.append(takeText(input));
    }
    return texts;
}

inline void require(bool holds, const char* rule) {
    if (!holds) {
        std::fprintf(stderr, "broken rule: %s\n", rule);
        std::abort();
    }
}

// The rules both record files' line splitters keep: no line holds a line end, and the lines
// written back as a rewrite writes them read as the same lines. Returns the lines, for the
// rules of the file's own format.
template <typename Splitter>
QByteArrayList requireFileLines(Splitter split, const QByteArray& file) {
    const QByteArrayList lines = split(file);
    for (const QByteArray& line : lines) {
        require(!line.contains('\r') && !line.contains('\n'), "a line holds no line end");
    }
    const QByteArray written = lines.isEmpty() ? QByteArray() : lines.join("\r\n") + "\r\n";
    require(split(written) == lines, "rewritten lines read back the same");
    return lines;
}

}  // namespace fuzzing
