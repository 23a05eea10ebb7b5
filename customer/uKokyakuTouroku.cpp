#include "customer/uKokyakuTouroku.h"

#include "records/RecordViews.h"
#include "records/Sjis.h"
#include "widgets/Appearance.h"
#include "widgets/MessageBox.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

#include <limits>
#include <stdexcept>

namespace {

const QString FailureCaption = QStringLiteral("お客様登録失敗");

constexpr int ClientWidth = 373;
constexpr int ClientHeight = 335;
constexpr int PetGroupHeight = 105;
constexpr int OwnerGroupHeight = 192;
constexpr int EditHeight = 21;
constexpr int LabelX = 12;
constexpr int EditX = 72;
constexpr int WideEditWidth = 285;
constexpr int NameEditWidth = 200;
constexpr int PhoneEditWidth = 150;
constexpr int PostalEditWidth = 70;
constexpr int RowStep = 24;
constexpr int FirstRowY = 20;
constexpr int ButtonWidth = 75;
constexpr int ButtonHeight = 25;
constexpr int ButtonGap = 6;
constexpr int ButtonMargin = 8;

int rowY(int row) {
    return FirstRowY + row * RowStep;
}

QString unstorableMessage(const QLabel* label) {
    return QStringLiteral("「%1」に保存できない文字が含まれています。").arg(label->text());
}

QByteArray captionBytes(const QAbstractButton* button) {
    return records::sjis::bytesOf(button->text());
}

}  // namespace

TfmKokyakuTouroku::TfmKokyakuTouroku(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("fmKokyakuTouroku"));
    setWindowTitle(QStringLiteral("お客様登録"));
    widgets::applyFormLook(*this);
    setFixedSize(ClientWidth, ClientHeight);

    buildPetGroup();
    buildOwnerGroup();
    buildButtons();
    textFields_ = {
        {edtPetName, lbPetName, records::customer_record::PetName, {}, {}},
        {edtShuNado, lbShuNado, records::customer_record::ShuNado, {}, {}},
        {edtFurigana, lbFurigana, records::customer_record::Furigana, {}, {}},
        {edtShimei, lbShimei, records::customer_record::Shimei, {}, {}},
        {edtYubin, lbYubin, records::customer_record::Yubin, {}, {}},
        {edtJyusho, lbJyusho, records::customer_record::Jyusho, {}, {}},
        {edtJyushoTuzuki, lbJyusho, records::customer_record::JyushoTuzuki, {}, {}},
        {edtTelephoneNo, lbTelephoneNo, records::customer_record::TelephoneNo, {}, {}},
        {edtMobilPhoneNo, lbMobilPhoneNo, records::customer_record::MobilPhoneNo, {}, {}},
    };
    setFormTabOrder();
    edtPetName->setFocus();

    if (const QScreen* screen = this->screen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

QLineEdit* TfmKokyakuTouroku::addEdit(QWidget* parent, const char* name, int x, int y, int width) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMaxLength(std::numeric_limits<int>::max());
    edit->setGeometry(x, y, width, EditHeight);
    return edit;
}

QLabel* TfmKokyakuTouroku::addLabel(QWidget* parent, const char* name, const QString& caption,
                                    int x, int y) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(x, y, EditX - x - 4, EditHeight);
    return label;
}

void TfmKokyakuTouroku::buildPetGroup() {
    gbPetJyouhou = new QGroupBox(QStringLiteral("ペット情報"), this);
    gbPetJyouhou->setObjectName(QStringLiteral("gbPetJyouhou"));
    gbPetJyouhou->setGeometry(0, 0, ClientWidth, PetGroupHeight);

    lbPetName = addLabel(gbPetJyouhou, "lbPetName", QStringLiteral("ペット名"), LabelX, rowY(0));
    edtPetName = addEdit(gbPetJyouhou, "edtPetName", EditX, rowY(0), NameEditWidth);

    // One parent makes the three kinds exclusive; none is chosen until the user picks one.
    const struct {
        QRadioButton*& button;
        const char* name;
        QString caption;
        int width;
    } kinds[] = {
        {rdoDog, "rdoDog", QStringLiteral("犬"), 48},
        {rdoCat, "rdoCat", QStringLiteral("猫"), 48},
        {rdoSonota, "rdoSonota", QStringLiteral("その他"), 72},
    };
    int x = EditX;
    for (const auto& kind : kinds) {
        kind.button = new QRadioButton(kind.caption, gbPetJyouhou);
        kind.button->setObjectName(QString::fromLatin1(kind.name));
        kind.button->setGeometry(x, rowY(1), kind.width, EditHeight);
        x += kind.width;
    }

    lbShuNado = addLabel(gbPetJyouhou, "lbShuNado", QStringLiteral("種 等"), LabelX, rowY(2));
    edtShuNado = addEdit(gbPetJyouhou, "edtShuNado", EditX, rowY(2), WideEditWidth);
}

void TfmKokyakuTouroku::buildOwnerGroup() {
    gbKainushiJyouhou = new QGroupBox(QStringLiteral("飼主情報"), this);
    gbKainushiJyouhou->setObjectName(QStringLiteral("gbKainushiJyouhou"));
    gbKainushiJyouhou->setGeometry(0, PetGroupHeight, ClientWidth, OwnerGroupHeight);
    QGroupBox* group = gbKainushiJyouhou;

    lbFurigana = addLabel(group, "lbFurigana", QStringLiteral("ふりがな"), LabelX, rowY(0));
    edtFurigana = addEdit(group, "edtFurigana", EditX, rowY(0), NameEditWidth);
    lbShimei = addLabel(group, "lbShimei", QStringLiteral("お名前"), LabelX, rowY(1));
    edtShimei = addEdit(group, "edtShimei", EditX, rowY(1), NameEditWidth);
    lbYubin = addLabel(group, "lbYubin", QStringLiteral("〒"), LabelX, rowY(2));
    edtYubin = addEdit(group, "edtYubin", EditX, rowY(2), PostalEditWidth);
    lbJyusho = addLabel(group, "lbJyusho", QStringLiteral("住所"), LabelX, rowY(3));
    edtJyusho = addEdit(group, "edtJyusho", EditX, rowY(3), WideEditWidth);
    edtJyushoTuzuki = addEdit(group, "edtJyushoTuzuki", EditX, rowY(4), WideEditWidth);
    lbTelephoneNo = addLabel(group, "lbTelephoneNo", QStringLiteral("電話番号"), LabelX, rowY(5));
    edtTelephoneNo = addEdit(group, "edtTelephoneNo", EditX, rowY(5), PhoneEditWidth);
    lbMobilPhoneNo = addLabel(group, "lbMobilPhoneNo", QStringLiteral("携帯電話"), LabelX, rowY(6));
    edtMobilPhoneNo = addEdit(group, "edtMobilPhoneNo", EditX, rowY(6), PhoneEditWidth);
}

void TfmKokyakuTouroku::buildButtons() {
    const struct {
        QPushButton*& button;
        const char* name;
        QString caption;
    } buttons[] = {
        {Button1, "Button1", QStringLiteral("OK")},
        {Button2, "Button2", QStringLiteral("キャンセル")},
        {Button3, "Button3", QStringLiteral("ヘルプ(&H)")},
    };
    int x = ClientWidth - ButtonMargin - 3 * ButtonWidth - 2 * ButtonGap;
    for (const auto& entry : buttons) {
        entry.button = new QPushButton(entry.caption, this);
        entry.button->setObjectName(QString::fromLatin1(entry.name));
        entry.button->setGeometry(x, ClientHeight - ButtonMargin - ButtonHeight, ButtonWidth,
                                  ButtonHeight);
        x += ButtonWidth + ButtonGap;
    }
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &TfmKokyakuTouroku::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    Button3->setEnabled(false);
}

void TfmKokyakuTouroku::setFormTabOrder() {
    QWidget* const order[] = {edtPetName,     rdoDog,          rdoCat,   rdoSonota, edtShuNado,
                              edtFurigana,    edtShimei,       edtYubin, edtJyusho, edtJyushoTuzuki,
                              edtTelephoneNo, edtMobilPhoneNo, Button1,  Button2,   Button3};
    for (std::size_t i = 1; i < std::size(order); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }
}

void TfmKokyakuTouroku::UserEdit(int index, const QByteArrayList& lines) {
    if (index < 0 || index >= lines.size()) {
        throw std::runtime_error(
            QStringLiteral("お客様の %1 件目を開けません。登録されているのは %2 件です。")
                .arg(index + 1)
                .arg(lines.size())
                .toStdString());
    }
    const records::Customer customer(lines.at(index));
    for (TextField& text : textFields_) {
        text.storedBytes = customer.readBack(text.field);
        text.shownText = records::sjis::toUnicode(text.storedBytes);
        text.edit->setText(text.shownText);
    }

    const QByteArray kind = customer.readBack(records::customer_record::Shu);
    QRadioButton* chosen = rdoSonota;
    for (QRadioButton* candidate : {rdoDog, rdoCat}) {
        if (captionBytes(candidate) == kind) {
            chosen = candidate;
            break;
        }
    }
    chosen->setChecked(true);
}

std::optional<QByteArray> TfmKokyakuTouroku::bytesOf(const TextField& text) const {
    // Decoding and encoding again is not lossless (duplicate code points, undecodable bytes),
    // so an untouched field goes back as it came.
    if (text.edit->text() == text.shownText) {
        return text.storedBytes;
    }
    return records::sjis::fromUnicode(text.edit->text());
}

const TfmKokyakuTouroku::TextField* TfmKokyakuTouroku::firstUnstorableField() const {
    for (const TextField& text : textFields_) {
        if (!bytesOf(text)) {
            return &text;
        }
    }
    return nullptr;
}

QByteArray TfmKokyakuTouroku::GetUserKoumoku() const {
    QByteArrayList values(records::customer_record::FieldCount);
    for (const TextField& text : textFields_) {
        const std::optional<QByteArray> bytes = bytesOf(text);
        if (!bytes) {
            throw std::runtime_error(unstorableMessage(text.label).toStdString());
        }
        values[text.field] = *bytes;
    }
    for (const QRadioButton* kind : {rdoDog, rdoCat, rdoSonota}) {
        if (kind->isChecked()) {
            values[records::customer_record::Shu] = captionBytes(kind);
        }
    }
    return records::customer_record::buildLine(values);
}

QString TfmKokyakuTouroku::missingNameMessage() const {
    return QLatin1Char('"') + lbPetName->text() + QStringLiteral("\"もしくは \"") +
           lbShimei->text() + QStringLiteral("\"が未入力です。");
}

void TfmKokyakuTouroku::warn(const QString& text) {
    widgets::showMessage(this, QMessageBox::Warning, FailureCaption, text);
}

void TfmKokyakuTouroku::Button1Click() {
    if (edtShimei->text().isEmpty() && edtPetName->text().isEmpty()) {
        warn(missingNameMessage());
        return;
    }
    if (const TextField* unstorable = firstUnstorableField()) {
        warn(unstorableMessage(unstorable->label));
        unstorable->edit->setFocus();
        return;
    }
    accept();
}
