// The question before a booking of a pet whose カルテ has something to tell for that day: いいえ
// brings the dialog back as it was with nothing written, はい writes as asked, and a pet without
// a カルテ, or with nothing to tell, books as before without any box.
#include "tests/reservation/CutYoyakuFixture.h"

#include "records/Karte.h"
#include "reservation/KarteWarning.h"
#include "tests/support/Files.h"

namespace testing_support {
namespace {

using namespace records::karte;

const QByteArray Momo = customerLine({"モモ", "犬", "", "すずき", "鈴木"});

class KarteWarning : public CutYoyakuTest {
protected:
    void givenKarte(const Karte& karte) {
        givenCustomers({Momo});
        lists.setDetails(records::RecordFile::User, 0, Momo, karte.into({}));
    }
    // Books 鈴木/モモ on Tuesday 2026-12-08 at 9:00.
    static void typeNewBooking(TfmCutYoyaku& dialog) {
        setFieldText(dialog, "edtYoyakuHun", QStringLiteral("00"));
        setFieldText(dialog, "edtShimei", QStringLiteral("鈴木"));
        setFieldText(dialog, "edtPetName", QStringLiteral("モモ"));
    }
};

Karte biting() {
    Karte karte;
    karte.set(Flag::Kamu, true);
    // Protected up to the day before the booking.
    karte.vaccinations = {{VaccineKind::Kyoukenbyou, QDate(2025, 12, 7), QDate(2026, 12, 7), true}};
    return karte;
}

// いいえ first, then はい on the dialog brought back.
TEST_F(KarteWarning, NoBringsTheDialogBackAsItWasAndYesWritesIt) {
    givenKarte(biting());
    Typed typed, reopenedWith;
    QByteArray fileOnReopening;
    std::shared_ptr<ModalVisit> question, reopened, second;
    run(TuesdayAtNine, [&](TfmCutYoyaku& dialog) {
        typeNewBooking(dialog);
        typed = typedIn(dialog);
        question = answerNextMessage(QMessageBox::No, [&] {
            reopened = onNextModal([&](QWidget* again) {
                reopenedWith = typedIn(*again);
                fileOnReopening = fileBytes();
                second = answerNextMessage(QMessageBox::Yes);
                click(*again, "Button1");
            });
        });
        click(dialog, "Button1");
    });
    ASSERT_TRUE(question && question->appeared);
    EXPECT_EQ(question->title, reservation::KarteCaption);
    EXPECT_EQ(question->buttons, QMessageBox::Yes | QMessageBox::No);
    for (const char* expected :
         {"狂犬病の有効期限 (2026/12/07) が予約日に切れています", "注意: 噛む"}) {
        EXPECT_TRUE(question->text.contains(QString::fromUtf8(expected)))
            << question->text.toStdString();
    }
    ASSERT_TRUE(reopened && reopened->appeared);
    EXPECT_EQ(reopenedWith, typed);
    EXPECT_EQ(typed.fields.first(), QStringLiteral("鈴木"));
    EXPECT_EQ(fileOnReopening, QByteArray());
    ASSERT_TRUE(second && second->appeared);
    ASSERT_EQ(honjitu.YoyakuList.size(), 1);
    EXPECT_TRUE(honjitu.YoyakuList.last().contains(sjisOf("モモ")));
    EXPECT_EQ(fileBytes(), fileOf(honjitu.YoyakuList));
}

TEST_F(KarteWarning, NeverComesForAPetWithoutAKarteOrWithNothingToTell) {
    Karte valid;
    valid.memo = QStringLiteral("おとなしい");
    for (const bool withKarte : {false, true}) {
        givenReservations({});
        givenCustomers({Momo});
        if (withKarte) {
            givenKarte(valid);
        }
        const NoMessageWatch watch;
        run(TuesdayAtNine, [&](TfmCutYoyaku& dialog) {
            typeNewBooking(dialog);
            click(dialog, "Button1");
        });
        EXPECT_FALSE(watch.sawMessage()) << watch.firstSeen().toStdString();
        EXPECT_EQ(honjitu.YoyakuList.size(), 1);
        EXPECT_EQ(fileBytes(), fileOf(honjitu.YoyakuList));
    }
}

}  // namespace
}  // namespace testing_support
