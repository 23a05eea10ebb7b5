#include "fuzz/FuzzInput.h"
#include "records/uLib.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (const QByteArray& line :
         fuzzing::requireFileLines(splitCustomerFile, fuzzing::bytesOf(data, size))) {
        fuzzing::require(!line.contains('\x1A'), "a line holds no end-of-text mark");
    }
    return 0;
}
