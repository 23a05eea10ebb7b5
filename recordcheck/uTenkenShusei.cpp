#include "recordcheck/uTenkenShusei.h"

#include "records/RecordFormat.h"
#include "records/RecordViews.h"
#include "records/Sjis.h"
#include "widgets/Appearance.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace rsv = records::reservation_record;

namespace {

QByteArray asciiOf(const QString& text) {
    return text.toLatin1();
}

}  // namespace

namespace recordcheck {

QString shownLine(const QByteArray& line) {
    QStringList shown;
    for (const QByteArray& field : records::splitFields(line)) {
        if (const QByteArray text = records::EmptyMarkDelete(field); !text.isEmpty()) {
            shown.append(records::sjis::toUnicode(text));
        }
    }
    return shown.join(QStringLiteral("　")).left(widgets::LongestShownLine);
}

}  // namespace recordcheck

TfmTenkenShusei::TfmTenkenShusei(QWidget* owner, const QByteArray& line, const QDate& today)
    : QDialog(owner) {
    setObjectName(QStringLiteral("fmTenkenShusei"));
    setWindowTitle(QStringLiteral("日付と時間の修正"));
    widgets::applyFormLook(*this);
    buildControls(recordcheck::shownLine(line));
    showSlotOf(line, today);
}

void TfmTenkenShusei::buildControls(const QString& shownLine) {
    lbShuseiNaiyou = new QLabel(shownLine, this);
    lbShuseiNaiyou->setObjectName(QStringLiteral("lbShuseiNaiyou"));
    lbShuseiNaiyou->setWordWrap(true);

    edtShuseiHiduke = new QDateEdit(this);
    edtShuseiHiduke->setObjectName(QStringLiteral("edtShuseiHiduke"));
    edtShuseiHiduke->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    edtShuseiHiduke->setCalendarPopup(true);
    cbShuseiJikan = new QComboBox(this);
    cbShuseiJikan->setObjectName(QStringLiteral("cbShuseiJikan"));
    for (int hour = rsv::FirstTableHour; hour <= rsv::LastTableHour; ++hour) {
        cbShuseiJikan->addItem(records::twoDigits(hour));
    }
    edtShuseiHun = new QSpinBox(this);
    edtShuseiHun->setObjectName(QStringLiteral("edtShuseiHun"));
    edtShuseiHun->setRange(0, 59);

    btnShuseiOk = new QPushButton(QStringLiteral("OK"), this);
    btnShuseiOk->setObjectName(QStringLiteral("btnShuseiOk"));
    btnShuseiOk->setDefault(true);
    btnShuseiCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    btnShuseiCancel->setObjectName(QStringLiteral("btnShuseiCancel"));
    connect(btnShuseiOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnShuseiCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("日付"), edtShuseiHiduke);
    fields->addRow(QStringLiteral("時"), cbShuseiJikan);
    fields->addRow(QStringLiteral("分"), edtShuseiHun);
    auto* bar = new QHBoxLayout;
    bar->addStretch(1);
    bar->addWidget(btnShuseiOk);
    bar->addWidget(btnShuseiCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lbShuseiNaiyou);
    layout->addLayout(fields);
    layout->addLayout(bar);
}

void TfmTenkenShusei::showSlotOf(const QByteArray& line, const QDate& today) {
    const records::Booking booking(line);
    edtShuseiHiduke->setDate(booking.bookedDate(today));
    const int hour = booking.hour();
    cbShuseiJikan->setCurrentIndex(rsv::hasTableRow(hour) ? hour - rsv::FirstTableHour : 0);
    edtShuseiHun->setValue(rsv::acceptedMinute(booking.stored(rsv::YoyakuHun)).value_or(0));
}

rsv::SlotTexts TfmTenkenShusei::chosenSlot() const {
    const QDate date = edtShuseiHiduke->date();
    return {asciiOf(date.toString(QStringLiteral("yyyy"))),
            asciiOf(date.toString(QStringLiteral("MM"))),
            asciiOf(date.toString(QStringLiteral("dd"))), asciiOf(cbShuseiJikan->currentText()),
            asciiOf(records::twoDigits(edtShuseiHun->value()))};
}
