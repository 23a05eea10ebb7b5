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
    namespace rsv = records::reservation;
    QByteArrayList fields(rsv::FieldCount, records::EmptyMark);
    fields[rsv::YoyakuNen] = "2026";
    fields[rsv::YoyakuTuki] = "12";
    fields[rsv::YoyakuNiti] = day;
    fields[rsv::YoyakuJikan] = hour;
    fields[rsv::YoyakuHun] = "00";
    fields[rsv::Shimei] = sjisOf(shimei);
    fields[rsv::PetName] = sjisOf(petName);
    fields[rsv::Shu] = sjisOf("犬");
    fields[rsv::Shamp] = sjisOf("レギュラー");
    fields[rsv::Style] = sjisOf("バリカン");
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
    clock_source::set(testNow);
    WeekNow(honjitu);
    path = folder.filePath(YoyakuFileName);
    givenReservations({});
}

void CutYoyakuTest::TearDown() {
    clock_source::set({});
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
