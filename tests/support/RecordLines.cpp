#include "tests/support/RecordLines.h"

#include "records/CustomerRecord.h"
#include "records/RecordFormat.h"
#include "tests/support/Files.h"

namespace testing_support {

QByteArray recordLine(int fieldCount, const FieldTexts& texts) {
    QByteArrayList fields(fieldCount, records::EmptyMark);
    for (const auto& [position, text] : texts) {
        fields[position] = *text ? sjisOf(text) : records::EmptyMark;
    }
    return fields.join('\t');
}

QByteArray customerLine(std::initializer_list<const char*> fields) {
    FieldTexts texts;
    for (const char* field : fields) {
        texts.emplace_back(static_cast<int>(texts.size()), field);
    }
    return recordLine(records::customer_record::FieldCount, texts);
}

QByteArray fileOf(const QByteArrayList& lines) {
    QByteArray bytes;
    for (const QByteArray& line : lines) {
        bytes += line + "\r\n";
    }
    return bytes;
}

}  // namespace testing_support
