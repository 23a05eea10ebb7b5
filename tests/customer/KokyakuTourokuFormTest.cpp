#include "customer/uKokyakuTouroku.h"
#include "tests/customer/FormHelpers.h"
#include "widgets/Appearance.h"

#include <gtest/gtest.h>
#include <QGroupBox>
#include <QRadioButton>

using namespace customer_testing;

namespace {

TEST(KokyakuTourokuForm, HasTheControlsCaptionsSizesAndOrderOfTheForm) {
    TfmKokyakuTouroku dialog;
    EXPECT_EQ(dialog.objectName(), "fmKokyakuTouroku");
    EXPECT_EQ(dialog.windowTitle(), "お客様登録");
    EXPECT_EQ(dialog.minimumSize(), QSize(373, 335));
    EXPECT_EQ(dialog.maximumSize(), QSize(373, 335));
    EXPECT_FALSE(dialog.windowFlags() &
                 (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(dialog.palette().color(QPalette::Window), widgets::Cream);
    EXPECT_EQ(dialog.font(), widgets::formFont());

    EXPECT_EQ(child<QGroupBox>(&dialog, "gbPetJyouhou")->geometry(), QRect(0, 0, 373, 105));
    EXPECT_EQ(child<QGroupBox>(&dialog, "gbKainushiJyouhou")->geometry(), QRect(0, 105, 373, 192));
    const std::pair<const char*, const char*> captions[] = {{"gbPetJyouhou", "ペット情報"},
                                                            {"gbKainushiJyouhou", "飼主情報"},
                                                            {"lbPetName", "ペット名"},
                                                            {"lbShuNado", "種 等"},
                                                            {"lbFurigana", "ふりがな"},
                                                            {"lbShimei", "お名前"},
                                                            {"lbYubin", "〒"},
                                                            {"lbJyusho", "住所"},
                                                            {"lbTelephoneNo", "電話番号"},
                                                            {"lbMobilPhoneNo", "携帯電話"},
                                                            {"rdoDog", "犬"},
                                                            {"rdoCat", "猫"},
                                                            {"rdoSonota", "その他"},
                                                            {"Button1", "OK"},
                                                            {"Button2", "キャンセル"},
                                                            {"Button3", "ヘルプ(&H)"}};
    for (const auto& [name, caption] : captions) {
        QObject* control = dialog.findChild<QObject*>(QString::fromLatin1(name));
        ASSERT_NE(control, nullptr) << name;
        const char* property = qobject_cast<QGroupBox*>(control) ? "title" : "text";
        EXPECT_EQ(control->property(property).toString(), QString::fromUtf8(caption)) << name;
    }
    for (const char* kind : {"rdoDog", "rdoCat", "rdoSonota"}) {
        EXPECT_FALSE(child<QRadioButton>(&dialog, kind)->isChecked()) << kind;
    }
    EXPECT_TRUE(child<QPushButton>(&dialog, "Button1")->isDefault());
    EXPECT_FALSE(child<QPushButton>(&dialog, "Button3")->isEnabled());

    QStringList tabOrder;
    QWidget* widget = child(&dialog, "edtPetName");
    do {
        if (widget->focusPolicy() & Qt::TabFocus) {
            tabOrder << widget->objectName();
        }
        widget = widget->nextInFocusChain();
    } while (widget != child(&dialog, "edtPetName"));
    EXPECT_EQ(tabOrder,
              QStringList({"edtPetName", "rdoDog", "rdoCat", "rdoSonota", "edtShuNado",
                           "edtFurigana", "edtShimei", "edtYubin", "edtJyusho", "edtJyushoTuzuki",
                           "edtTelephoneNo", "edtMobilPhoneNo", "Button1", "Button2", "Button3"}));
}

TEST(KokyakuTourokuForm, UntouchedFieldsKeepTheirStoredBytes) {
    // 0xED40 decodes to a character whose Shift-JIS form is 0xFA5C; 0x8540 does not decode.
    QByteArrayList fields = customerLine({"ポチ"}).split('\t');
    fields[2] = QByteArrayLiteral("\xED\x40");
    fields[9] = QByteArrayLiteral("090\x85\x40");
    TfmKokyakuTouroku dialog;
    dialog.UserEdit(0, {fields.join('\t')});
    type(&dialog, "edtFurigana", "ぽち");
    fields[1] = sjisOf("その他");
    fields[3] = sjisOf("ぽち");
    EXPECT_EQ(dialog.GetUserKoumoku(), fields.join('\t'));
}

}  // namespace
