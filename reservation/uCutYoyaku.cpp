#include "reservation/uCutYoyaku.h"

#include "records/Clock.h"
#include "records/CustomerRecord.h"
#include "records/RecordFormat.h"
#include "records/RecordViews.h"
#include "records/Sjis.h"
#include "records/TelephoneDigits.h"
#include "reservation/DialogSupport.h"
#include "reservation/uUserListDialog.h"
#include "widgets/Appearance.h"
#include "widgets/MessageBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>
#include <initializer_list>

namespace reservation_record = records::reservation_record;
namespace customer_record = records::customer_record;

namespace {

const QString Title = QStringLiteral("カット予約");
const QString RefusedTitle = QStringLiteral("カット予約失敗");
const QString DeleteTitle = QStringLiteral("予約削除");

// The OK button reads "更新" while one of the slot's reservations is shown.
QString okButtonCaption(bool updating) {
    return updating ? QStringLiteral("更新") : QStringLiteral("OK");
}

// Twenty empty-field marks, each followed by a TAB: shows as a completely empty form.
QByteArray blankReservationLine() {
    QByteArray line;
    for (int field = 0; field < reservation_record::FieldCount; ++field) {
        line += records::EmptyMark + records::FieldSeparator;
    }
    return line;
}

template <typename Widget>
Widget* named(QWidget* parent, const char* objectName, const QString& caption = QString()) {
    auto* widget = new Widget(parent);
    widget->setObjectName(QLatin1String(objectName));
    if constexpr (requires { widget->setTitle(caption); }) {
        widget->setTitle(caption);
    } else if constexpr (requires { widget->setText(caption); }) {
        widget->setText(caption);
    }
    return widget;
}

QComboBox* editableCombo(QWidget* parent, const char* objectName) {
    auto* combo = named<QComboBox>(parent, objectName);
    combo->setEditable(true);
    // The typed text is the value: it is neither completed to a list entry nor added as one.
    combo->setCompleter(nullptr);
    combo->setInsertPolicy(QComboBox::NoInsert);
    return combo;
}

QPushButton* plainButton(QWidget* parent, const char* objectName, const QString& caption) {
    auto* button = named<QPushButton>(parent, objectName, caption);
    // Enter never presses a button of this dialog, least of all OK.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

QString textOf(const QWidget* control) {
    if (const auto* combo = qobject_cast<const QComboBox*>(control)) {
        return combo->currentText();
    }
    if (const auto* edit = qobject_cast<const QLineEdit*>(control)) {
        return edit->text();
    }
    return qobject_cast<const QPlainTextEdit*>(control)->toPlainText();
}

void setTextOf(QWidget* control, const QString& text) {
    if (auto* combo = qobject_cast<QComboBox*>(control)) {
        combo->setCurrentText(text);
    } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->setText(text);
    } else {
        qobject_cast<QPlainTextEdit*>(control)->setPlainText(text);
    }
}

QGridLayout* compactGrid(QWidget* parent) {
    auto* grid = new QGridLayout(parent);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(3);
    return grid;
}

// The group's choices side by side in the first row of its grid.
QGridLayout* choiceRow(QGroupBox* group, std::initializer_list<QRadioButton*> choices) {
    auto* grid = compactGrid(group);
    for (int column = 0; QRadioButton * choice : choices) {
        grid->addWidget(choice, 0, column++);
    }
    return grid;
}

void addLabelledRow(QGridLayout* grid, int row, const QString& label, QWidget* field) {
    grid->addWidget(new QLabel(label, field->parentWidget()), row, 0);
    grid->addWidget(field, row, 1);
}

QString checkedCaption(const QList<QRadioButton*>& buttons, const QRadioButton* fallback) {
    for (const QRadioButton* button : buttons) {
        if (button->isChecked()) {
            return button->text();
        }
    }
    return fallback->text();
}

void checkMatchingCaption(const QList<QRadioButton*>& buttons, QRadioButton* fallback,
                          const QString& value) {
    for (QRadioButton* button : buttons) {
        if (button->text() == value) {
            button->setChecked(true);
            return;
        }
    }
    fallback->setChecked(true);
}

}  // namespace

TfmCutYoyaku::TfmCutYoyaku(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("fmCutYoyaku"));
    setWindowTitle(Title);
    widgets::applyFormLook(*this);

    buildControls();
    describeFields();
    arrangeTabOrder();
    fillComboItems();
    setFixedSize(719, 486);
    reservation::centreOnScreen(this);
}

void TfmCutYoyaku::buildControls() {
    auto* columns = new QHBoxLayout;
    columns->setContentsMargins(0, 0, 0, 0);
    columns->setSpacing(0);
    columns->addWidget(buildLeftColumn());
    columns->addWidget(buildRightColumn(), 1);

    auto* form = new QVBoxLayout(this);
    form->setContentsMargins(0, 0, 0, 0);
    form->setSpacing(0);
    form->addLayout(columns, 1);
    form->addWidget(buildBottomBar());
}

QWidget* TfmCutYoyaku::buildLeftColumn() {
    auto* pnlHidari = named<QWidget>(this, "pnlHidari");
    pnlHidari->setFixedWidth(394);

    gbYoyaku = named<QGroupBox>(pnlHidari, "gbYoyaku", QStringLiteral("予約"));
    cbYoyakuNen = editableCombo(gbYoyaku, "cbYoyakuNen");
    cbYoyakuTuki = editableCombo(gbYoyaku, "cbYoyakuTuki");
    cbYoyakuNiti = editableCombo(gbYoyaku, "cbYoyakuNiti");
    cbYoyakuJikan = editableCombo(gbYoyaku, "cbYoyakuJikan");
    edtYoyakuHun = named<QLineEdit>(gbYoyaku, "edtYoyakuHun");
    // The minute is digits only; an input method would only get in the way.
    edtYoyakuHun->setAttribute(Qt::WA_InputMethodEnabled, false);
    edtYoyakuHun->setInputMethodHints(Qt::ImhLatinOnly | Qt::ImhPreferNumbers);
    auto* timeRows = new QVBoxLayout(gbYoyaku);
    timeRows->setContentsMargins(6, 4, 6, 4);
    timeRows->setSpacing(3);
    const QList<QList<std::pair<QWidget*, QString>>> rows = {
        {{cbYoyakuNen, QStringLiteral("年")},
         {cbYoyakuTuki, QStringLiteral("月")},
         {cbYoyakuNiti, QStringLiteral("日")}},
        {{cbYoyakuJikan, QStringLiteral("時(24h)")}, {edtYoyakuHun, QStringLiteral("分")}}};
    for (const auto& row : rows) {
        auto* line = new QHBoxLayout;
        for (const auto& [field, unit] : row) {
            field->setFixedWidth(field == cbYoyakuNen ? 70 : 56);
            line->addWidget(field);
            line->addWidget(new QLabel(unit, gbYoyaku));
            line->addSpacing(8);
        }
        line->addStretch(1);
        timeRows->addLayout(line);
    }

    gbKainushiJyouhou =
        named<QGroupBox>(pnlHidari, "gbKainushiJyouhou", QStringLiteral("飼主情報"));
    edtFurigana = named<QLineEdit>(gbKainushiJyouhou, "edtFurigana");
    edtShimei = named<QLineEdit>(gbKainushiJyouhou, "edtShimei");
    edtYubin = named<QLineEdit>(gbKainushiJyouhou, "edtYubin");
    edtJyusho = named<QLineEdit>(gbKainushiJyouhou, "edtJyusho");
    edtJyushoTuzuki = named<QLineEdit>(gbKainushiJyouhou, "edtJyushoTuzuki");
    edtTelephoneNo = named<QLineEdit>(gbKainushiJyouhou, "edtTelephoneNo");
    edtMobilPhoneNo = named<QLineEdit>(gbKainushiJyouhou, "edtMobilPhoneNo");
    auto* ownerGrid = compactGrid(gbKainushiJyouhou);
    addLabelledRow(ownerGrid, 0, QStringLiteral("ふりがな"), edtFurigana);
    addLabelledRow(ownerGrid, 1, QStringLiteral("お名前"), edtShimei);
    addLabelledRow(ownerGrid, 2, QStringLiteral("〒"), edtYubin);
    addLabelledRow(ownerGrid, 3, QStringLiteral("住所"), edtJyusho);
    addLabelledRow(ownerGrid, 4, QString(), edtJyushoTuzuki);
    addLabelledRow(ownerGrid, 5, QStringLiteral("電話番号"), edtTelephoneNo);
    addLabelledRow(ownerGrid, 6, QStringLiteral("携帯電話"), edtMobilPhoneNo);
    edtYubin->setMaximumWidth(100);

    gbPetJyouhou = named<QGroupBox>(pnlHidari, "gbPetJyouhou", QStringLiteral("ペット情報"));
    edtPetName = named<QLineEdit>(gbPetJyouhou, "edtPetName");
    rdoDog = named<QRadioButton>(gbPetJyouhou, "rdoDog", QStringLiteral("犬"));
    rdoCat = named<QRadioButton>(gbPetJyouhou, "rdoCat", QStringLiteral("猫"));
    rdoSonota = named<QRadioButton>(gbPetJyouhou, "rdoSonota", QStringLiteral("その他"));
    edtShuNado = named<QLineEdit>(gbPetJyouhou, "edtShuNado");
    auto* kinds = new QHBoxLayout;
    for (QRadioButton* kind : {rdoDog, rdoCat, rdoSonota}) {
        kinds->addWidget(kind);
    }
    kinds->addStretch(1);
    auto* petGrid = compactGrid(gbPetJyouhou);
    addLabelledRow(petGrid, 0, QStringLiteral("ペット名"), edtPetName);
    petGrid->addLayout(kinds, 1, 1);
    addLabelledRow(petGrid, 2, QStringLiteral("種 等"), edtShuNado);

    auto* column = new QVBoxLayout(pnlHidari);
    column->setContentsMargins(6, 4, 3, 0);
    for (QGroupBox* group : {gbYoyaku, gbKainushiJyouhou, gbPetJyouhou}) {
        column->addWidget(group);
    }
    column->addStretch(1);
    return pnlHidari;
}

QWidget* TfmCutYoyaku::buildRightColumn() {
    auto* pnlMigi = named<QWidget>(this, "pnlMigi");

    gbShamp = named<QGroupBox>(pnlMigi, "gbShamp", QStringLiteral("シャンプー"));
    rdoShamMotikomi = named<QRadioButton>(gbShamp, "rdoShamMotikomi", QStringLiteral("持込み"));
    rdoShamRegyura = named<QRadioButton>(gbShamp, "rdoShamRegyura", QStringLiteral("レギュラー"));
    rdoShamSonota = named<QRadioButton>(gbShamp, "rdoShamSonota", QStringLiteral("その他"));
    choiceRow(gbShamp, {rdoShamMotikomi, rdoShamRegyura, rdoShamSonota});

    gbStyle = named<QGroupBox>(pnlMigi, "gbStyle", QStringLiteral("スタイル"));
    rdoStyleBarikan = named<QRadioButton>(gbStyle, "rdoStyleBarikan", QStringLiteral("バリカン"));
    rdoStylePoohDol = named<QRadioButton>(gbStyle, "rdoStylePoohDol", QStringLiteral("プードル"));
    rdoStyleMonpe = named<QRadioButton>(gbStyle, "rdoStyleMonpe", QStringLiteral("モンペ"));
    rdoStyleSonota = named<QRadioButton>(gbStyle, "rdoStyleSonota", QStringLiteral("その他"));
    // The fourth style does not fit beside the others; it starts a second row.
    choiceRow(gbStyle, {rdoStyleBarikan, rdoStylePoohDol, rdoStyleMonpe})
        ->addWidget(rdoStyleSonota, 1, 0);

    gbSonota = named<QGroupBox>(pnlMigi, "gbSonota", QStringLiteral("その他"));
    chbSonotaHigeCut = named<QCheckBox>(gbSonota, "chbSonotaHigeCut", QStringLiteral("ヒゲカット"));
    chbSonotaTumekiri = named<QCheckBox>(gbSonota, "chbSonotaTumekiri", QStringLiteral("爪切り"));
    memoSonotaBikou = named<QPlainTextEdit>(gbSonota, "memoSonotaBikou");
    // Tab leaves the remarks for the buttons; Enter still starts a new line in them.
    memoSonotaBikou->setTabChangesFocus(true);
    auto* services = new QHBoxLayout;
    services->addWidget(chbSonotaHigeCut);
    services->addWidget(chbSonotaTumekiri);
    services->addStretch(1);
    auto* otherColumn = new QVBoxLayout(gbSonota);
    otherColumn->setContentsMargins(6, 4, 6, 6);
    otherColumn->addLayout(services);
    otherColumn->addWidget(new QLabel(QStringLiteral("■備考"), gbSonota));
    otherColumn->addWidget(memoSonotaBikou, 1);

    auto* column = new QVBoxLayout(pnlMigi);
    column->setContentsMargins(3, 4, 6, 0);
    column->addWidget(gbShamp);
    column->addWidget(gbStyle);
    column->addWidget(gbSonota, 1);
    return pnlMigi;
}

QWidget* TfmCutYoyaku::buildBottomBar() {
    auto* pnlShita = named<QWidget>(this, "pnlShita");
    pnlShita->setFixedHeight(41);
    btnBackPage = plainButton(pnlShita, "btnBackPage", QStringLiteral("<<"));
    btnNextPage = plainButton(pnlShita, "btnNextPage", QStringLiteral(">>"));
    btnDeletePage = plainButton(pnlShita, "btnDeletePage", QStringLiteral("削除"));
    Button1 = plainButton(pnlShita, "Button1", okButtonCaption(false));
    Button2 = plainButton(pnlShita, "Button2", QStringLiteral("キャンセル"));
    Button3 = plainButton(pnlShita, "Button3", QStringLiteral("ヘルプ(&H)"));
    for (QPushButton* pageButton : {btnBackPage, btnNextPage, btnDeletePage}) {
        pageButton->setEnabled(false);
    }
    Button3->setEnabled(false);

    connect(btnBackPage, &QPushButton::clicked, this, &TfmCutYoyaku::btnBackPageClick);
    connect(btnNextPage, &QPushButton::clicked, this, &TfmCutYoyaku::btnNextPageClick);
    connect(btnDeletePage, &QPushButton::clicked, this, &TfmCutYoyaku::btnDeletePageClick);
    connect(Button1, &QPushButton::clicked, this, &TfmCutYoyaku::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);

    auto* bar = new QHBoxLayout(pnlShita);
    bar->setContentsMargins(8, 6, 8, 8);
    for (QPushButton* button : {btnBackPage, btnNextPage, btnDeletePage}) {
        bar->addWidget(button);
    }
    bar->addStretch(1);
    for (QPushButton* button : {Button1, Button2, Button3}) {
        bar->addWidget(button);
    }
    return pnlShita;
}

void TfmCutYoyaku::describeFields() {
    textFields_ = {
        {reservation_record::YoyakuNen, cbYoyakuNen, gbYoyaku, QStringLiteral("年")},
        {reservation_record::YoyakuTuki, cbYoyakuTuki, gbYoyaku, QStringLiteral("月")},
        {reservation_record::YoyakuNiti, cbYoyakuNiti, gbYoyaku, QStringLiteral("日")},
        {reservation_record::YoyakuJikan, cbYoyakuJikan, gbYoyaku, QStringLiteral("時")},
        {reservation_record::YoyakuHun, edtYoyakuHun, gbYoyaku, QStringLiteral("分")},
        {reservation_record::Furigana, edtFurigana, gbKainushiJyouhou, QStringLiteral("ふりがな")},
        {reservation_record::Shimei, edtShimei, gbKainushiJyouhou, QStringLiteral("お名前")},
        {reservation_record::Yubin, edtYubin, gbKainushiJyouhou, QStringLiteral("〒")},
        {reservation_record::Jyusho, edtJyusho, gbKainushiJyouhou, QStringLiteral("住所")},
        {reservation_record::JyushoTuzuki, edtJyushoTuzuki, gbKainushiJyouhou,
         QStringLiteral("住所")},
        {reservation_record::TelephoneNo, edtTelephoneNo, gbKainushiJyouhou,
         QStringLiteral("電話番号")},
        {reservation_record::MobilPhoneNo, edtMobilPhoneNo, gbKainushiJyouhou,
         QStringLiteral("携帯電話")},
        {reservation_record::PetName, edtPetName, gbPetJyouhou, QStringLiteral("ペット名")},
        {reservation_record::ShuNado, edtShuNado, gbPetJyouhou, QStringLiteral("種 等")},
        {reservation_record::SonotaBikou, memoSonotaBikou, gbSonota, QStringLiteral("備考")},
    };
    choiceGroups_ = {
        {reservation_record::Shu, {rdoDog, rdoCat}, rdoSonota},
        {reservation_record::Shamp, {rdoShamMotikomi, rdoShamRegyura}, rdoShamSonota},
        {reservation_record::Style,
         {rdoStyleBarikan, rdoStylePoohDol, rdoStyleMonpe},
         rdoStyleSonota},
    };
    checkFields_ = {{reservation_record::SonotaHigeCut, chbSonotaHigeCut},
                    {reservation_record::SonotaTumekiri, chbSonotaTumekiri}};
    for (QLineEdit* field : {edtFurigana, edtShimei, edtTelephoneNo, edtPetName}) {
        field->setToolTip(QStringLiteral("「Enter」でお客様検索します。"));
        field->installEventFilter(this);
    }
}

void TfmCutYoyaku::arrangeTabOrder() {
    const QList<QWidget*> order = {
        cbYoyakuNen,       cbYoyakuTuki,    cbYoyakuNiti,    cbYoyakuJikan,  edtYoyakuHun,
        edtFurigana,       edtShimei,       edtYubin,        edtJyusho,      edtJyushoTuzuki,
        edtTelephoneNo,    edtMobilPhoneNo, edtPetName,      rdoDog,         rdoCat,
        rdoSonota,         edtShuNado,      rdoShamMotikomi, rdoShamRegyura, rdoShamSonota,
        rdoStyleBarikan,   rdoStylePoohDol, rdoStyleMonpe,   rdoStyleSonota, chbSonotaHigeCut,
        chbSonotaTumekiri, memoSonotaBikou, Button1,         Button2,        Button3,
        btnBackPage,       btnNextPage,     btnDeletePage};
    for (qsizetype i = 1; i < order.size(); ++i) {
        QWidget::setTabOrder(order.at(i - 1), order.at(i));
    }
}

void TfmCutYoyaku::fillComboItems() {
    const int thisYear = records::clock_source::now().date().year();
    for (int i = 0; i < 3; ++i) {
        cbYoyakuNen->addItem(QString::number(thisYear + i));
    }
    for (int month = 1; month <= 12; ++month) {
        cbYoyakuTuki->addItem(records::twoDigits(month));
    }
    for (int day = 1; day <= 31; ++day) {
        cbYoyakuNiti->addItem(records::twoDigits(day));
    }
    for (int hour = 1; hour <= 24; ++hour) {
        cbYoyakuJikan->addItem(records::twoDigits(hour));
    }
    for (QComboBox* combo : {cbYoyakuNen, cbYoyakuTuki, cbYoyakuNiti, cbYoyakuJikan}) {
        combo->setCurrentIndex(-1);
    }
}

void TfmCutYoyaku::setZenUserList(const QByteArrayList& list) {
    ZenUserList = list;
}

void TfmCutYoyaku::YoyakuEdit(int column, int row, const QDateTime& date,
                              const QByteArrayList& list) {
    const QDateTime slotDate = column != 0 ? date.addDays(column - 1) : date;
    setSlotTexts(slotDate.date(), row != 0 ? row + 7 : slotDate.time().hour());
    MakePageList(list);
}

void TfmCutYoyaku::YoyakuEditNextVisit(const records::history::NextVisit& next,
                                       const QByteArrayList& list) {
    setSlotTexts(next.date, next.hour);
    MakePageList(list);
    if (!PageList.isEmpty()) {
        showPage(static_cast<int>(PageList.size()));
        setSlotTexts(next.date, next.hour);
    }
    const records::Booking lastVisit(next.lastVisitLine);
    edtYoyakuHun->setText(lastVisit.shownText(reservation_record::YoyakuHun));
    showChoices(lastVisit);
    // After the services, so that the kind is the customer's, as a lookup leaves it.
    SetUserKoumoku(next.customerLine);
    memoSonotaBikou->clear();
}

void TfmCutYoyaku::setSlotTexts(const QDate& date, int hour) {
    cbYoyakuJikan->setCurrentText(records::twoDigits(hour));
    cbYoyakuNen->setCurrentText(date.toString(QStringLiteral("yyyy")));
    cbYoyakuTuki->setCurrentText(date.toString(QStringLiteral("MM")));
    cbYoyakuNiti->setCurrentText(date.toString(QStringLiteral("dd")));
}

void TfmCutYoyaku::setZenyoyakuList(const QByteArrayList& list) {
    ZenyoyakuList = list;
}

void TfmCutYoyaku::getZenyoyakuList(QByteArrayList& list) const {
    list = ZenyoyakuList;
}

QByteArray TfmCutYoyaku::GetYoyakuKoumoku() const {
    QByteArrayList values(reservation_record::FieldCount);
    for (const TextField& text : textFields_) {
        values[text.field] = records::sjis::bytesOf(textOf(text.control));
    }
    for (const ChoiceGroup& choice : choiceGroups_) {
        values[choice.field] =
            records::sjis::bytesOf(checkedCaption(choice.buttons, choice.fallback));
    }
    for (const CheckField& check : checkFields_) {
        values[check.field] =
            check.box->isChecked() ? records::sjis::bytesOf(check.box->text()) : QByteArray();
    }
    return reservation_record::buildLine(values);
}

bool TfmCutYoyaku::isUpdatingPage() const {
    return PageIndex < PageList.size();
}

reservation_record::TimeSlot TfmCutYoyaku::shownSlot() const {
    return {records::sjis::bytesOf(cbYoyakuNen->currentText()),
            records::sjis::bytesOf(cbYoyakuTuki->currentText()),
            records::sjis::bytesOf(cbYoyakuNiti->currentText()),
            records::sjis::bytesOf(cbYoyakuJikan->currentText())};
}

void TfmCutYoyaku::MakePageList(const QByteArrayList& list) {
    if (list.isEmpty()) {
        return;
    }
    const reservation_record::TimeSlot slot = shownSlot();
    for (const QByteArray& line : list) {
        if (reservation_record::isInSlot(line, slot)) {
            PageList.append(line);
        }
    }
    if (PageList.isEmpty()) {
        setWindowTitle(Title + QStringLiteral("(0/0)"));
        return;
    }
    showPage(0);
}

// Pages 0 to n - 1 are the slot's reservations, page n is the blank form for a new one.
void TfmCutYoyaku::showPage(int index) {
    PageIndex = index;
    const bool existing = index < PageList.size();
    btnBackPage->setEnabled(index > 0);
    btnNextPage->setEnabled(existing);
    btnDeletePage->setEnabled(existing);
    Button1->setText(okButtonCaption(existing));
    if (existing) {
        setWindowTitle(Title + QStringLiteral("(%1/%2)").arg(index + 1).arg(PageList.size()));
        PageLine = PageList.at(index);
        SetYoyakuKoumoku(PageLine);
    } else {
        setWindowTitle(Title + QStringLiteral("(新規)"));
        SetYoyakuKoumoku(blankReservationLine());
    }
}

void TfmCutYoyaku::SetYoyakuKoumoku(const QByteArray& line) {
    const records::Booking booking(line);
    for (const TextField& text : textFields_) {
        setTextOf(text.control, booking.shownText(text.field));
    }
    showChoices(booking);
}

void TfmCutYoyaku::showChoices(const records::Booking& booking) {
    for (const ChoiceGroup& choice : choiceGroups_) {
        checkMatchingCaption(choice.buttons, choice.fallback, booking.shownText(choice.field));
    }
    for (const CheckField& check : checkFields_) {
        check.box->setChecked(booking.shownText(check.field) == check.box->text());
    }
}

void TfmCutYoyaku::DeleteZenyoyakuLine(const QByteArray& line) {
    records::removeFirstEqual(ZenyoyakuList, line);
}

void TfmCutYoyaku::btnNextPageClick() {
    if (PageList.isEmpty() || PageIndex >= PageList.size()) {
        return;
    }
    showPage(PageIndex + 1);
}

void TfmCutYoyaku::btnBackPageClick() {
    if (PageList.isEmpty() || PageIndex <= 0) {
        return;
    }
    showPage(PageIndex - 1);
}

namespace {

// What a date or time field must hold for OK to take it.
QString wantedInSlotField(reservation_record::Field field) {
    switch (field) {
        case reservation_record::YoyakuNen:
            return QStringLiteral("正しい年");
        case reservation_record::YoyakuTuki:
            return QStringLiteral("01から12までの月");
        case reservation_record::YoyakuNiti:
            return QStringLiteral("その月にある日");
        case reservation_record::YoyakuJikan:
            return QStringLiteral("0から24までの時間");
        default:
            return QStringLiteral("00から59までの分");
    }
}

}  // namespace

// Shows why the fields cannot be accepted as they are; false when they can.
bool TfmCutYoyaku::refusedInput() {
    const auto refuse = [this](const QString& text) {
        widgets::showMessage(this, QMessageBox::Warning, RefusedTitle, text);
        return true;
    };
    for (const QWidget* timeField : std::initializer_list<const QWidget*>{
             cbYoyakuNen, cbYoyakuTuki, cbYoyakuNiti, cbYoyakuJikan, edtYoyakuHun}) {
        if (textOf(timeField).isEmpty()) {
            return refuse(gbYoyaku->title() + QStringLiteral("時間指定をすべて入力してください。"));
        }
    }
    if (edtShimei->text().isEmpty() || edtPetName->text().isEmpty()) {
        return refuse(QLatin1Char('"') + gbKainushiJyouhou->title() + QStringLiteral("\"と、\"") +
                      gbPetJyouhou->title() + QStringLiteral("\"を入力してください。"));
    }
    for (const TextField& text : textFields_) {
        if (!records::sjis::isEncodable(textOf(text.control))) {
            return refuse(QStringLiteral("「%1」の「%2」に保存できない文字が含まれています。")
                              .arg(text.group->title(), text.label));
        }
    }
    if (const auto wrong = reservation_record::impossibleSlotField(
            shownSlotTexts(), records::clock_source::now().date())) {
        return refuse(impossibleSlotText(*wrong));
    }
    return false;
}

reservation_record::SlotTexts TfmCutYoyaku::shownSlotTexts() const {
    const reservation_record::TimeSlot slot = shownSlot();
    return {slot.nen, slot.tuki, slot.niti, slot.jikan,
            records::sjis::bytesOf(edtYoyakuHun->text())};
}

// What the user is told about a date or time that cannot be booked, naming the field.
QString TfmCutYoyaku::impossibleSlotText(reservation_record::Field field) const {
    const auto named = std::find_if(textFields_.begin(), textFields_.end(),
                                    [field](const TextField& text) { return text.field == field; });
    return QStringLiteral("「%1」の「%2」に%3を入力してください。")
        .arg(named->group->title(), named->label, wantedInSlotField(field));
}

void TfmCutYoyaku::Button1Click() {
    if (refusedInput()) {
        return;
    }
    if (isUpdatingPage()) {
        DeleteZenyoyakuLine(PageLine);
    }
    accept();
}

void TfmCutYoyaku::btnDeletePageClick() {
    if (!widgets::confirmDeletion(this, DeleteTitle,
                                  QStringLiteral("１つの予約データの削除取り消しました。"))) {
        return;
    }
    DeleteZenyoyakuLine(PageList.at(PageIndex));
    // The dialog stays on the screen until the user has seen that the deletion is done.
    widgets::showMessage(this, QMessageBox::Information, DeleteTitle,
                         QStringLiteral("１つの予約データの削除しました。"));
    reject();
}

bool TfmCutYoyaku::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<const QKeyEvent*>(event)->key();
        if (watched == edtFurigana) {
            edtFuriganaKeyDown(key);
        } else if (watched == edtShimei) {
            edtShimeiKeyDown(key);
        } else if (watched == edtTelephoneNo) {
            edtTelephoneNoKeyDown(key);
        } else if (watched == edtPetName) {
            edtPetNameKeyDown(key);
        }
    }
    // The key goes on to the field as usual.
    return QDialog::eventFilter(watched, event);
}

void TfmCutYoyaku::searchOnEnter(int key, const QLineEdit& edit, LookupFallback fallback) {
    if (reservation::isEnterKey(key)) {
        UserSearch(edit.text(), fallback);
    }
}

void TfmCutYoyaku::edtFuriganaKeyDown(int key) {
    searchOnEnter(key, *edtFurigana);
}

void TfmCutYoyaku::edtShimeiKeyDown(int key) {
    searchOnEnter(key, *edtShimei);
}

void TfmCutYoyaku::edtTelephoneNoKeyDown(int key) {
    searchOnEnter(key, *edtTelephoneNo, LookupFallback::TelephoneDigits);
}

void TfmCutYoyaku::edtPetNameKeyDown(int key) {
    searchOnEnter(key, *edtPetName);
}

namespace {

QByteArrayList linesContaining(const QByteArrayList& lines, const QByteArray& needle) {
    QByteArrayList found;
    for (const QByteArray& line : lines) {
        if (records::sjis::contains(line, needle)) {
            found.append(line);
        }
    }
    return found;
}

QByteArrayList linesWithTelephone(const QByteArrayList& lines, const QByteArray& typed) {
    const records::telephone::TelephoneQuery number(typed);
    QByteArrayList found;
    if (!number.isNumber()) {
        return found;
    }
    for (const QByteArray& line : lines) {
        if (number.matchesCustomer(records::splitFields(line))) {
            found.append(line);
        }
    }
    return found;
}

}  // namespace

void TfmCutYoyaku::UserSearch(const QString& text, LookupFallback fallback) {
    // A text that Shift-JIS cannot hold occurs in no stored line.
    const std::optional<QByteArray> needle = records::sjis::fromUnicode(text);
    if (!needle) {
        return;
    }
    QByteArrayList found = linesContaining(ZenUserList, *needle);
    if (found.isEmpty() && fallback == LookupFallback::TelephoneDigits) {
        found = linesWithTelephone(ZenUserList, *needle);
    }
    // An empty picker could only be closed again: with nothing found nothing is shown.
    if (found.isEmpty()) {
        return;
    }
    TfmUserListDialog picker(this);
    for (const QByteArray& line : found) {
        picker.addUser(line);
    }
    picker.exec();
    const QByteArray chosen = picker.getSelectedUser();
    if (!chosen.isEmpty()) {
        SetUserKoumoku(chosen);
    }
}

void TfmCutYoyaku::SetUserKoumoku(const QByteArray& line) {
    const records::Customer customer(line);
    const QList<std::pair<customer_record::Field, QLineEdit*>> copied = {
        {customer_record::PetName, edtPetName},
        {customer_record::ShuNado, edtShuNado},
        {customer_record::Furigana, edtFurigana},
        {customer_record::Shimei, edtShimei},
        {customer_record::Yubin, edtYubin},
        {customer_record::Jyusho, edtJyusho},
        {customer_record::JyushoTuzuki, edtJyushoTuzuki},
        {customer_record::TelephoneNo, edtTelephoneNo},
        {customer_record::MobilPhoneNo, edtMobilPhoneNo}};
    for (const auto& [position, edit] : copied) {
        edit->setText(customer.shownText(position));
    }
    const ChoiceGroup& kind = choiceGroups_.first();
    checkMatchingCaption(kind.buttons, kind.fallback, customer.shownText(customer_record::Shu));
}
