#include "fuzz/FuzzInput.h"
#include "records/RecordFormat.h"
#include "records/Sjis.h"

using fuzzing::require;
using records::EmptyMark;

namespace {

// A sanitized field must survive being stored between separators.
void requireStorable(const QByteArray& field) {
    require(!field.isEmpty(), "a sanitized field is never empty");
    require(records::splitFields(field + '\t' + field + "\t") == QByteArrayList({field, field}),
            "a sanitized field comes back whole from between separators");
    require(records::sanitizeField(field) == field, "sanitizing twice changes nothing");
    require(records::readBack(field) == records::EmptyMarkDelete(field),
            "a sanitized field has nothing left to substitute");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray text = fuzzing::bytesOf(data, size);
    requireStorable(records::sanitizeField(text));
    requireStorable(records::sanitizeRemarks(text));

    const QByteArray withoutMarks = records::EmptyMarkDelete(text);
    require(!records::sjis::contains(withoutMarks, EmptyMark), "mark removal leaves no mark");
    require(records::EmptyMarkDelete(withoutMarks) == withoutMarks, "mark removal is stable");
    require(!records::sjis::contains(records::readBack(text), EmptyMark),
            "read-back never yields the mark");
    return 0;
}
