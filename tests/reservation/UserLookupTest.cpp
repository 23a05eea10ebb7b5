// Enter in a search field, the picker, and what a chosen customer fills in.
#include "tests/reservation/CutYoyakuFixture.h"

#include "records/CustomerRecord.h"
#include "records/Sjis.h"
#include "reservation/uUserListDialog.h"
#include "tests/support/Files.h"
#include "tests/support/Typing.h"

#include <QApplication>
#include <QListWidget>
#include <QTest>
#include <QTimer>

namespace testing_support {
namespace {

// Pet, kind, breed, reading, name, postal code, address, address 2, telephone, mobile. Built on
// first use, not while globals are being initialised.
QByteArray yamada() {
    return customerLine(
        {"ポチ", "犬", "柴", "やまだ", "山田　太郎", "", "東京都", "", "03-1111", "090-1111"});
}
QByteArray sato() {
    return customerLine({"タマ", "猫", "", "さとう", "佐藤", "", "やまだ町1", "", "03-2222", ""});
}
QByteArray abc() {
    return customerLine({"Max", "", "", "", "ABC", "", "", "", "(03)2222-5555", ""});
}

enum class Close { Esc, Enter, DownEnter, DownDownEnter, DoubleClickFirst };

struct LookupCase {
    const char* field;
    QString typed;
    Qt::KeyboardModifiers modifiers;
    Close close;
    QList<QByteArray> listed;
    // The nine owner and pet edits (pet, breed, reading, name, postal code, address,
    // address 2, telephone, mobile) and the checked buttons afterwards.
    QStringList edits;
    QStringList checked;
};

void PrintTo(const LookupCase& lookup, std::ostream* out) {
    *out << lookup.field << " \"" << lookup.typed.toStdString() << "\"";
}

const char* const CopiedEdits[] = {"edtPetName",      "edtShuNado",     "edtFurigana",
                                   "edtShimei",       "edtYubin",       "edtJyusho",
                                   "edtJyushoTuzuki", "edtTelephoneNo", "edtMobilPhoneNo"};

QStringList onlyTyped(const char* field, const QString& typed) {
    QStringList edits;
    for (const char* name : CopiedEdits) {
        edits.append(qstrcmp(name, field) == 0 ? typed : QString());
    }
    return edits;
}

const QStringList YamadaEdits = {"ポチ",   "柴", "やまだ",  "山田　太郎", "",
                                 "東京都", "",   "03-1111", "090-1111"};
const QStringList SatoEdits = {"タマ", "", "さとう", "佐藤", "", "やまだ町1", "", "03-2222", ""};
const QStringList Untouched = {"chbSonotaHigeCut"};

class UserLookup : public CutYoyakuTest, public ::testing::WithParamInterface<LookupCase> {};

TEST_P(UserLookup, ListsMatchingLinesAndCopiesTheChosenOne) {
    const LookupCase& lookup = GetParam();
    givenCustomers({yamada(), sato(), abc()});
    std::shared_ptr<ModalVisit> picker;
    QList<QByteArray> listed;
    bool highlightedWhenShown = true;
    QStringList edits, checked, slot;
    run(std::nullopt, [&](TfmCutYoyaku& dialog) {
        click(dialog, "chbSonotaHigeCut");
        QWidget* field = dialog.findChild<QWidget*>(lookup.field);
        typeText(field, lookup.typed);
        picker = onNextModal([&](QWidget* window) {
            auto* list = window->findChild<QListWidget*>("ListBoxUserList");
            // An offscreen window never becomes active, so the focus it would get comes by hand.
            QFocusEvent focusIn(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
            QApplication::sendEvent(list, &focusIn);
            highlightedWhenShown = list->currentRow() >= 0 || !list->selectedItems().isEmpty();
            for (int row = 0; row < list->count(); ++row) {
                listed.append(list->item(row)->data(Qt::UserRole).toByteArray());
            }
            switch (lookup.close) {
                case Close::Esc:
                    QTest::keyClick(list, Qt::Key_Escape);
                    break;
                case Close::DownDownEnter:
                    QTest::keyClick(list, Qt::Key_Down);
                    [[fallthrough]];
                case Close::DownEnter:
                    QTest::keyClick(list, Qt::Key_Down);
                    [[fallthrough]];
                case Close::Enter:
                    QTest::keyClick(list, Qt::Key_Return);
                    break;
                case Close::DoubleClickFirst:
                    const QPoint centre = list->visualItemRect(list->item(0)).center();
                    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
                    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);
                    break;
            }
        });
        QTest::keyClick(field, Qt::Key_Return, lookup.modifiers);
        for (const char* name : CopiedEdits) {
            edits.append(fieldText(dialog, name));
        }
        checked = checkedButtons(dialog);
        slot = {fieldText(dialog, "cbYoyakuNiti"), fieldText(dialog, "cbYoyakuJikan")};
        click(dialog, "Button2");
    });
    EXPECT_TRUE(picker->appeared);
    EXPECT_EQ(picker->objectName, "fmUserListDialog");
    EXPECT_FALSE(highlightedWhenShown);
    EXPECT_EQ(listed, lookup.listed);
    EXPECT_EQ(edits, lookup.edits);
    EXPECT_EQ(checked, lookup.checked);
    EXPECT_EQ(slot, (QStringList{"08", "10"}));
}

INSTANTIATE_TEST_SUITE_P(Cases, UserLookup,
                         ::testing::Values(
                             // A reading that is also in another customer's address finds both.
                             LookupCase{"edtFurigana",
                                        "やまだ",
                                        Qt::NoModifier,
                                        Close::DownDownEnter,
                                        {yamada(), sato()},
                                        SatoEdits,
                                        {"chbSonotaHigeCut", "rdoCat"}},
                             LookupCase{"edtPetName",
                                        "犬",
                                        Qt::ShiftModifier,
                                        Close::DownEnter,
                                        {yamada()},
                                        YamadaEdits,
                                        {"chbSonotaHigeCut", "rdoDog"}},
                             // A line holding the text as typed: the digits, which abc's
                             // number holds too, are not tried.
                             LookupCase{"edtTelephoneNo",
                                        "03-2222",
                                        Qt::NoModifier,
                                        Close::Enter,
                                        {sato()},
                                        onlyTyped("edtTelephoneNo", "03-2222"),
                                        Untouched},
                             LookupCase{"edtShimei",
                                        "ABC",
                                        Qt::ControlModifier,
                                        Close::DoubleClickFirst,
                                        {abc()},
                                        {"Max", "", "", "ABC", "", "", "", "(03)2222-5555", ""},
                                        {"chbSonotaHigeCut", "rdoSonota"}},
                             // When no line holds the telephone text, its digits find the
                             // numbers however they are written.
                             LookupCase{"edtTelephoneNo",
                                        "０３２２２２",
                                        Qt::NoModifier,
                                        Close::DownEnter,
                                        {sato(), abc()},
                                        SatoEdits,
                                        {"chbSonotaHigeCut", "rdoCat"}},
                             LookupCase{"edtTelephoneNo",
                                        "(03) 1111",
                                        Qt::NoModifier,
                                        Close::DownEnter,
                                        {yamada()},
                                        YamadaEdits,
                                        {"chbSonotaHigeCut", "rdoDog"}},
                             LookupCase{"edtPetName",
                                        "タマ",
                                        Qt::NoModifier,
                                        Close::Esc,
                                        {sato()},
                                        onlyTyped("edtPetName", "タマ"),
                                        Untouched}));

struct NothingFound {
    const char* field;
    QString typed;
    QByteArrayList customers;
};

void PrintTo(const NothingFound& lookup, std::ostream* out) {
    *out << lookup.field << " \"" << lookup.typed.toStdString() << "\"";
}

class NothingFoundLookup : public CutYoyakuTest,
                           public ::testing::WithParamInterface<NothingFound> {};

// Enter that finds no customer shows no window at all and leaves the fields as they were.
TEST_P(NothingFoundLookup, ShowsNoPicker) {
    const NothingFound& lookup = GetParam();
    givenCustomers(lookup.customers);
    QString modalAfterEnter;
    QStringList edits;
    run(std::nullopt, [&](TfmCutYoyaku& dialog) {
        QWidget* field = dialog.findChild<QWidget*>(lookup.field);
        typeText(field, lookup.typed);
        QTimer::singleShot(0, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            modalAfterEnter = modal->objectName();
            if (modal != &dialog) {
                modal->close();
            }
        });
        QTest::keyClick(field, Qt::Key_Return);
        QApplication::processEvents();
        for (const char* name : CopiedEdits) {
            edits.append(fieldText(dialog, name));
        }
        click(dialog, "Button2");
    });
    EXPECT_EQ(modalAfterEnter, "fmCutYoyaku");
    EXPECT_EQ(edits, onlyTyped(lookup.field, lookup.typed));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NothingFoundLookup,
    ::testing::Values(NothingFound{"edtShimei", "山田", {}},
                      NothingFound{"edtShimei", "abc", {yamada(), sato(), abc()}},
                      // Stored fields hold a full-width space in place of a half-width one.
                      NothingFound{"edtShimei", "山田 太郎", {yamada(), sato(), abc()}},
                      NothingFound{"edtFurigana", "", {yamada(), sato(), abc()}},
                      // Digits are tried only from the telephone field, and only for a number.
                      NothingFound{"edtShimei", "031111", {yamada(), sato(), abc()}},
                      NothingFound{"edtTelephoneNo", "03-9999", {yamada(), sato(), abc()}},
                      NothingFound{"edtTelephoneNo", "tel 031111", {yamada(), sato(), abc()}}));

TEST(UserListDialog, IsABorderlessFixedBoxOfTwelvePixelRows) {
    TfmUserListDialog picker;
    picker.addUser(yamada());
    picker.addUser(sato());
    auto* list = picker.findChild<QListWidget*>("ListBoxUserList");
    EXPECT_TRUE(picker.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(picker.size(), QSize(345, 133));
    EXPECT_EQ(list->sizeHintForRow(0), 12);
    EXPECT_EQ(list->item(1)->text(), records::sjis::toUnicode(sato()));
    EXPECT_TRUE(picker.getSelectedUser().isEmpty());
}

}  // namespace
}  // namespace testing_support
