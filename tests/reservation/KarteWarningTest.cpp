// The question before a booking of a pet whose カルテ has something to tell for that day: いいえ
// brings the dialog back as it was with nothing written, はい writes as asked, and a pet without
// a カルテ, or with nothing to tell, books as before without any box.
#include "tests/reservation/CutYoyakuFixture.h"

#include "records/Karte.h"
#include "reservation/KarteWarning.h"
#include "reservation/OverlapWarning.h"
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

TEST_F(KarteWarning, NoBringsTheDialogBackAsItWasWithNothingWritten) {
    givenKarte(biting());
    Typed typed, reopenedWith;
    std::shared_ptr<ModalVisit> question, reopened;
    run(TuesdayAtNine, [&](TfmCutYoyaku& dialog) {
        typeNewBooking(dialog);
        typed = typedIn(dialog);
        question = answerNextMessage(QMessageBox::No, [&] {
            reopened = onNextModal([&](QWidget* again) {
                reopenedWith = typedIn(*again);
                click(*again, "Button2");
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
    EXPECT_EQ(fileBytes(), QByteArray());
    EXPECT_TRUE(honjitu.YoyakuList.isEmpty());
}

TEST_F(KarteWarning, YesWritesTheBookingAsAsked) {
    givenKarte(biting());
    std::shared_ptr<ModalVisit> question;
    run(TuesdayAtNine, [&](TfmCutYoyaku& dialog) {
        typeNewBooking(dialog);
        question = answerNextMessage(QMessageBox::Yes);
        click(dialog, "Button1");
    });
    ASSERT_TRUE(question && question->appeared);
    EXPECT_EQ(question->title, reservation::KarteCaption);
    ASSERT_EQ(honjitu.YoyakuList.size(), 1);
    EXPECT_TRUE(honjitu.YoyakuList.last().contains(sjisOf("モモ")));
    EXPECT_EQ(fileBytes(), fileOf(honjitu.YoyakuList));
}

TEST_F(KarteWarning, NeverComesForAPetWithoutAKarteOrWithNothingToTell) {
    Karte valid;
    valid.memo = QStringLiteral("おとなしい");
    valid.vaccinations = {{VaccineKind::Kyoukenbyou, QDate(2026, 6, 1), QDate(2027, 6, 1), true}};
    Karte otherPet = biting();
    const struct {
        const char* name;
        std::function<void()> given;
    } cases[] = {
        {"no customer", [] {}},
        {"a customer without a カルテ", [&] { givenCustomers({Momo}); }},
        {"a カルテ with nothing to tell", [&] { givenKarte(valid); }},
        {"another pet's カルテ",
         [&] {
             const QByteArray hana = customerLine({"ハナ", "犬", "", "すずき", "鈴木"});
             givenCustomers({hana});
             lists.setDetails(records::RecordFile::User, 0, hana, otherPet.into({}));
         }},
    };
    for (const auto& c : cases) {
        givenReservations({});
        givenCustomers({});
        c.given();
        const NoMessageWatch watch;
        run(TuesdayAtNine, [&](TfmCutYoyaku& dialog) {
            typeNewBooking(dialog);
            click(dialog, "Button1");
        });
        EXPECT_FALSE(watch.sawMessage()) << c.name << ": " << watch.firstSeen().toStdString();
        EXPECT_EQ(honjitu.YoyakuList.size(), 1) << c.name;
        EXPECT_EQ(fileBytes(), fileOf(honjitu.YoyakuList)) << c.name;
    }
}

}  // namespace
}  // namespace testing_support
