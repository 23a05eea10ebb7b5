// The check of reservation lines no cell of the weekly table leads to, from the start-up count on
// the status bar through a correction and a deletion to what the file and the table hold.
#include "mainwindow/YoyakuGrid.h"
#include "mainwindow/uMain.h"
#include "records/ReservationRecord.h"
#include "tests/mainwindow/MainWindowFixture.h"
#include "tests/support/DialogFields.h"
#include "tests/support/Files.h"
#include "tests/support/ModalDriver.h"

#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QSpinBox>
#include <QStatusBar>
#include <QTreeWidget>
#include <QtTest>

using namespace testing_support;
namespace rsv = records::reservation_record;

namespace {

// A booking of 山田's ポチ with remarks and a quoted field another program left in the line.
// The first `fieldCount` fields only, when given, as a line cut short.
QByteArray booking(const char* nen, const char* tuki, const char* niti, const char* jikan,
                   const char* hun, int fieldCount = rsv::FieldCount) {
    const QByteArray line = recordLine(rsv::FieldCount, {{rsv::YoyakuNen, nen},
                                                         {rsv::YoyakuTuki, tuki},
                                                         {rsv::YoyakuNiti, niti},
                                                         {rsv::YoyakuJikan, jikan},
                                                         {rsv::YoyakuHun, hun},
                                                         {rsv::Furigana, "\"やまだ\""},
                                                         {rsv::Shimei, "山田"},
                                                         {rsv::PetName, "ポチ"},
                                                         {rsv::Shu, "犬"},
                                                         {rsv::SonotaBikou, "耳　掃除"}});
    return line.split('\t').mid(0, fieldCount).join('\t');
}

QList<QStringList> rowsOf(const QWidget& window) {
    const auto* list = window.findChild<QTreeWidget*>(QStringLiteral("ListViewTenken"));
    QList<QStringList> rows;
    for (int row = 0; row < list->topLevelItemCount(); ++row) {
        rows.append({list->topLevelItem(row)->text(0), list->topLevelItem(row)->text(1)});
    }
    return rows;
}

void selectRow(const QWidget& window, int row) {
    auto* list = window.findChild<QTreeWidget*>(QStringLiteral("ListViewTenken"));
    list->setCurrentItem(list->topLevelItem(row));
}

QString statusOf(TfmMain& window) {
    return window.findChild<QStatusBar*>(QStringLiteral("StatusBarMain"))->currentMessage();
}

class KirokuTenkenTest : public MainWindowTest {};

TEST_F(KirokuTenkenTest, CorrectsOneLineInPlaceAndDeletesAnotherAfterAsking) {
    const QByteArray noDate = booking("2026", "11", "31", "10", "30");
    const QByteArray noRow = booking("2026", "12", "09", "25", "00");
    const QByteArray cutShort = booking("2026", "12", "10", "10", "00", 8);
    const QByteArrayList kept = {booking("2026", "12", "08", "09", "00"),
                                 booking("2026", "12", "11", "14", "00")};
    writeReservations({kept[0], noDate, noRow, cutShort, kept[1]});
    auto window = openWindow();
    window->show();
    // Told once the window is up.
    EXPECT_EQ(statusOf(*window), QString());
    const QString count = QStringLiteral("点検が必要な予約が 3 件あります");
    EXPECT_TRUE(QTest::qWaitFor([&] { return statusOf(*window) == count; }, 2000))
        << statusOf(*window).toStdString();

    QList<QStringList> opened, afterCorrection, afterRefusal, afterDeletion;
    std::shared_ptr<ModalVisit> correction;
    ModalVisits refused, deleted;
    auto visit = onNextModal([&](QWidget* window) {
        opened = rowsOf(*window);
        selectRow(*window, 0);
        correction = onNextModal([](QWidget* dialog) {
            dialog->findChild<QDateEdit*>(QStringLiteral("edtShuseiHiduke"))
                ->setDate(QDate(2026, 12, 10));
            dialog->findChild<QComboBox*>(QStringLiteral("cbShuseiJikan"))
                ->setCurrentText(QStringLiteral("11"));
            dialog->findChild<QSpinBox*>(QStringLiteral("edtShuseiHun"))->setValue(5);
            click(*dialog, "btnShuseiOk");
        });
        click(*window, "btnTenkenShusei");
        afterCorrection = rowsOf(*window);
        selectRow(*window, 0);
        refused = answerMessages({QMessageBox::No, QMessageBox::Ok});
        click(*window, "btnTenkenSakujo");
        afterRefusal = rowsOf(*window);
        deleted = answerMessages({QMessageBox::Yes, QMessageBox::Ok});
        click(*window, "btnTenkenSakujo");
        afterDeletion = rowsOf(*window);
        click(*window, "btnTenkenClose");
    });
    window->actKirokuTenken->trigger();

    ASSERT_TRUE(visit->appeared);
    EXPECT_FALSE(visit->closedByWatchdog);
    EXPECT_EQ(visit->objectName, QStringLiteral("fmKirokuTenken"));
    EXPECT_EQ(visit->className, QStringLiteral("TfmKirokuTenken"));
    EXPECT_EQ(opened, (QList<QStringList>{{"2", "日付がありません"},
                                          {"3", "時間が表にありません"},
                                          {"4", "項目が足りません"}}));
    ASSERT_TRUE(correction->appeared);
    EXPECT_EQ(afterCorrection,
              (QList<QStringList>{{"3", "時間が表にありません"}, {"4", "項目が足りません"}}));
    ASSERT_EQ(refused->size(), 2u);
    EXPECT_EQ((*refused)[0]->icon, QMessageBox::Question);
    EXPECT_EQ((*refused)[1]->icon, QMessageBox::Warning);
    EXPECT_EQ(afterRefusal, afterCorrection);
    ASSERT_EQ(deleted->size(), 2u);
    EXPECT_EQ((*deleted)[1]->icon, QMessageBox::Information);
    EXPECT_EQ(afterDeletion, (QList<QStringList>{{"3", "項目が足りません"}}));

    // The corrected line kept its place and every other field; the rest of the file is as it was.
    const QByteArray corrected = booking("2026", "12", "10", "11", "05");
    EXPECT_EQ(readBytes(yoyakuFile()), fileOf({kept[0], corrected, cutShort, kept[1]}));
    // Thursday at 11 o'clock in the table; the status bar counts the one line left.
    EXPECT_EQ(window->yoyakuGrid()->cellText(5, 11 - 7), QStringLiteral("山田/ポチ"));
    EXPECT_EQ(statusOf(*window), QStringLiteral("点検が必要な予約が 1 件あります"));
}

}  // namespace
