#include "fuzz/FuzzInput.h"
#include "records/uLib.h"

using fuzzing::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayList lines = splitCustomerFile(fuzzing::bytesOf(data, size));
    for (const QByteArray& line : lines) {
        require(!line.contains('\r') && !line.contains('\n') && !line.contains('\x1A'),
                "a line holds no line end and no end-of-text mark");
    }
    // What a rewrite writes back reads as the same lines.
    const QByteArray written = lines.isEmpty() ? QByteArray() : lines.join("\r\n") + "\r\n";
    require(splitCustomerFile(written) == lines, "rewritten lines read back the same");
    return 0;
}
