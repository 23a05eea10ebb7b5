#include "records/CustomerRecord.h"
#include "records/RecordFormat.h"
#include "records/ReservationRecord.h"

#include <gtest/gtest.h>

using namespace records;

namespace {

const QByteArray Space = QByteArrayLiteral("\x81\x40");

// Values that once broke, or could break, a stored line: each must come back from its own
// field, sanitized, whichever field it is put in.
struct Value {
    const char* name;
    QByteArray typed;
    QByteArray stored;
};

const Value trickyValues[] = {
    {"lone lead byte at the end", "a\x81", "a" + Space},
    {"only a lead byte", "\xF9", Space},
    {"lead byte before a tab", "\x88\t", Space},
    {"lead byte before a space", "\x88 ", "\x88 "},
    {"quote at the start", "\"x\"", "\x81\x68x\x81\x68"},
    {"empty", "", "\xF9\xD3"},
    {"control bytes", QByteArray("\x01\0\x1A", 3), Space + Space + Space},
    {"mark inside a text", "a\xF9\xD3", "a\xF9\xD3"},
};

// Puts the value in each field of a line of the kind in turn, the other fields plain.
void expectInEveryPlace(const Value& value, int fieldCount,
                        QByteArray (*buildLine)(const QByteArrayList&)) {
    for (int position = 0; position < fieldCount; ++position) {
        QByteArrayList values(fieldCount, "v");
        values[position] = value.typed;
        const QByteArrayList fields = splitFields(buildLine(values));
        ASSERT_EQ(fields.size(), fieldCount) << value.name << " at " << position;
        EXPECT_EQ(fields.at(position), value.stored) << value.name << " at " << position;
    }
}

TEST(LineRoundTrip, EveryFieldComesBackSanitizedInItsOwnPlace) {
    for (const Value& value : trickyValues) {
        EXPECT_EQ(sanitizeField(value.typed), value.stored) << value.name;
        expectInEveryPlace(value, customer_record::FieldCount, customer_record::buildLine);
        expectInEveryPlace(value, reservation_record::FieldCount, reservation_record::buildLine);
    }
}

}  // namespace
