// The warning before a booking that shares its time with more bookings than the salon has
// groomers: いいえ brings the dialog back as it was with nothing written, はい writes as asked,
// and with no groomer set it never comes.
#include "tests/reservation/CutYoyakuFixture.h"

#include "records/BookingDetails.h"
#include "records/ReservationRecord.h"
#include "reservation/OverlapWarning.h"
#include "tests/support/Files.h"

namespace testing_support {
namespace {

// Tuesday 8:30 to 9:30, the usual hour.
const QByteArray First =
    reservationLine("08", "08", "山田", "ポチ", {{records::reservation_record::YoyakuHun, "30"}});
const QByteArray Second =
    reservationLine("08", "08", "佐藤", "タマ", {{records::reservation_record::YoyakuHun, "30"}});

class OverlapWarning : public CutYoyakuTest {
protected:
    void givenGroomers(const QStringList& groomers) {
        records::booking::SalonSettings settings;
        settings.groomers = groomers;
        lists.setSetting(records::booking::SalonSettings::SettingName, settings.toBytes());
    }
    // Books 鈴木/モモ on Tuesday at 9:00, while First and Second are still being groomed.
    static void typeNewBooking(TfmCutYoyaku& dialog) {
        setFieldText(dialog, "edtYoyakuHun", QStringLiteral("00"));
        setFieldText(dialog, "edtShimei", QStringLiteral("鈴木"));
        setFieldText(dialog, "edtPetName", QStringLiteral("モモ"));
    }
};

TEST_F(OverlapWarning, NoBringsTheDialogBackAsItWasWithNothingWritten) {
    givenReservations({First, Second});
    givenGroomers({QStringLiteral("田中")});
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
    EXPECT_EQ(question->title, reservation::OverlapCaption);
    EXPECT_EQ(question->buttons, QMessageBox::Yes | QMessageBox::No);
    for (const char* expected : {"08:30〜09:30  山田/ポチ  担当: 未定", "佐藤/タマ", "(1人)"}) {
        EXPECT_TRUE(question->text.contains(QString::fromUtf8(expected)))
            << question->text.toStdString();
    }
    ASSERT_TRUE(reopened && reopened->appeared);
    EXPECT_EQ(reopenedWith, typed);
    EXPECT_EQ(typed.fields.first(), QStringLiteral("鈴木"));
    EXPECT_EQ(fileBytes(), fileOf({First, Second}));
    EXPECT_EQ(honjitu.YoyakuList, (QByteArrayList{First, Second}));
}

TEST_F(OverlapWarning, YesWritesTheBookingAsAsked) {
    givenReservations({First, Second});
    givenGroomers({QStringLiteral("田中")});
    std::shared_ptr<ModalVisit> question;
    run(TuesdayAtNine, [&](TfmCutYoyaku& dialog) {
        typeNewBooking(dialog);
        question = answerNextMessage(QMessageBox::Yes);
        click(dialog, "Button1");
    });
    ASSERT_TRUE(question && question->appeared);
    ASSERT_EQ(honjitu.YoyakuList.size(), 3);
    EXPECT_TRUE(honjitu.YoyakuList.last().contains(sjisOf("鈴木")));
    EXPECT_EQ(fileBytes(), fileOf(honjitu.YoyakuList));
}

TEST_F(OverlapWarning, NeverComesWhileNoGroomerIsSetOrEnoughAreThere) {
    for (const QStringList& groomers :
         {QStringList{}, QStringList{QStringLiteral("田中"), QStringLiteral("中村")}}) {
        givenReservations({First, Second});
        givenGroomers(groomers);
        const NoMessageWatch watch;
        run(TuesdayAtNine, [&](TfmCutYoyaku& dialog) {
            typeNewBooking(dialog);
            click(dialog, "Button1");
        });
        EXPECT_FALSE(watch.sawMessage()) << watch.firstSeen().toStdString();
        EXPECT_EQ(honjitu.YoyakuList.size(), 3);
    }
}

}  // namespace
}  // namespace testing_support
