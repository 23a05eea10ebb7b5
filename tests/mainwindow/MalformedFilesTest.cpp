#include "mainwindow/UserListView.h"
#include "mainwindow/YoyakuGrid.h"
#include "mainwindow/uMain.h"
#include "tests/mainwindow/MainWindowFixture.h"
#include "tests/support/Files.h"
#include "tests/support/ModalDriver.h"

#include <QAbstractButton>
#include <QAction>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListView>
#include <QtTest>

#include <algorithm>
#include <functional>

using namespace testing_support;

namespace {

// Each case is a customer file and a reservation file with the same fault (customers/NAME.csv and
// reservations/NAME.csv), and how many lines the window must show of each.
struct MalformedCase {
    const char* name;
    int customersShown;     // items on the list page
    int reservationsShown;  // lines in the reservation list
};

// clang-format off
const MalformedCase Catalogue[] = {
    // Lines with fewer fields than the format, down to a single field.
    {"short-lines",                4, 4},
    // Empty lines at the start, in the middle and at the end.
    {"empty-lines",                6, 6},
    // A 10 MB line between two ordinary ones; made by the test, not kept as a file.
    {"long-line",                  3, 3},
    // A double-byte lead byte alone right before CR LF ...
    {"lead-byte-at-line-end",      2, 2},
    // ... and as the last byte of a file without a final line end.
    {"lead-byte-at-file-end",      2, 2},
    // Lead bytes with bad trail bytes, an unassigned pair, 0xA0 and 0xFD to 0xFF.
    {"invalid-double-byte-pairs",  3, 3},
    // A NUL inside a line is a byte of its line in both files.
    {"nul-byte",                   3, 3},
    // A 0x1A inside a line: it ends the text of the customer file only.
    {"end-of-text-byte",           2, 3},
    // A CR alone ends a reservation line; in the customer file it is dropped.
    {"cr-only-line-ends",          1, 3},
    {"lf-only-line-ends",          3, 3},
    // CR LF, LF, CR and LF CR in one file, the last line without a line end.
    {"mixed-line-ends",            4, 6},
    // Records saved as UTF-8, with and without the byte order mark.
    {"utf8-with-bom",              2, 2},
    {"utf8-without-bom",           2, 2},
    // A quote opening a line and never closed, quotes inside a field and at a line's end.
    {"stray-quotes",               4, 4},
};
// clang-format on

// A field the windows show, of 10 MB.
QByteArray tenMegabyteField() {
    return sjisOf("長").repeated(5 * 1024 * 1024);
}

QByteArray customersOf(const MalformedCase& c) {
    if (QByteArray(c.name) == "long-line") {
        return fileOf({customerLine("モモ", "猫", "佐藤", "さとう"),
                       tenMegabyteField() + sjisOf("\t犬\t柴\tながい\t長井"),
                       customerLine("ココ", "犬", "鈴木", "すずき")});
    }
    return readBytes(QStringLiteral(MALFORMED_RECORDS "/customers/%1.csv").arg(c.name));
}

QByteArray reservationsOf(const MalformedCase& c) {
    if (QByteArray(c.name) == "long-line") {
        return fileOf({reservationLine("2026", "12", "09", "10", "佐藤", "モモ"),
                       "2026\t12\t10\t11\t00\t" + sjisOf("ながい\t") + tenMegabyteField(),
                       reservationLine("2026", "12", "10", "14", "鈴木", "ココ")});
    }
    return readBytes(QStringLiteral(MALFORMED_RECORDS "/reservations/%1.csv").arg(c.name));
}

// What a file holds after its lines: the customer file from its end mark on.
QByteArray tailOf(const QByteArray& content, const QString& name) {
    return name == UserFileName ? readCustomerFile(content).unreadTail : QByteArray();
}

// The file is the lines, each ended by CR LF, and then the tail it was read with. Reports where
// it differs instead of printing megabytes.
::testing::AssertionResult fileHolds(const QString& path, const QByteArrayList& lines,
                                     const QByteArray& tail) {
    const QByteArray expected = fileOf(lines) + tail;
    const QByteArray actual = readBytes(path);
    if (actual == expected) {
        return ::testing::AssertionSuccess();
    }
    const auto differ =
        std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
    return ::testing::AssertionFailure()
           << "file differs from byte " << (differ.first - actual.begin()) << " on; "
           << actual.size() << " bytes, expected " << expected.size();
}

// After an append the file's old lines keep their own line ends; it must read back as the list,
// with the same tail.
::testing::AssertionResult readsAs(const QString& path, const QByteArrayList& lines,
                                   const QByteArray& tail) {
    const QByteArray content = readBytes(path);
    const bool customers = path.endsWith(UserFileName);
    const QByteArrayList read =
        customers ? splitCustomerFile(content) : splitReservationFile(content);
    if (read != lines) {
        return ::testing::AssertionFailure() << "reads back as other lines";
    }
    if (tailOf(content, customers ? UserFileName : YoyakuFileName) != tail) {
        return ::testing::AssertionFailure() << "the tail after the end mark changed";
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult listIs(const QByteArrayList& list, const QByteArrayList& expected) {
    if (list == expected) {
        return ::testing::AssertionSuccess();
    }
    const auto differ = std::mismatch(list.begin(), list.end(), expected.begin(), expected.end());
    return ::testing::AssertionFailure()
           << "list differs from line " << (differ.first - list.begin()) << " on; " << list.size()
           << " lines, expected " << expected.size();
}

void setText(QWidget* dialog, const char* name, const QString& text) {
    dialog->findChild<QLineEdit*>(QString::fromLatin1(name))->setText(text);
}

void press(QWidget* dialog, const char* button) {
    QTest::mouseClick(dialog->findChild<QAbstractButton*>(QString::fromLatin1(button)),
                      Qt::LeftButton);
}

// Saturday the 12th at 20 時: a slot none of the files uses.
constexpr int FreeColumn = 7;
constexpr int FreeRow = 13;

std::shared_ptr<ModalVisit> onFreeSlot(TfmMain& window, std::function<void(QWidget*)> drive) {
    mainwindow::TYoyakuGrid* grid = window.yoyakuGrid();
    window.activateWindow();
    grid->setFocus();
    if (!QTest::qWaitFor([grid] { return grid->hasFocus(); })) {
        return nullptr;
    }
    grid->selectCell(FreeColumn, FreeRow);
    auto visit = onNextModal(std::move(drive));
    window.actYoyakuDialogShow->trigger();
    return visit;
}

std::shared_ptr<ModalVisit> onLastCustomer(TfmMain& window, std::function<void(QWidget*)> drive) {
    mainwindow::TUserListView* list = window.userListView();
    QListView* view = list->iconView();
    const QModelIndex last = list->model()->index(list->model()->rowCount() - 1, 0);
    view->scrollTo(last);
    const QPoint at = view->visualRect(last).center();
    auto visit = onNextModal(std::move(drive));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
    return visit;
}

class MalformedFilesTest : public MainWindowTest,
                           public ::testing::WithParamInterface<MalformedCase> {};

TEST_P(MalformedFilesTest, ShowsWhatItCanAndChangesKeepEveryUntouchedLine) {
    const QByteArray customers = customersOf(GetParam());
    const QByteArray reservations = reservationsOf(GetParam());
    ASSERT_FALSE(customers.isEmpty());
    ASSERT_FALSE(reservations.isEmpty());
    writeBytes(userFile(), customers);
    writeBytes(yoyakuFile(), reservations);
    const QByteArrayList customerLines = splitCustomerFile(customers);
    const QByteArrayList reservationLines = splitReservationFile(reservations);
    const QByteArray customerTail = tailOf(customers, UserFileName);
    const QByteArray reservationTail = tailOf(reservations, YoyakuFileName);
    ASSERT_EQ(customerLines.size(), GetParam().customersShown);
    ASSERT_EQ(reservationLines.size(), GetParam().reservationsShown);

    auto window = openWindow();
    window->show();
    const THonjitu& honjitu = window->honjitu();
    EXPECT_TRUE(listIs(honjitu.UserList, customerLines));
    EXPECT_EQ(window->userListView()->model()->rowCount(), customerLines.size());
    EXPECT_TRUE(listIs(honjitu.YoyakuList, reservationLines));
    EXPECT_EQ(window->yoyakuGrid()->cellText(FreeColumn, 0), QStringLiteral("12日(土)"));
    // A repaint lays out no more than a cell can show, however long a record is.
    const auto msToPaint = [&window] {
        QElapsedTimer painting;
        painting.start();
        window->grab();
        return painting.elapsed();
    };
    EXPECT_LT(msToPaint(), 5000);

    // A new booking, the same booking updated, then the dialog cancelled: one append and two
    // rewrites of the reservation file.
    auto booked = onFreeSlot(*window, [](QWidget* dialog) {
        setText(dialog, "edtYoyakuHun", QStringLiteral("15"));
        setText(dialog, "edtShimei", QStringLiteral("山田"));
        setText(dialog, "edtPetName", QStringLiteral("ポチ"));
        press(dialog, "Button1");
    });
    ASSERT_TRUE(booked && booked->appeared && !booked->closedByWatchdog);
    ASSERT_EQ(honjitu.YoyakuList.size(), reservationLines.size() + 1);
    EXPECT_TRUE(honjitu.YoyakuList.last().startsWith("2026\t12\t12\t20\t15\t"));
    EXPECT_TRUE(listIs(honjitu.YoyakuList.first(reservationLines.size()), reservationLines));
    EXPECT_TRUE(readsAs(yoyakuFile(), honjitu.YoyakuList, reservationTail));
    EXPECT_EQ(window->yoyakuGrid()->cellText(FreeColumn, FreeRow), QStringLiteral("山田/ポチ"));

    auto updated = onFreeSlot(*window, [](QWidget* dialog) {
        setText(dialog, "edtYoyakuHun", QStringLiteral("45"));
        press(dialog, "Button1");
    });
    ASSERT_TRUE(updated && updated->appeared && !updated->closedByWatchdog);
    ASSERT_EQ(honjitu.YoyakuList.size(), reservationLines.size() + 1);
    EXPECT_TRUE(honjitu.YoyakuList.last().startsWith("2026\t12\t12\t20\t45\t"));
    EXPECT_TRUE(fileHolds(yoyakuFile(), honjitu.YoyakuList, reservationTail));

    const QByteArrayList beforeCancel = honjitu.YoyakuList;
    auto cancelled = onFreeSlot(*window, [](QWidget* dialog) { press(dialog, "Button2"); });
    ASSERT_TRUE(cancelled && cancelled->appeared && !cancelled->closedByWatchdog);
    EXPECT_TRUE(listIs(honjitu.YoyakuList, beforeCancel));
    EXPECT_TRUE(fileHolds(yoyakuFile(), beforeCancel, reservationTail));

    // A new customer, that customer changed, then deleted: one append and two rewrites.
    window->actUserItiran->trigger();
    EXPECT_LT(msToPaint(), 5000);
    auto added = onNextModal([](QWidget* dialog) {
        setText(dialog, "edtPetName", QStringLiteral("ポチ"));
        press(dialog, "Button1");
    });
    window->actUserTouroku->trigger();
    ASSERT_TRUE(added->appeared && !added->closedByWatchdog);
    EXPECT_TRUE(listIs(
        honjitu.UserList,
        customerLines + QByteArrayList{sjisOf("ポチ") + QByteArray("\t\xF9\xD3").repeated(9)}));
    EXPECT_TRUE(readsAs(userFile(), honjitu.UserList, customerTail));
    EXPECT_EQ(window->userListView()->model()->rowCount(), honjitu.UserList.size());

    QString opened;
    auto changed = onLastCustomer(*window, [&opened](QWidget* dialog) {
        opened = dialog->findChild<QLineEdit*>(QStringLiteral("edtPetName"))->text();
        setText(dialog, "edtPetName", QStringLiteral("ポチ丸"));
        press(dialog, "Button1");
    });
    ASSERT_TRUE(changed->appeared && !changed->closedByWatchdog);
    EXPECT_EQ(opened, QStringLiteral("ポチ"));
    ASSERT_EQ(honjitu.UserList.size(), customerLines.size() + 1);
    EXPECT_TRUE(honjitu.UserList.last().startsWith(sjisOf("ポチ丸\t")));
    EXPECT_TRUE(listIs(honjitu.UserList.first(customerLines.size()), customerLines));
    EXPECT_TRUE(fileHolds(userFile(), honjitu.UserList, customerTail));

    // The question, then the note that the customer was deleted.
    const ModalVisits messages = answerMessages({QMessageBox::Yes, QMessageBox::Ok});
    window->userListView()->selectIndex(honjitu.UserList.size() - 1);
    QTest::keyClick(window->userListView()->currentWidget(), Qt::Key_Delete);
    ASSERT_TRUE(messages->at(0)->appeared && messages->at(1)->appeared);
    EXPECT_TRUE(listIs(honjitu.UserList, customerLines));
    EXPECT_TRUE(fileHolds(userFile(), customerLines, customerTail));
    EXPECT_EQ(window->userListView()->model()->rowCount(), customerLines.size());
}

INSTANTIATE_TEST_SUITE_P(Catalogue, MalformedFilesTest, ::testing::ValuesIn(Catalogue),
                         [](const ::testing::TestParamInfo<MalformedCase>& info) {
                             QByteArray name(info.param.name);
                             return name.replace('-', '_').toStdString();
                         });

}  // namespace
