#include "customer/KokyakuTourokuCommand.h"
#include "tests/customer/FormHelpers.h"
#include "tests/support/DialogFields.h"
#include "tests/support/ModalDriver.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFileInfo>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace customer_testing;
using namespace testing_support;

namespace {

class KokyakuTouroku : public ::testing::Test {
protected:
    QString path() const { return dir_.filePath(UserFileName); }

    void store(const QByteArrayList& lines) {
        writeBytes(path(), fileOf(lines));
        lists_.UserListLoad();
    }

    // Runs the command and hands the dialog to `drive` once it is open.
    bool run(int n, const std::function<void(QWidget*)>& drive) {
        const auto visit = onNextModal(drive);
        const bool written = customer::runKokyakuTouroku(nullptr, lists_, n);
        EXPECT_EQ(visit->objectName, "fmKokyakuTouroku");
        EXPECT_FALSE(visit->closedByWatchdog);
        return written;
    }

    void expectStored(const QByteArrayList& lines) {
        EXPECT_EQ(readBytes(path()), fileOf(lines));
        EXPECT_EQ(honjitu_.UserList, lines);
    }

    QTemporaryDir dir_;
    THonjitu honjitu_;
    records::RecordLists lists_{honjitu_, dir_.path()};
};

TEST_F(KokyakuTouroku, NewCustomerIsAppendedWithMarksForEmptyFields) {
    const struct {
        const char* edit;
        const char* text;
        const char* kind;
        QByteArray line;
    } cases[] = {
        {"edtPetName", "ポチ", nullptr, customerLine({"ポチ"})},
        {"edtShimei", "山田 太郎", nullptr, customerLine({"", "", "", "", "山田　太郎"})},
        {"edtShimei", "  ", "rdoCat", customerLine({"", "猫", "", "", "　　"})},
    };
    const QByteArray first = customerLine({"先客"});
    for (const auto& c : cases) {
        store({first});
        QString focused;
        EXPECT_TRUE(run(0, [&](QWidget* dialog) {
            focused = dialog->focusWidget() ? dialog->focusWidget()->objectName() : QString();
            type(dialog, c.edit, c.text);
            if (c.kind) {
                child<QRadioButton>(dialog, c.kind)->click();
            }
            click(dialog, "Button1");
        }));
        EXPECT_EQ(focused, "edtPetName");
        expectStored({first, c.line});
    }
}

TEST_F(KokyakuTouroku, BothNamesEmptyAreRefusedUntilOneIsTyped) {
    store({});
    std::shared_ptr<ModalVisit> message;
    bool openAfterWarning = false;
    EXPECT_TRUE(run(0, [&](QWidget* dialog) {
        message = answerNextMessage(QMessageBox::Ok);
        type(dialog, "edtFurigana", "やまだ");
        click(dialog, "Button1");
        openAfterWarning = dialog->isVisible();
        type(dialog, "edtPetName", "ポチ");
        click(dialog, "Button1");
    }));
    EXPECT_TRUE(openAfterWarning);
    EXPECT_EQ(message->title, "お客様登録失敗");
    EXPECT_EQ(message->text, "\"ペット名\"もしくは \"お名前\"が未入力です。");
    EXPECT_EQ(message->icon, QMessageBox::Warning);
    EXPECT_EQ(message->buttons, QMessageBox::Ok);
    expectStored({customerLine({"ポチ", "", "", "やまだ"})});
}

TEST_F(KokyakuTouroku, SpacesQuotesAndCommasAreStoredAndShownFullWidth) {
    store({});
    ASSERT_TRUE(run(0, [](QWidget* dialog) {
        for (const char* edit : EditNames) {
            type(dialog, edit, "a b\"c,d");
        }
        click(dialog, "Button1");
    }));
    const char* stored = "a　b”c，d";
    expectStored({customerLine(
        {stored, "", stored, stored, stored, stored, stored, stored, stored, stored})});

    QStringList shown;
    EXPECT_FALSE(run(1, [&](QWidget* dialog) {
        for (const char* edit : EditNames) {
            shown << child(dialog, edit)->text();
        }
        click(dialog, "Button2");
    }));
    EXPECT_EQ(shown, QStringList(std::size(EditNames), QString::fromUtf8(stored)));
}

TEST_F(KokyakuTouroku, KindIsReadBackByCaptionAndSavedAsTheCheckedCaption) {
    const struct {
        QByteArray stored;
        const char* checked;
        QByteArray saved;
    } cases[] = {
        {customerLine({"ポチ", "犬"}), "rdoDog", customerLine({"ポチ", "犬"})},
        {customerLine({"タマ", "猫"}), "rdoCat", customerLine({"タマ", "猫"})},
        {customerLine({"ピー", "その他"}), "rdoSonota", customerLine({"ピー", "その他"})},
        {customerLine({"ポチ"}), "rdoSonota", customerLine({"ポチ", "その他"})},
        {customerLine({"ウサ", "兎"}), "rdoSonota", customerLine({"ウサ", "その他"})},
        // A short line shows empty fields.
        {sjisOf("ポチ\tXX\tシバ"), "rdoSonota", customerLine({"ポチ", "その他", "シバ"})},
    };
    for (const auto& c : cases) {
        store({c.stored});
        QStringList checked;
        EXPECT_TRUE(run(1, [&](QWidget* dialog) {
            for (auto* kind : dialog->findChildren<QRadioButton*>()) {
                if (kind->isChecked()) {
                    checked << kind->objectName();
                }
            }
            click(dialog, "Button1");
        }));
        EXPECT_EQ(checked, QStringList{c.checked}) << c.stored.toStdString();
        expectStored({c.saved});
    }
}

TEST_F(KokyakuTouroku, EditingMovesTheCustomerToTheEnd) {
    const QByteArray a = customerLine({"ポチ", "犬"}), b = customerLine({"タマ", "猫"}),
                     c = customerLine({"ピー"});
    store({a, b, c});
    QString shownPet;
    EXPECT_TRUE(run(1, [&](QWidget* dialog) {
        shownPet = child(dialog, "edtPetName")->text();
        type(dialog, "edtShimei", "山田");
        click(dialog, "Button1");
    }));
    EXPECT_EQ(shownPet, "ポチ");
    expectStored({b, c, customerLine({"ポチ", "犬", "", "", "山田"})});
}

TEST_F(KokyakuTouroku, LeavingWithoutOkChangesNothing) {
    const std::function<void(QWidget*)> ways[] = {
        [](QWidget* dialog) { click(dialog, "Button2"); },
        [](QWidget* dialog) { QTest::keyClick(child(dialog, "edtShimei"), Qt::Key_Escape); },
        [](QWidget* dialog) { dialog->close(); },
    };
    const QByteArrayList lines = {customerLine({"ポチ"}), customerLine({"タマ"})};
    for (const auto& leave : ways) {
        for (int n : {0, 2}) {
            store(lines);
            EXPECT_FALSE(run(n, [&](QWidget* dialog) {
                type(dialog, "edtShimei", "山田");
                leave(dialog);
            }));
            expectStored(lines);
        }
    }
}

TEST_F(KokyakuTouroku, EnterInAnyEditPressesOk) {
    for (const char* edit : EditNames) {
        store({});
        EXPECT_TRUE(run(0, [&](QWidget* dialog) {
            type(dialog, "edtPetName", "ポチ");
            QTest::keyClick(child(dialog, edit), Qt::Key_Return);
        })) << edit;
        EXPECT_EQ(honjitu_.UserList.size(), 1) << edit;
    }
}

TEST_F(KokyakuTouroku, CharactersShiftJisCannotHoldAreRefusedByFieldLabel) {
    const struct {
        const char* edit;
        const char* label;
    } cases[] = {
        {"edtPetName", "ペット名"},
        {"edtShimei", "お名前"},
        {"edtJyushoTuzuki", "住所"},
    };
    const QByteArrayList lines = {customerLine({"タマ"})};
    for (const auto& c : cases) {
        store(lines);
        std::shared_ptr<ModalVisit> message;
        bool openAfterWarning = false;
        QString kept;
        EXPECT_FALSE(run(0, [&](QWidget* dialog) {
            type(dialog, "edtShimei", "山田");
            type(dialog, c.edit, "ポチ🐶");
            message = answerNextMessage(QMessageBox::Ok);
            click(dialog, "Button1");
            openAfterWarning = dialog->isVisible();
            kept = child(dialog, c.edit)->text();
            click(dialog, "Button2");
        }));
        EXPECT_TRUE(openAfterWarning) << c.edit;
        EXPECT_TRUE(kept.endsWith("ポチ🐶")) << c.edit;
        EXPECT_EQ(message->title, "お客様登録失敗");
        EXPECT_EQ(message->icon, QMessageBox::Warning);
        EXPECT_EQ(message->text,
                  QString::fromUtf8("「%1」に保存できない文字が含まれています。").arg(c.label));
        expectStored(lines);
    }
}

// A failed write is reported and the dialog opens again with what was typed; a cancel then
// leaves the file and the list as they were.
TEST_F(KokyakuTouroku, FailedWriteIsReportedAndTheDialogComesBackAsItWas) {
    for (int n : {0, 1}) {
        QDir(dir_.path()).rmdir(UserFileName);
        store({customerLine({"ポチ"})});
        QFile::remove(path());
        QDir(dir_.path()).mkdir(UserFileName);
        std::shared_ptr<ModalVisit> error, reopened;
        QString petNameShown;
        EXPECT_FALSE(run(n, [&](QWidget* dialog) {
            type(dialog, "edtPetName", "タマ");
            error = answerNextMessage(QMessageBox::Ok, [&] {
                reopened = onNextModal([&](QWidget* again) {
                    petNameShown = fieldText(*again, "edtPetName");
                    static_cast<QDialog*>(again)->reject();
                });
            });
            click(dialog, "Button1");
        }));
        ASSERT_TRUE(error && error->appeared);
        EXPECT_EQ(error->icon, QMessageBox::Critical);
        EXPECT_TRUE(error->text.contains(UserFileName)) << error->text.toStdString();
        ASSERT_TRUE(reopened && reopened->appeared);
        EXPECT_EQ(petNameShown, QStringLiteral("タマ"));
        EXPECT_EQ(honjitu_.UserList, QByteArrayList{customerLine({"ポチ"})});
        EXPECT_TRUE(QFileInfo(path()).isDir());
    }
}

TEST_F(KokyakuTouroku, CustomerOutsideTheListIsAnError) {
    const QByteArrayList lines = {customerLine({"ポチ"})};
    for (int n : {2, -1}) {
        store(lines);
        EXPECT_THROW(customer::runKokyakuTouroku(nullptr, lists_, n), std::runtime_error);
        expectStored(lines);
    }
}

}  // namespace
