#include "fuzz/FuzzInput.h"
#include "records/Sjis.h"

using fuzzing::require;

namespace {

// The plain definition: the first character boundary at which the needle's bytes follow.
qsizetype firstAlignedMatch(const QByteArray& haystack, const QByteArray& needle) {
    if (needle.isEmpty()) {
        return -1;
    }
    for (qsizetype pos = 0; pos < haystack.size();
         pos += records::sjis::charLength(haystack, pos)) {
        if (haystack.mid(pos).startsWith(needle)) {
            return pos;
        }
    }
    return -1;
}

int countMatches(const QByteArray& haystack, const QByteArray& needle) {
    int count = 0;
    for (qsizetype pos = records::sjis::indexOf(haystack, needle); pos >= 0;
         pos = records::sjis::indexOf(haystack, needle, pos + needle.size())) {
        ++count;
    }
    return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const QByteArray needle = fuzzing::takeText(input);
    const QByteArray replacement = fuzzing::takeText(input);
    const QByteArray haystack = QByteArray::fromStdString(input.ConsumeRemainingBytesAsString());

    require(records::sjis::indexOf(haystack, needle) == firstAlignedMatch(haystack, needle),
            "find stops at the first character-aligned match");
    const QByteArray replaced = records::sjis::replaceAll(haystack, needle, replacement);
    const qsizetype growth = replacement.size() - needle.size();
    require(replaced.size() == haystack.size() + countMatches(haystack, needle) * growth,
            "replace changes exactly the matches");
    require(records::sjis::replaceAll(haystack, needle, needle) == haystack,
            "replacing a text by itself changes nothing");
    return 0;
}
