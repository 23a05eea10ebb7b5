#include "fuzz/FuzzInput.h"
#include "records/uLib.h"

using fuzzing::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayList lines = splitReservationFile(fuzzing::bytesOf(data, size));
    for (const QByteArray& line : lines) {
        require(!line.contains('\r') && !line.contains('\n') && !line.contains('\0'),
                "a line holds no line end and no NUL");
    }
    // What a rewrite writes back reads as the same lines.
    const QByteArray written = lines.isEmpty() ? QByteArray() : lines.join("\r\n") + "\r\n";
    require(splitReservationFile(written) == lines, "rewritten lines read back the same");
    return 0;
}
