#include "tests/reservation/CutYoyakuFixture.h"

#include "records/Clock.h"
#include "records/RecordFormat.h"
#include "records/ReservationRecord.h"
#include "reservation/CutYoyakuCommand.h"
#include "tests/support/Files.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

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

std::ostream& operator<<(std::ostream& out, const PageState& state) {
    return out << state.title.toStdString() << " / " << state.button1.toStdString() << " << "
               << state.back << " >> " << state.next << " 削除 " << state.remove;
}

QAbstractButton* button(const QWidget& dialog, const char* objectName) {
    return dialog.findChild<QAbstractButton*>(QLatin1String(objectName));
}

PageState pageState(const QWidget& dialog) {
    return {dialog.windowTitle(), button(dialog, "Button1")->text(),
            button(dialog, "btnBackPage")->isEnabled(), button(dialog, "btnNextPage")->isEnabled(),
            button(dialog, "btnDeletePage")->isEnabled()};
}

QString fieldText(const QWidget& dialog, const char* objectName) {
    const QWidget* field = dialog.findChild<QWidget*>(QLatin1String(objectName));
    if (const auto* combo = qobject_cast<const QComboBox*>(field)) {
        return combo->currentText();
    }
    if (const auto* memo = qobject_cast<const QPlainTextEdit*>(field)) {
        return memo->toPlainText();
    }
    return qobject_cast<const QLineEdit*>(field)->text();
}

void setFieldText(QWidget& dialog, const char* objectName, const QString& text) {
    QWidget* field = dialog.findChild<QWidget*>(QLatin1String(objectName));
    if (auto* combo = qobject_cast<QComboBox*>(field)) {
        combo->setCurrentText(text);
    } else if (auto* memo = qobject_cast<QPlainTextEdit*>(field)) {
        memo->setPlainText(text);
    } else {
        qobject_cast<QLineEdit*>(field)->setText(text);
    }
}

void click(const QWidget& dialog, const char* objectName) {
    button(dialog, objectName)->click();
}

QStringList checkedButtons(const QWidget& dialog) {
    QStringList names;
    for (const QAbstractButton* choice : dialog.findChildren<QAbstractButton*>()) {
        if (choice->isCheckable() && choice->isChecked()) {
            names.append(choice->objectName());
        }
    }
    names.sort();
    return names;
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
    honjitu.YoyakuList = lines;
}

std::shared_ptr<ModalVisit> CutYoyakuTest::run(std::optional<QPoint> cell,
                                               const std::function<void(TfmCutYoyaku&)>& drive) {
    auto visit = onNextModal([drive](QWidget* widget) {
        if (auto* dialog = qobject_cast<TfmCutYoyaku*>(widget)) {
            drive(*dialog);
        }
    });
    reservation::runCutYoyaku(nullptr, honjitu, path, cell);
    return visit;
}

QByteArray CutYoyakuTest::fileBytes() const {
    return readBytes(path);
}

}  // namespace testing_support
