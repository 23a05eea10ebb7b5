#include "fuzz/FuzzInput.h"
#include "records/uLib.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto split = [](const QByteArray& file) { return splitReservationFile(file); };
    fuzzing::requireFileLines(split, fuzzing::bytesOf(data, size), '\0',
                              "a line holds no line end and no NUL");
    return 0;
}
