#include "tests/reservation/CutYoyakuFixture.h"

#include "records/Clock.h"
#include "records/RecordFormat.h"
#include "records/ReservationRecord.h"
#include "reservation/CutYoyakuCommand.h"
#include "tests/support/Files.h"

namespace testing_support {

QDateTime testNow() {
    return QDateTime(QDate(2026, 12, 8), QTime(10, 30));
}

QByteArray reservationLine(const char* day, const char* hour, const char* shimei,
                           const char* petName,
                           const std::vector<std::pair<int, const char*>>& overrides) {
    namespace reservation_record = records::reservation_record;
    QByteArrayList fields(reservation_record::FieldCount, records::EmptyMark);
    fields[reservation_record::YoyakuNen] = "2026";
    fields[reservation_record::YoyakuTuki] = "12";
    fields[reservation_record::YoyakuNiti] = day;
    fields[reservation_record::YoyakuJikan] = hour;
    fields[reservation_record::YoyakuHun] = "00";
    fields[reservation_record::Shimei] = sjisOf(shimei);
    fields[reservation_record::PetName] = sjisOf(petName);
    fields[reservation_record::Shu] = sjisOf("犬");
    fields[reservation_record::Shamp] = sjisOf("レギュラー");
    fields[reservation_record::Style] = sjisOf("バリカン");
    for (const auto& [position, text] : overrides) {
        fields[position] = sjisOf(text);
    }
    return fields.join('\t');
}

QByteArray fileOf(const QByteArrayList& lines) {
    QByteArray bytes;
    for (const QByteArray& line : lines) {
        bytes += line + "\r\n";
    }
    return bytes;
}

void CutYoyakuTest::SetUp() {
    records::clock_source::set(testNow);
    WeekNow(honjitu);
    path = folder.filePath(YoyakuFileName);
    givenReservations({});
}

void CutYoyakuTest::TearDown() {
    records::clock_source::set({});
}

void CutYoyakuTest::givenReservations(const QByteArrayList& lines) {
    writeBytes(path, fileOf(lines));
    lists.YoyakuFileLoad();
}

void CutYoyakuTest::givenCustomers(const QByteArrayList& lines) {
    writeBytes(lists.userFilePath(), fileOf(lines));
    lists.UserListLoad();
}

std::shared_ptr<ModalVisit> CutYoyakuTest::run(std::optional<QPoint> cell,
                                               const std::function<void(TfmCutYoyaku&)>& drive) {
    auto visit = onNextModal([drive](QWidget* widget) {
        if (auto* dialog = qobject_cast<TfmCutYoyaku*>(widget)) {
            drive(*dialog);
        }
    });
    reservation::runCutYoyaku(nullptr, lists, cell);
    return visit;
}

QByteArray CutYoyakuTest::fileBytes() const {
    return readBytes(path);
}

}  // namespace testing_support
