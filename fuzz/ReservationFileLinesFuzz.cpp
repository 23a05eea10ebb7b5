#include "fuzz/FuzzInput.h"
#include "records/uLib.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray file = fuzzing::bytesOf(data, size);
    const auto split = [](const QByteArray& content) { return splitReservationFile(content); };
    qsizetype nuls = 0;
    for (const QByteArray& line : fuzzing::requireFileLines(split, file)) {
        nuls += line.count('\0');
    }
    fuzzing::require(nuls == file.count('\0'), "a NUL is an ordinary byte of its line");
    return 0;
}
