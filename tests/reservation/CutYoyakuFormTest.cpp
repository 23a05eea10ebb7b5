// The dialog's fields, choices and refusals.
#include "tests/reservation/CutYoyakuFixture.h"

#include "records/Clock.h"
#include "records/RecordFormat.h"
#include "records/ReservationRecord.h"
#include "tests/support/Files.h"
#include "tests/support/FixedClock.h"
#include "tests/support/Typing.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace testing_support {
namespace {

namespace reservation_record = records::reservation_record;

TEST_F(CutYoyakuTest, TheFormHasItsFixedShapeAndNoDefaultButton) {
    QStringList problems;
    run(TuesdayAtNine, [&](TfmCutYoyaku& dialog) {
        const auto expect = [&](bool ok, const char* what) {
            if (!ok) {
                problems.append(QLatin1String(what));
            }
        };
        expect(dialog.objectName() == "fmCutYoyaku", "objectName");
        expect(dialog.size() == QSize(719, 486) && dialog.minimumSize() == dialog.maximumSize(),
               "fixed size");
        expect(dialog.findChild<QWidget*>("pnlHidari")->width() == 394, "left column");
        expect(dialog.findChild<QWidget*>("pnlShita")->height() == 41, "bottom bar");
        for (const QPushButton* button : dialog.findChildren<QPushButton*>()) {
            expect(!button->autoDefault() && !button->isDefault(), "default button");
        }
        expect(!button(dialog, "Button3")->isEnabled(), "help disabled");
        for (const char* name : {"edtFurigana", "edtShimei", "edtTelephoneNo", "edtPetName"}) {
            expect(dialog.findChild<QWidget*>(name)->toolTip() == "「Enter」でお客様検索します。",
                   "search hint");
        }
        expect(
            !dialog.findChild<QWidget*>("edtYoyakuHun")->testAttribute(Qt::WA_InputMethodEnabled),
            "input method");
        // A typed month is kept as typed, not completed to a list entry.
        auto* month = dialog.findChild<QComboBox*>("cbYoyakuTuki");
        month->clearEditText();
        month->setFocus();
        QFocusEvent focusIn(QEvent::FocusIn, Qt::TabFocusReason);
        QApplication::sendEvent(month->lineEdit(), &focusIn);
        QTest::keyClicks(month->lineEdit(), "1");
        expect(month->currentText() == "1", "typed month");
        // Every field filled: only a pressed button could close the dialog now.
        setFieldText(dialog, "edtYoyakuHun", "30");
        setFieldText(dialog, "edtShimei", QStringLiteral("山田"));
        setFieldText(dialog, "edtPetName", QStringLiteral("ポチ"));
        for (const char* name : {"edtYoyakuHun", "cbYoyakuNen"}) {
            QWidget* field = dialog.findChild<QWidget*>(name);
            QTest::keyClick(field->focusProxy() ? field->focusProxy() : field, Qt::Key_Return);
        }
        expect(dialog.isVisible(), "Enter closed the dialog");
        click(dialog, "Button2");
    });
    EXPECT_TRUE(problems.isEmpty()) << problems.join(", ").toStdString();
    EXPECT_EQ(fileBytes(), QByteArray());
}

struct SlotCase {
    std::optional<QPoint> cell;
    QTime clockTime;
    QStringList shown;  // year, month, day, hour
};

void PrintTo(const SlotCase& slot, std::ostream* out) {
    *out << slot.shown.join(' ').toStdString();
}

class SlotChoice : public CutYoyakuTest, public ::testing::WithParamInterface<SlotCase> {};

TEST_P(SlotChoice, ComesFromTheTableCellOrFromTheClockAndOpensEmpty) {
    standClockAt(QDateTime(testNow().date(), GetParam().clockTime));
    const QByteArray elsewhere = reservationLine("08", "10", "山田", "ポチ");
    givenReservations({elsewhere});
    QStringList shown, years, hours, checked;
    QString title;
    run(GetParam().cell, [&](TfmCutYoyaku& dialog) {
        for (const char* name : {"cbYoyakuNen", "cbYoyakuTuki", "cbYoyakuNiti", "cbYoyakuJikan",
                                 "edtYoyakuHun", "edtShimei", "edtPetName", "memoSonotaBikou"}) {
            shown.append(fieldText(dialog, name));
        }
        title = dialog.windowTitle();
        checked = checkedButtons(dialog);
        const auto* year = dialog.findChild<QComboBox*>("cbYoyakuNen");
        const auto* hour = dialog.findChild<QComboBox*>("cbYoyakuJikan");
        for (int i = 0; i < year->count(); ++i) {
            years.append(year->itemText(i));
        }
        hours = {hour->itemText(0), hour->itemText(hour->count() - 1)};
        click(dialog, "Button2");
    });
    EXPECT_EQ(shown, GetParam().shown + QStringList({"", "", "", ""}));
    EXPECT_EQ(title, "カット予約(0/0)");
    EXPECT_TRUE(checked.isEmpty());
    EXPECT_EQ(fileBytes(), fileOf({elsewhere}));
    EXPECT_EQ(years, (QStringList{"2026", "2027", "2028"}));
    EXPECT_EQ(hours, (QStringList{"01", "24"}));
}

INSTANTIATE_TEST_SUITE_P(
    CellsAndClock, SlotChoice,
    ::testing::Values(SlotCase{QPoint(1, 1), QTime(10, 30), {"2026", "12", "06", "08"}},
                      SlotCase{QPoint(7, 17), QTime(10, 30), {"2026", "12", "12", "24"}},
                      SlotCase{std::nullopt, QTime(0, 5), {"2026", "12", "08", "00"}}));

TEST_F(CutYoyakuTest, StoredLinesShowTheirChoicesAndShortLinesShowEmpty) {
    const QByteArray unusual = reservationLine("08", "09", "山田", "ポチ",
                                               {{reservation_record::Shu, "うさぎ"},
                                                {reservation_record::Shamp, "特製"},
                                                {reservation_record::SonotaHigeCut, "ヒゲカット"}});
    const QByteArray plain = reservationLine("08", "09", "佐藤", "タマ");
    const QByteArray shortLine = "2026\t12\t08\t09\t15\t" + sjisOf("すずき");
    const QByteArray noSlot = "2026\t12\t08";
    givenReservations({unusual, noSlot, plain, shortLine});
    QList<QStringList> checked;
    QStringList shortFields;
    run(TuesdayAtNine, [&](TfmCutYoyaku& dialog) {
        checked.append(checkedButtons(dialog));
        click(dialog, "btnNextPage");
        checked.append(checkedButtons(dialog));
        click(dialog, "btnNextPage");
        checked.append(checkedButtons(dialog));
        shortFields = {dialog.windowTitle(), fieldText(dialog, "edtYoyakuHun"),
                       fieldText(dialog, "edtFurigana"), fieldText(dialog, "edtShimei")};
        click(dialog, "btnBackPage");
        click(dialog, "btnBackPage");
        setFieldText(dialog, "edtYoyakuHun", "10");
        click(dialog, "Button1");  // 更新 without touching the choices
    });
    EXPECT_EQ(checked, (QList<QStringList>{
                           {"chbSonotaHigeCut", "rdoShamSonota", "rdoSonota", "rdoStyleBarikan"},
                           {"rdoDog", "rdoShamRegyura", "rdoStyleBarikan"},
                           {"rdoShamSonota", "rdoSonota", "rdoStyleSonota"}}));
    EXPECT_EQ(shortFields, (QStringList{"カット予約(3/3)", "15", "すずき", ""}));
    ASSERT_EQ(honjitu.YoyakuList.size(), 4);
    const QByteArrayList saved = records::splitFields(honjitu.YoyakuList.last());
    EXPECT_EQ(saved.at(reservation_record::Shu), sjisOf("その他"));
    EXPECT_EQ(saved.at(reservation_record::Shamp), sjisOf("その他"));
    EXPECT_EQ(saved.at(reservation_record::SonotaHigeCut), sjisOf("ヒゲカット"));
    EXPECT_EQ(honjitu.YoyakuList.first(), noSlot);
}

struct RefusalCase {
    const char* field;
    QString value;
    QString message;
};

void PrintTo(const RefusalCase& refusal, std::ostream* out) {
    *out << refusal.field << " \"" << refusal.value.toStdString() << "\"";
}

class RefusedOk : public CutYoyakuTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(RefusedOk, ExplainsAndKeepsTheDialogOpen) {
    const QByteArray kept = reservationLine("08", "09", "山田", "ポチ");
    givenReservations({kept});
    std::shared_ptr<ModalVisit> message;
    bool stayedOpen = false;
    run(TuesdayAtNine, [&](TfmCutYoyaku& dialog) {
        setFieldText(dialog, GetParam().field, GetParam().value);
        message = answerNextMessage(QMessageBox::Ok);
        click(dialog, "Button1");
        stayedOpen = dialog.isVisible();
        click(dialog, "Button2");
    });
    EXPECT_EQ(message->title, "カット予約失敗");
    EXPECT_EQ(message->icon, QMessageBox::Warning);
    EXPECT_EQ(message->text, GetParam().message);
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(fileBytes(), fileOf({kept}));
}

INSTANTIATE_TEST_SUITE_P(
    MissingOrUnstorable, RefusedOk,
    ::testing::Values(RefusalCase{"edtYoyakuHun", "", "予約時間指定をすべて入力してください。"},
                      RefusalCase{"cbYoyakuNen", "", "予約時間指定をすべて入力してください。"},
                      RefusalCase{"edtPetName", "",
                                  "\"飼主情報\"と、\"ペット情報\"を入力してください。"},
                      RefusalCase{"edtShimei", QStringLiteral("山田😀"),
                                  "「飼主情報」の「お名前」に保存できない文字が含まれています。"},
                      RefusalCase{"memoSonotaBikou", QStringLiteral("爪\n한"),
                                  "「その他」の「備考」に保存できない文字が含まれています。"}));

// The slot is Tuesday 8 December 2026 at 9:00; one field at a time is made impossible.
INSTANTIATE_TEST_SUITE_P(
    ImpossibleSlot, RefusedOk,
    ::testing::Values(
        RefusalCase{"cbYoyakuNen", "20x6", "「予約」の「年」に正しい年を入力してください。"},
        RefusalCase{"cbYoyakuTuki", "13", "「予約」の「月」に01から12までの月を入力してください。"},
        RefusalCase{"cbYoyakuNiti", "32", "「予約」の「日」にその月にある日を入力してください。"},
        RefusalCase{"cbYoyakuJikan", "25",
                    "「予約」の「時」に0から24までの時間を入力してください。"},
        RefusalCase{"edtYoyakuHun", "ab", "「予約」の「分」に00から59までの分を入力してください。"},
        RefusalCase{"edtYoyakuHun", "75",
                    "「予約」の「分」に00から59までの分を入力してください。"}));

}  // namespace
}  // namespace testing_support
