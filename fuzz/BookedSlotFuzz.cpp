#include "fuzz/FuzzInput.h"
#include "records/RecordFormat.h"
#include "records/ReservationRecord.h"

using fuzzing::require;
using namespace records::reservation_record;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    // Any day the program may run on, from year 1 to 9999.
    const QDate today = QDate(1, 1, 1).addDays(input.ConsumeIntegralInRange<qint64>(0, 3652058));
    const TimeSlot slot{fuzzing::takeText(input), fuzzing::takeText(input),
                        fuzzing::takeText(input), fuzzing::takeText(input)};
    const QByteArray line = QByteArray::fromStdString(input.ConsumeRemainingBytesAsString());

    const QByteArrayList fields = records::splitFields(line);
    const QDate booked = bookedDate(fields, today);
    require(booked.isValid(), "the booked day is always a valid date");
    bookedHour(fields);
    tableEntry(fields);
    const bool inSlot = isInSlot(line, slot);
    require(!inSlot || (fields.size() >= 4 && fields.at(YoyakuNen) == slot.nen),
            "a line in a slot carries the slot's year");
    return 0;
}
