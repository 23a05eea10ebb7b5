// What the reservation file and YoyakuList hold after each way of using the dialog.
#include "tests/reservation/CutYoyakuFixture.h"

#include "records/RecordFormat.h"
#include "tests/support/Files.h"
#include "tests/support/Typing.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace testing_support {
namespace {

const QByteArray Mark = records::EmptyMark;

const QByteArray First = reservationLine("08", "09", "山田", "ポチ");
const QByteArray OtherSlot = reservationLine("08", "10", "田中", "クロ");
const QByteArray Second = reservationLine("08", "09", "佐藤", "タマ", {{18, "爪切り"}});
const QByteArray Third = reservationLine("08", "09", "鈴木", "モモ");

TEST_F(CutYoyakuTest, OkOnAnEmptyFileAppendsTheFirstLine) {
    PageState opened;
    auto visit = run(TuesdayAtNine, [&](TfmCutYoyaku& dialog) {
        opened = pageState(dialog);
        setFieldText(dialog, "edtYoyakuHun", "30");
        typeText(dialog.findChild<QWidget*>("edtShimei"), QStringLiteral("山田 太郎"));
        setFieldText(dialog, "edtPetName", QStringLiteral("ポチ"));
        setFieldText(dialog, "memoSonotaBikou", QStringLiteral("耳\n掃除"));
        click(dialog, "rdoCat");
        click(dialog, "rdoStylePoohDol");
        click(dialog, "chbSonotaHigeCut");
        click(dialog, "Button1");
    });
    EXPECT_TRUE(visit->appeared);
    EXPECT_EQ(opened, (PageState{"カット予約", "OK", false, false, false}));
    const QByteArray line = QByteArrayList{"2026",
                                           "12",
                                           "08",
                                           "09",
                                           "30",
                                           Mark,
                                           sjisOf("山田　太郎"),
                                           Mark,
                                           Mark,
                                           Mark,
                                           Mark,
                                           Mark,
                                           sjisOf("ポチ"),
                                           sjisOf("猫"),
                                           Mark,
                                           sjisOf("その他"),
                                           sjisOf("プードル"),
                                           sjisOf("ヒゲカット"),
                                           Mark,
                                           sjisOf("耳掃除")}
                                .join('\t');
    EXPECT_EQ(fileBytes(), fileOf({line}));
    EXPECT_EQ(honjitu.YoyakuList, QByteArrayList{line});
}

TEST_F(CutYoyakuTest, PagingThroughThreeReservationsAndCancellingRewritesTheSameLines) {
    givenReservations({First, OtherSlot, Second, Third});
    QList<PageState> states;
    QStringList owners;
    run(TuesdayAtNine, [&](TfmCutYoyaku& dialog) {
        const auto note = [&] {
            states.append(pageState(dialog));
            owners.append(fieldText(dialog, "edtShimei") + fieldText(dialog, "cbYoyakuJikan"));
        };
        note();
        for (const char* step : {"btnNextPage", "btnNextPage", "btnNextPage", "btnBackPage"}) {
            click(dialog, step);
            note();
        }
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    EXPECT_EQ(states, (QList<PageState>{{"カット予約(1/3)", "更新", false, true, true},
                                        {"カット予約(2/3)", "更新", true, true, true},
                                        {"カット予約(3/3)", "更新", true, true, true},
                                        {"カット予約(新規)", "OK", true, false, false},
                                        {"カット予約(3/3)", "更新", true, true, true}}));
    EXPECT_EQ(owners, (QStringList{"山田09", "佐藤09", "鈴木09", "", "鈴木09"}));
    EXPECT_EQ(fileBytes(), fileOf({First, OtherSlot, Second, Third}));
}

TEST_F(CutYoyakuTest, UpdatingPageTwoOfThreeMovesItToTheEnd) {
    givenReservations({First, OtherSlot, Second, Third});
    run(TuesdayAtNine, [&](TfmCutYoyaku& dialog) {
        click(dialog, "btnNextPage");
        setFieldText(dialog, "edtYoyakuHun", "45");
        click(dialog, "Button1");
    });
    QByteArray updated = Second;
    updated.replace("\t09\t00\t", "\t09\t45\t");
    const QByteArrayList expected = {First, OtherSlot, Third, updated};
    EXPECT_EQ(fileBytes(), fileOf(expected));
    EXPECT_EQ(honjitu.YoyakuList, expected);
}

// A failed update is reported, the dialog comes back on the same page with the change typed,
// and pressing 更新 again once the file can be written stores it.
TEST_F(CutYoyakuTest, AFailedUpdateComesBackAsItWasAndCanBeRetried) {
    givenReservations({First, Second});
    QFile::remove(path);
    QDir(folder.path()).mkdir(YoyakuFileName);  // a folder cannot be written as a file
    std::shared_ptr<ModalVisit> error, reopened;
    PageState pageShown;
    QString minuteShown;
    run(TuesdayAtNine, [&](TfmCutYoyaku& dialog) {
        setFieldText(dialog, "edtYoyakuHun", QStringLiteral("45"));
        error = answerNextMessage(QMessageBox::Ok, [&] {
            reopened = onNextModal([&](QWidget* again) {
                pageShown = pageState(*again);
                minuteShown = fieldText(*again, "edtYoyakuHun");
                QDir(folder.path()).rmdir(YoyakuFileName);
                click(*again, "Button1");
            });
        });
        click(dialog, "Button1");
    });
    ASSERT_TRUE(error && error->appeared);
    EXPECT_TRUE(error->text.contains(YoyakuFileName)) << error->text.toStdString();
    ASSERT_TRUE(reopened && reopened->appeared);
    EXPECT_EQ(pageShown.title, QStringLiteral("カット予約(1/2)"));
    EXPECT_EQ(pageShown.button1, QStringLiteral("更新"));
    EXPECT_EQ(minuteShown, QStringLiteral("45"));
    QByteArray updated = First;
    updated.replace("\t09\t00\t", "\t09\t45\t");
    EXPECT_EQ(honjitu.YoyakuList, (QByteArrayList{Second, updated}));
    EXPECT_EQ(fileBytes(), fileOf({Second, updated}));
}

struct DeleteCase {
    QMessageBox::StandardButton answer;
    QString followUp;
    QMessageBox::Icon followUpIcon;
    QByteArrayList left;
};

void PrintTo(const DeleteCase& deletion, std::ostream* out) {
    *out << (deletion.answer == QMessageBox::Yes ? "Yes" : "No");
}

class DeletePage : public CutYoyakuTest, public ::testing::WithParamInterface<DeleteCase> {};

TEST_P(DeletePage, AsksAndReportsThenRewritesTheFile) {
    givenReservations({First, Second, Third});
    std::shared_ptr<ModalVisit> question, followUp;
    QString shownDuringFollowUp;
    run(TuesdayAtNine, [&](TfmCutYoyaku& dialog) {
        click(dialog, "btnNextPage");
        question = answerNextMessage(GetParam().answer);
        followUp = answerNextMessage(QMessageBox::Ok, [&] {
            shownDuringFollowUp = dialog.isVisible() ? dialog.windowTitle() : QString();
        });
        click(dialog, "btnDeletePage");
        if (dialog.isVisible()) {
            click(dialog, "Button2");
        }
    });
    EXPECT_EQ(question->title, "予約削除");
    EXPECT_EQ(question->text, "１つのお客様データを削除します。\nよろしいですか？");
    EXPECT_EQ(question->icon, QMessageBox::Question);
    EXPECT_EQ(followUp->text, GetParam().followUp);
    EXPECT_EQ(followUp->icon, GetParam().followUpIcon);
    EXPECT_EQ(shownDuringFollowUp, "カット予約(2/3)");
    EXPECT_EQ(fileBytes(), fileOf(GetParam().left));
    EXPECT_EQ(honjitu.YoyakuList, GetParam().left);
}

INSTANTIATE_TEST_SUITE_P(YesOrNo, DeletePage,
                         ::testing::Values(DeleteCase{QMessageBox::Yes,
                                                      "１つの予約データの削除しました。",
                                                      QMessageBox::Information,
                                                      {First, Third}},
                                           DeleteCase{QMessageBox::No,
                                                      "１つの予約データの削除取り消しました。",
                                                      QMessageBox::Warning,
                                                      {First, Second, Third}}));

TEST_F(CutYoyakuTest, DeletingOneOfTwoIdenticalLinesKeepsTheOther) {
    givenReservations({First, OtherSlot, First});
    run(TuesdayAtNine, [&](TfmCutYoyaku& dialog) {
        answerMessages({QMessageBox::Yes, QMessageBox::Ok});
        click(dialog, "btnNextPage");  // page 2 holds the same text as page 1
        click(dialog, "btnDeletePage");
    });
    EXPECT_EQ(fileBytes(), fileOf({OtherSlot, First}));
}

}  // namespace
}  // namespace testing_support
