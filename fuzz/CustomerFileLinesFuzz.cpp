#include "fuzz/FuzzInput.h"
#include "records/uLib.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzing::requireFileLines(splitCustomerFile, fuzzing::bytesOf(data, size), '\x1A',
                              "a line holds no line end and no end-of-text mark");
    return 0;
}
