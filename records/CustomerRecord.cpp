#include "records/CustomerRecord.h"

#include "records/RecordFormat.h"

namespace records::customer_record {

QByteArray buildLine(const QByteArrayList& values) {
    QByteArrayList fields;
    fields.reserve(FieldCount);
    for (int position = 0; position < FieldCount; ++position) {
        fields.append(sanitizeField(fieldAt(values, position)));
    }
    return fields.join(FieldSeparator);
}

}  // namespace records::customer_record
