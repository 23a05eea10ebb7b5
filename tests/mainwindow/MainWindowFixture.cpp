#include "tests/mainwindow/MainWindowFixture.h"

#include "mainwindow/UserListView.h"
#include "mainwindow/YoyakuGrid.h"
#include "records/Clock.h"
#include "records/CustomerRecord.h"
#include "records/ReservationRecord.h"
#include "tests/support/Files.h"
#include "tests/support/FixedClock.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QListView>
#include <QScreen>
#include <QTreeView>
#include <QtTest>

namespace testing_support {

QByteArray reservationLine(const char* nen, const char* tuki, const char* niti, const char* jikan,
                           const char* shimei, const char* petName) {
    using namespace records::reservation_record;
    return recordLine(FieldCount, {{YoyakuNen, nen},
                                   {YoyakuTuki, tuki},
                                   {YoyakuNiti, niti},
                                   {YoyakuJikan, jikan},
                                   {YoyakuHun, "00"},
                                   {Shimei, shimei},
                                   {PetName, petName},
                                   {Shu, "犬"}});
}

QByteArray customerLine(const char* petName, const char* shu, const char* shimei,
                        const char* furigana, const char* jyusho, const char* tuzuki,
                        const char* telephone, const char* mobil) {
    using namespace records::customer_record;
    return recordLine(FieldCount, {{PetName, petName},
                                   {Shu, shu},
                                   {Shimei, shimei},
                                   {Furigana, furigana},
                                   {Jyusho, jyusho},
                                   {JyushoTuzuki, tuzuki},
                                   {TelephoneNo, telephone},
                                   {MobilPhoneNo, mobil}});
}

mainwindow::Placement keptOnScreen(const mainwindow::Placement& placement) {
    return mainwindow::keptInside(placement, QGuiApplication::primaryScreen()->availableGeometry());
}

void doubleClickCustomer(mainwindow::TUserListView& list, int index) {
    QAbstractItemView* view =
        list.isReport() ? static_cast<QAbstractItemView*>(list.reportView()) : list.iconView();
    const QModelIndex item = list.model()->index(index, 0);
    view->scrollTo(item);
    const QPoint centre = view->visualRect(item).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, centre);
}

namespace {

QStringList tableOf(TfmMain& window) {
    QStringList cells;
    for (int row = 0; row < mainwindow::TYoyakuGrid::RowCount; ++row) {
        for (int column = 0; column < mainwindow::TYoyakuGrid::ColumnCount; ++column) {
            cells.append(window.yoyakuGrid()->cellText(column, row));
        }
    }
    return cells;
}

QStringList pageOf(TfmMain& window) {
    const mainwindow::UserListModel* model = window.userListView()->model();
    QStringList items;
    for (int row = 0; row < model->rowCount(); ++row) {
        for (int column = 0; column < mainwindow::UserListModel::ColumnCount; ++column) {
            items.append(model->index(row, column).data().toString());
        }
    }
    return items;
}

}  // namespace

Seen seenIn(TfmMain& window) {
    return {bytesOf(window.userFilePath()),
            bytesOf(window.yoyakuFilePath()),
            window.honjitu().UserList,
            window.honjitu().YoyakuList,
            pageOf(window),
            tableOf(window)};
}

void expectSame(const Seen& after, const Seen& before) {
    EXPECT_EQ(after.userBytes, before.userBytes);
    EXPECT_EQ(after.yoyakuBytes, before.yoyakuBytes);
    EXPECT_EQ(after.userList, before.userList);
    EXPECT_EQ(after.yoyakuList, before.yoyakuList);
    EXPECT_EQ(after.page, before.page);
    EXPECT_EQ(after.table, before.table);
}

void MainWindowTest::SetUp() {
    ASSERT_TRUE(folder.isValid());
    setNow(FixedNow);
}

void MainWindowTest::TearDown() {
    records::clock_source::set({});
}

void MainWindowTest::setNow(const QDateTime& now) {
    standClockAt(now);
}

QString MainWindowTest::userFile() const {
    return recordFilePath(folder.path(), UserFileName);
}

QString MainWindowTest::yoyakuFile() const {
    return recordFilePath(folder.path(), YoyakuFileName);
}

void MainWindowTest::writeUsers(const QByteArrayList& lines) const {
    writeBytes(userFile(), fileOf(lines));
}

void MainWindowTest::writeReservations(const QByteArrayList& lines) const {
    writeBytes(yoyakuFile(), fileOf(lines));
}

std::unique_ptr<TfmMain> MainWindowTest::openWindow() const {
    return std::make_unique<TfmMain>(MainWindowOptions{folder.path(), iniFile()});
}

void giveKarte(records::RecordLists& lists, qsizetype position,
               std::initializer_list<records::karte::Flag> flags, QDate rabiesValidUntil) {
    using namespace records::karte;
    Karte karte;
    for (const Flag flag : flags) {
        karte.set(flag, true);
    }
    if (rabiesValidUntil.isValid()) {
        karte.vaccinations = {
            {VaccineKind::Kyoukenbyou, rabiesValidUntil.addYears(-1), rabiesValidUntil, true}};
    }
    const records::LineDetails others = lists.detailsAt(records::RecordFile::User, position);
    lists.setDetails(records::RecordFile::User, position,
                     lists.lines(records::RecordFile::User).at(position), karte.into(others));
}

}  // namespace testing_support
