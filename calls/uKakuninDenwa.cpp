#include "calls/uKakuninDenwa.h"

#include "printing/DaySheet.h"
#include "records/BookingFacts.h"
#include "records/Clock.h"
#include "records/KarteLookup.h"
#include "widgets/Appearance.h"
#include "widgets/ErrorGuard.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <utility>

namespace rsv = records::reservation_record;
using records::booking::Status;

namespace {

enum Column {
    CheckColumn,
    TimeColumn,
    OwnerColumn,
    PetColumn,
    TelephoneColumn,
    MobileColumn,
    ServicesColumn,
    CautionColumn
};

QString servicesOf(const records::sheets::Booking& booking) {
    QStringList services;
    for (const rsv::Field field :
         {rsv::Shamp, rsv::Style, rsv::SonotaHigeCut, rsv::SonotaTumekiri}) {
        if (!booking.text(field).isEmpty()) {
            services.append(booking.text(field));
        }
    }
    return services.join(QStringLiteral("・"));
}

QTreeWidgetItem* rowOf(const records::sheets::Booking& booking, Status status) {
    auto* item = new QTreeWidgetItem(
        QStringList{QString(), booking.time, booking.text(rsv::Shimei), booking.text(rsv::PetName),
                    booking.text(rsv::TelephoneNo), booking.text(rsv::MobilPhoneNo),
                    servicesOf(booking), booking.caution});
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    // Any status past the booking itself (confirmed, come, done) counts as confirmed.
    item->setCheckState(CheckColumn, status == Status::Yoyaku ? Qt::Unchecked : Qt::Checked);
    return item;
}

}  // namespace

TfmKakuninDenwa::TfmKakuninDenwa(QWidget* owner, records::RecordLists& lists, SheetPreview preview)
    : QDialog(owner), lists_(lists), preview_(std::move(preview)) {
    setObjectName(QStringLiteral("fmKakuninDenwa"));
    setWindowTitle(QStringLiteral("確認の電話"));
    widgets::applyFormLook(*this);
    buildControls();
    resize(760, 420);
    fillList();
    // A booking command, a restore, a file read again, another window's details: all of them
    // reach the list.
    connect(&lists_, &records::RecordLists::changed, this, &TfmKakuninDenwa::followChange);
}

void TfmKakuninDenwa::followChange(const records::RecordChange& change) {
    // A customer's change may be its カルテ's, which the rows show.
    if (change.file == records::RecordFile::Yoyaku || change.file == records::RecordFile::User) {
        fillListSoon();
    }
}

void TfmKakuninDenwa::buildControls() {
    auto* label = new QLabel(QStringLiteral("電話する予約の日"), this);
    label->setObjectName(QStringLiteral("lbKakuninHi"));
    dtKakuninHi = new QDateEdit(records::clock_source::now().date().addDays(1), this);
    dtKakuninHi->setObjectName(QStringLiteral("dtKakuninHi"));
    dtKakuninHi->setCalendarPopup(true);
    dtKakuninHi->setDisplayFormat(QStringLiteral("yyyy/MM/dd (ddd)"));
    label->setBuddy(dtKakuninHi);
    connect(dtKakuninHi, &QDateEdit::dateChanged, this, &TfmKakuninDenwa::fillList);

    ListViewKakunin = new QTreeWidget(this);
    ListViewKakunin->setObjectName(QStringLiteral("ListViewKakunin"));
    ListViewKakunin->setRootIsDecorated(false);
    ListViewKakunin->setItemsExpandable(false);
    ListViewKakunin->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListViewKakunin->setHeaderLabels(
        {QStringLiteral("確認"), QStringLiteral("時刻"), QStringLiteral("お名前"),
         QStringLiteral("ペット名"), QStringLiteral("電話番号"), QStringLiteral("携帯電話"),
         QStringLiteral("シャンプー・スタイル・その他"), QStringLiteral("注意")});
    ListViewKakunin->header()->setStretchLastSection(true);
    connect(ListViewKakunin, &QTreeWidget::itemChanged, this, &TfmKakuninDenwa::rowTicked);

    btnKakuninPrint = widgets::plainButton(this, "btnKakuninPrint", QStringLiteral("印刷..."));
    btnKakuninClose = widgets::plainButton(this, "btnKakuninClose", QStringLiteral("閉じる"));
    connect(btnKakuninPrint, &QPushButton::clicked, this, &TfmKakuninDenwa::btnKakuninPrintClick);
    connect(btnKakuninClose, &QPushButton::clicked, this, &QDialog::close);

    auto* top = new QHBoxLayout;
    top->addWidget(label);
    top->addWidget(dtKakuninHi);
    top->addStretch(1);
    auto* bar = new QHBoxLayout;
    bar->addStretch(1);
    bar->addWidget(btnKakuninPrint);
    bar->addWidget(btnKakuninClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(ListViewKakunin, 1);
    layout->addLayout(bar);
}

void TfmKakuninDenwa::fillList() {
    fillPending_ = false;
    const QDate today = records::clock_source::now().date();
    const QDate day = dtKakuninHi->date();
    const QByteArrayList& lines = lists_.lines(records::RecordFile::Yoyaku);
    const records::booking::BookingFacts facts =
        records::booking::factsOf(lists_, lists_.yoyakuIndex().bookedBetween(day, day, today));
    calls_.clear();
    lines_.clear();
    QList<records::sheets::Booking> bookings =
        records::sheets::bookingsBetween(lists_.yoyakuIndex(), day, day, today, &facts);
    records::karte::noteCautions(lists_, bookings);
    bool withCautions = false;
    QList<QTreeWidgetItem*> items;
    for (records::sheets::Booking& booking : bookings) {
        const Status status = facts.detailsAt(booking.position).status;
        if (records::booking::isCancelled(status)) {
            continue;
        }
        withCautions = withCautions || !booking.caution.isEmpty();
        items.append(rowOf(booking, status));
        lines_.append(lines.at(booking.position));
        calls_.append(std::move(booking));
    }
    const int current = ListViewKakunin->indexOfTopLevelItem(ListViewKakunin->currentItem());
    filling_ = true;
    ListViewKakunin->clear();
    ListViewKakunin->addTopLevelItems(items);
    filling_ = false;
    if (current >= 0 && current < items.size()) {
        ListViewKakunin->setCurrentItem(items.at(current));
    }
    for (const int column :
         {CheckColumn, TimeColumn, OwnerColumn, PetColumn, TelephoneColumn, MobileColumn}) {
        ListViewKakunin->resizeColumnToContents(column);
    }
    // Only a day with a pet whose カルテ tells something has the column, which then takes the
    // width the services leave.
    ListViewKakunin->setColumnHidden(CautionColumn, !withCautions);
    if (withCautions) {
        ListViewKakunin->resizeColumnToContents(ServicesColumn);
    }
}

void TfmKakuninDenwa::fillListSoon() {
    if (!fillPending_) {
        fillPending_ = true;
        QTimer::singleShot(0, this, [this] {
            if (fillPending_) {
                fillList();
            }
        });
    }
}

void TfmKakuninDenwa::rowTicked(QTreeWidgetItem* item, int column) {
    const int row = ListViewKakunin->indexOfTopLevelItem(item);
    if (filling_ || column != CheckColumn || row < 0 || row >= calls_.size()) {
        return;
    }
    const qsizetype position = calls_.at(row).position;
    const Status status =
        item->checkState(CheckColumn) == Qt::Checked ? Status::Kakuninzumi : Status::Yoyaku;
    const bool written = widgets::runGuarded(this, [this, row, position, status] {
        const records::LineDetails existing =
            lists_.detailsAt(records::RecordFile::Yoyaku, position);
        records::booking::BookingDetails details = records::booking::BookingDetails::of(existing);
        details.status = status;
        lists_.setDetails(records::RecordFile::Yoyaku, position, lines_.at(row),
                          details.into(existing));
    });
    if (!written) {
        // The tick goes back to what the store holds.
        fillListSoon();
    }
}

void TfmKakuninDenwa::btnKakuninPrintClick() {
    preview_(this, printing::DaySheet(dtKakuninHi->date(), records::clock_source::now(), calls_,
                                      printing::DaySheet::Purpose::Calls));
}

namespace calls {

void showKakuninDenwa(QWidget* owner, records::RecordLists& lists,
                      TfmKakuninDenwa::SheetPreview preview, QPointer<TfmKakuninDenwa>& open) {
    if (!open) {
        open = new TfmKakuninDenwa(owner, lists, std::move(preview));
        open->setAttribute(Qt::WA_DeleteOnClose);
    }
    open->show();
    open->raise();
    open->activateWindow();
}

}  // namespace calls
