#include "tests/reservation/CutYoyakuFixture.h"

#include "records/Clock.h"
#include "records/RecordFormat.h"
#include "records/ReservationRecord.h"
#include "reservation/CutYoyakuCommand.h"
#include "tests/support/Files.h"
#include "tests/support/FixedClock.h"

namespace testing_support {

QDateTime testNow() {
    return QDateTime(QDate(2026, 12, 8), QTime(10, 30));
}

QByteArray reservationLine(const char* day, const char* hour, const char* shimei,
                           const char* petName,
                           const std::vector<std::pair<int, const char*>>& overrides) {
    using namespace records::reservation_record;
    FieldTexts texts = {{YoyakuNen, "2026"}, {YoyakuTuki, "12"}, {YoyakuNiti, day},
                        {YoyakuJikan, hour}, {YoyakuHun, "00"},  {Shimei, shimei},
                        {PetName, petName},  {Shu, "犬"},        {Shamp, "レギュラー"},
                        {Style, "バリカン"}};
    texts.insert(texts.end(), overrides.begin(), overrides.end());
    return recordLine(FieldCount, texts);
}

Typed typedIn(const QWidget& dialog) {
    QStringList fields;
    for (const char* name : {"edtShimei", "edtPetName", "cbYoyakuJikan", "edtYoyakuHun"}) {
        fields.append(fieldText(dialog, name));
    }
    return {pageState(dialog), fields, checkedButtons(dialog)};
}

void CutYoyakuTest::SetUp() {
    standClockAt(testNow());
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
