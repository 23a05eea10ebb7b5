#include "fuzz/FuzzInput.h"
#include "records/RecordFormat.h"

using fuzzing::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray line = fuzzing::bytesOf(data, size);
    const QByteArrayList fields = records::splitFields(line);
    qsizetype total = 0;
    for (const QByteArray& field : fields) {
        total += field.size();
    }
    require(total <= line.size(), "fields hold no more bytes than their line");
    if (!line.contains('"')) {
        // Without quotes the fields are the separator-free runs, so joining them with single
        // TABs and cutting again gives them back.
        for (const QByteArray& field : fields) {
            require(!field.isEmpty(), "an unquoted field is never empty");
        }
        require(records::splitFields(fields.join('\t')) == fields, "split, join, split is stable");
    }
    return 0;
}
