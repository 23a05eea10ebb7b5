#include "calls/uKakuninDenwa.h"
#include "mainwindow/uMain.h"
#include "records/BookingDetails.h"
#include "tests/mainwindow/MainWindowFixture.h"
#include "tests/support/DialogFields.h"
#include "tests/support/Files.h"
#include "tests/support/ModalDriver.h"

#include <QDateEdit>
#include <QTreeWidget>
#include <QtTest>

using namespace testing_support;
using records::RecordFile;
using records::booking::BookingDetails;
using records::booking::Status;

namespace {

const QDate Tomorrow = FixedNow.date().addDays(1);

class KakuninDenwaTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        writeReservations({reservationLine("2026", "12", "10", "11", "佐藤", "ポチ"),
                           reservationLine("2026", "12", "10", "14", "高橋", "ハナ"),
                           reservationLine("2026", "12", "09", "10", "今日", "モモ"),
                           reservationLine("2026", "12", "10", "9", "鈴木", "タマ"),
                           reservationLine("2026", "12", "11", "10", "明後日", "クロ")});
    }

    void setStatus(qsizetype position, const BookingDetails& details,
                   const records::LineDetails& others = {}) {
        records::RecordLists& lists = window->recordLists();
        lists.setDetails(RecordFile::Yoyaku, position, lists.lines(RecordFile::Yoyaku).at(position),
                         details.into(others));
    }

    BookingDetails storedAt(qsizetype position) const {
        return BookingDetails::of(window->recordLists().detailsAt(RecordFile::Yoyaku, position));
    }

    TfmKakuninDenwa* openCalls() {
        window->actKakuninDenwa->trigger();
        auto* calls = window->findChild<TfmKakuninDenwa*>(QStringLiteral("fmKakuninDenwa"));
        if (calls) {
            list = calls->findChild<QTreeWidget*>(QStringLiteral("ListViewKakunin"));
        }
        return calls;
    }

    // Each row as time, owner, pet and whether it is ticked.
    QStringList rows() const {
        QStringList texts;
        for (int row = 0; row < list->topLevelItemCount(); ++row) {
            const QTreeWidgetItem* item = list->topLevelItem(row);
            texts.append(item->text(1) + QLatin1Char(' ') + item->text(2) + QLatin1Char('/') +
                         item->text(3) +
                         (item->checkState(0) == Qt::Checked ? QStringLiteral(" ✓") : QString()));
        }
        return texts;
    }

    std::unique_ptr<TfmMain> window;
    QTreeWidget* list = nullptr;
};

TEST_F(KakuninDenwaTest, TicksConfirmAndUntickingBooksAgainInTheStoreOnly) {
    window = openWindow();
    window->show();
    const QByteArray fileBefore = readBytes(yoyakuFile());
    // 高橋 called off; 鈴木 has a groomer and a value of another feature that must survive.
    setStatus(1, {{}, {}, Status::Cancel});
    const records::LineDetails others{{QStringLiteral("memo"), QStringLiteral("kept")}};
    setStatus(3, {QStringLiteral("田中"), 90, Status::Yoyaku}, others);

    TfmKakuninDenwa* calls = openCalls();
    ASSERT_NE(calls, nullptr);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(calls->findChild<QDateEdit*>(QStringLiteral("dtKakuninHi"))->date(), Tomorrow);
    EXPECT_EQ(rows(), (QStringList{"09:00 鈴木/タマ", "11:00 佐藤/ポチ"}));

    list->topLevelItem(0)->setCheckState(0, Qt::Checked);
    EXPECT_EQ(storedAt(3), (BookingDetails{QStringLiteral("田中"), 90, Status::Kakuninzumi}));
    EXPECT_EQ(window->recordLists().detailsAt(RecordFile::Yoyaku, 3).value("memo"), "kept");
    QTRY_COMPARE(rows(), (QStringList{"09:00 鈴木/タマ ✓", "11:00 佐藤/ポチ"}));

    list->topLevelItem(0)->setCheckState(0, Qt::Unchecked);
    EXPECT_EQ(storedAt(3), (BookingDetails{QStringLiteral("田中"), 90, Status::Yoyaku}));
    list->topLevelItem(1)->setCheckState(0, Qt::Checked);
    EXPECT_EQ(storedAt(0).status, Status::Kakuninzumi);
    QTRY_COMPARE(rows(), (QStringList{"09:00 鈴木/タマ", "11:00 佐藤/ポチ ✓"}));
    EXPECT_EQ(readBytes(yoyakuFile()), fileBefore);

    // A booking made meanwhile and a cancellation show at once; another day is another list.
    window->recordLists().change(
        RecordFile::Yoyaku,
        {records::RecordIntent::add(reservationLine("2026", "12", "10", "8", "早番", "コロ"))});
    setStatus(0, {{}, {}, Status::TouzitsuCancel});
    QTRY_COMPARE(rows(), (QStringList{"08:00 早番/コロ", "09:00 鈴木/タマ"}));
    calls->findChild<QDateEdit*>(QStringLiteral("dtKakuninHi"))->setDate(Tomorrow.addDays(1));
    EXPECT_EQ(rows(), (QStringList{"10:00 明後日/クロ"}));

    // The call sheet in print preview, and the command brings back the one window.
    auto preview = onNextModal([](QWidget* dialog) { dialog->close(); });
    click(*calls, "btnKakuninPrint");
    ASSERT_TRUE(preview->appeared);
    EXPECT_EQ(preview->className, "QPrintPreviewDialog");
    EXPECT_EQ(openCalls(), calls);
    click(*calls, "btnKakuninClose");
    QTRY_COMPARE(window->findChild<TfmKakuninDenwa*>(), nullptr);
}

// A pet whose カルテ has flags or a shot to renew within 30 days of the booking shows them in the
// column 注意, which a day without any does not have; the rows follow a カルテ changed meanwhile.
TEST_F(KakuninDenwaTest, TheKarteShowsItsFlagsAndTheShotsToRenew) {
    writeUsers({customerLine("ポチ", "犬", "佐藤", "さとう"),
                customerLine("タマ", "猫", "鈴木", "すずき")});
    window = openWindow();
    window->show();
    records::RecordLists& lists = window->recordLists();
    const auto cautions = [this] {
        QStringList texts;
        for (int row = 0; row < list->topLevelItemCount(); ++row) {
            texts.append(list->topLevelItem(row)->text(7));
        }
        return texts;
    };
    TfmKakuninDenwa* calls = openCalls();
    ASSERT_NE(calls, nullptr);
    EXPECT_TRUE(list->isColumnHidden(7));

    using records::karte::Flag;
    // 9:00 鈴木/タマ, 11:00 佐藤/ポチ, 14:00 高橋/ハナ on the 10th.
    giveKarte(lists, 0, {Flag::Kamu, Flag::Kourei}, QDate(2027, 1, 9));
    giveKarte(lists, 1, {}, QDate(2027, 1, 10));
    QTRY_COMPARE(cautions(),
                 QStringList({QString(), QStringLiteral("噛む・高齢 期限 狂犬病 1/9"), QString()}));
    EXPECT_EQ(list->headerItem()->text(7), QStringLiteral("注意"));
    EXPECT_FALSE(list->isColumnHidden(7));

    giveKarte(lists, 0, {Flag::Hoeru});
    QTRY_COMPARE(cautions(), QStringList({QString(), QStringLiteral("吠える"), QString()}));
    calls->close();
}

}  // namespace
