#include "fuzz/FuzzInput.h"
#include "records/CustomerRecord.h"
#include "records/RecordFormat.h"
#include "records/ReservationRecord.h"
#include "records/uLib.h"

using fuzzing::require;

namespace {

// The stored form of each value: what splitting the built line must give back, in order.
QByteArrayList storedValues(const QByteArrayList& values, int remarksPosition) {
    QByteArrayList stored;
    for (int position = 0; position < values.size(); ++position) {
        stored.append(position == remarksPosition ? records::sanitizeRemarks(values.at(position))
                                                  : records::sanitizeField(values.at(position)));
    }
    return stored;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const bool reservation = input.ConsumeBool();
    const int fieldCount = reservation ? int(records::reservation_record::FieldCount)
                                       : int(records::customer_record::FieldCount);
    const QByteArrayList values = fuzzing::takeTexts(input, fieldCount);
    const QByteArray line = reservation ? records::reservation_record::buildLine(values)
                                        : records::customer_record::buildLine(values);
    const int remarks = reservation ? int(records::reservation_record::SonotaBikou) : -1;

    require(records::splitFields(line) == storedValues(values, remarks),
            "build then split gives the sanitized values, in order, no more and no fewer");
    // The line is also one line of either record file.
    const QByteArrayList stored{line};
    require(splitCustomerFile(line + "\r\n") == stored, "the line is one customer file line");
    require(splitReservationFile(line + "\r\n") == stored, "the line is one reservation file line");
    return 0;
}
