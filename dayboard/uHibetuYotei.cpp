#include "dayboard/uHibetuYotei.h"

#include "dayboard/DayBoard.h"
#include "records/BookingDetails.h"
#include "records/Clock.h"
#include "records/DayBoardLayout.h"
#include "records/KarteCheck.h"
#include "records/KarteLookup.h"
#include "records/RecordFormat.h"
#include "records/ReservationRecord.h"
#include "records/Sjis.h"
#include "widgets/Appearance.h"
#include "widgets/ErrorGuard.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>

namespace {

using records::RecordFile;
namespace booking = records::booking;
namespace reservation_record = records::reservation_record;

QString shown(const QByteArray& field) {
    return records::sjis::toUnicode(field.left(widgets::LongestShownLine));
}

struct BoardEntry {
    records::dayboard::DayBooking booking;
    dayboard::BlockText text;
};

BoardEntry entryOf(qsizetype position, const QByteArray& line,
                   const booking::BookingDetails& details, const booking::SalonSettings& settings) {
    const QByteArrayList fields = records::splitFields(line);
    const int hour = reservation_record::bookedHour(fields);
    const int minute = records::fieldAt(fields, reservation_record::YoyakuHun).trimmed().toInt();
    BoardEntry entry;
    entry.booking = {position, hour * 60 + minute, settings.minutesOf(line, details),
                     details.groomer, booking::isCancelled(details.status)};
    const int start = std::clamp(entry.booking.startMinute, 0, records::dayboard::MinutesOfDay - 1);
    entry.text.title = records::twoDigits(start / 60) + QLatin1Char(':') +
                       records::twoDigits(start % 60) + QLatin1Char(' ') +
                       shown(reservation_record::tableEntry(fields));
    entry.text.detail = shown(records::fieldAt(fields, reservation_record::Style)) +
                        QStringLiteral("　") + booking::statusCaption(details.status);
    entry.text.cancelled = entry.booking.cancelled;
    return entry;
}

// The day's bookings in time order, the earlier line first at the same time.
QList<BoardEntry> entriesOf(const records::RecordLists& lists, const QDate& day,
                            const booking::SalonSettings& settings) {
    const QDate today = records::clock_source::now().date();
    const QList<qsizetype> positions = lists.yoyakuIndex().bookedBetween(day, day, today);
    const QHash<qsizetype, records::LineDetails> details =
        lists.detailsAt(RecordFile::Yoyaku, positions);
    const QHash<qsizetype, records::karte::Karte> karten =
        records::karte::kartenOfBookings(lists, positions);
    const QByteArrayList& lines = lists.lines(RecordFile::Yoyaku);
    QList<BoardEntry> entries;
    entries.reserve(positions.size());
    for (const qsizetype position : positions) {
        entries.append(entryOf(position, lines.at(position),
                               booking::BookingDetails::of(details.value(position)), settings));
        if (const auto karte = karten.constFind(position); karte != karten.cend()) {
            entries.last().text.badge = records::karte::flagsText(*karte);
        }
    }
    std::stable_sort(entries.begin(), entries.end(), [](const BoardEntry& a, const BoardEntry& b) {
        return a.booking.startMinute < b.booking.startMinute;
    });
    return entries;
}

}  // namespace

TfmHibetuYotei::TfmHibetuYotei(records::RecordLists& lists, QWidget* owner)
    : QWidget(owner, Qt::Window), lists_(lists), day_(records::clock_source::now().date()) {
    setObjectName(QStringLiteral("fmHibetuYotei"));
    setWindowTitle(QStringLiteral("日別予定"));
    widgets::applyFormLook(*this);
    buildControls();
    resize(760, 620);
    connect(&lists_, &records::RecordLists::changed, this, [this](const records::RecordChange&) {
        // A customer's change may be its カルテ's, which the blocks show.
        if (isVisible()) {
            refresh();
        }
    });
    connect(&lists_, &records::RecordLists::settingChanged, this, [this](const QString& name) {
        if (name == booking::SalonSettings::SettingName && isVisible()) {
            refresh();
        }
    });
    showDay(day_);
}

void TfmHibetuYotei::buildControls() {
    const auto button = [this](QPushButton*& member, const char* name, const QString& caption,
                               const std::function<QDate()>& dayToShow) {
        member = new QPushButton(caption, this);
        member->setObjectName(QString::fromLatin1(name));
        connect(member, &QPushButton::clicked, this, [this, dayToShow] { showDay(dayToShow()); });
    };
    button(btnZenjitu, "btnZenjitu", QStringLiteral("前日"), [this] { return day_.addDays(-1); });
    button(btnYokujitu, "btnYokujitu", QStringLiteral("翌日"), [this] { return day_.addDays(1); });
    button(btnKyou, "btnKyou", QStringLiteral("今日"),
           [] { return records::clock_source::now().date(); });
    lbHibetuHiduke = new QLabel(this);
    lbHibetuHiduke->setObjectName(QStringLiteral("lbHibetuHiduke"));
    lbHibetuHiduke->setMinimumWidth(160);
    lbHibetuHiduke->setAlignment(Qt::AlignCenter);

    GridHibetuYotei = new dayboard::TDayBoard;
    connect(GridHibetuYotei, &dayboard::TDayBoard::detailsRequested, this,
            [this](qsizetype position) {
                if (openDetails_) {
                    openDetails_(position);
                }
            });
    connect(GridHibetuYotei, &dayboard::TDayBoard::dropped, this, &TfmHibetuYotei::assign);
    actKaikei = new QAction(QStringLiteral("会計..."), this);
    actKaikei->setObjectName(QStringLiteral("actKaikei"));
    actKaikei->setToolTip(QStringLiteral("選んだ予約の会計をします"));
    actKaikei->setStatusTip(actKaikei->toolTip());
    actKaikei->setEnabled(false);
    connect(actKaikei, &QAction::triggered, this, [this] {
        if (const qsizetype position = GridHibetuYotei->selectedPosition();
            position >= 0 && openPayment_) {
            openPayment_(position);
        }
    });
    connect(GridHibetuYotei, &dayboard::TDayBoard::selectionChanged, this, [this] {
        actKaikei->setEnabled(openPayment_ && GridHibetuYotei->selectedPosition() >= 0);
    });
    btnHibetuKaikei = new QPushButton(actKaikei->text(), this);
    btnHibetuKaikei->setObjectName(QStringLiteral("btnHibetuKaikei"));
    btnHibetuKaikei->setEnabled(false);
    btnHibetuKaikei->hide();
    connect(btnHibetuKaikei, &QPushButton::clicked, actKaikei, &QAction::trigger);
    connect(actKaikei, &QAction::enabledChanged, btnHibetuKaikei, &QPushButton::setEnabled);
    // The board's context menu: the selected booking's payment.
    GridHibetuYotei->setContextMenuPolicy(Qt::ActionsContextMenu);
    pnlHibetuYotei = new QScrollArea(this);
    pnlHibetuYotei->setObjectName(QStringLiteral("pnlHibetuYotei"));
    pnlHibetuYotei->setWidget(GridHibetuYotei);

    auto* days = new QHBoxLayout;
    days->addWidget(btnZenjitu);
    days->addWidget(lbHibetuHiduke);
    days->addWidget(btnYokujitu);
    days->addStretch();
    days->addWidget(btnHibetuKaikei);
    days->addWidget(btnKyou);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(days);
    layout->addWidget(pnlHibetuYotei);
}

void TfmHibetuYotei::showDay(const QDate& day) {
    day_ = day;
    lbHibetuHiduke->setText(dayboard::dayCaption(day_));
    if (isVisible()) {
        refresh();
    }
}

void TfmHibetuYotei::setOpenDetails(std::function<void(qsizetype)> openDetails) {
    openDetails_ = std::move(openDetails);
}

void TfmHibetuYotei::setOpenPayment(std::function<void(qsizetype)> openPayment) {
    openPayment_ = std::move(openPayment);
    if (openPayment_ && !GridHibetuYotei->actions().contains(actKaikei)) {
        GridHibetuYotei->addAction(actKaikei);
        btnHibetuKaikei->show();
    }
    actKaikei->setEnabled(openPayment_ && GridHibetuYotei->selectedPosition() >= 0);
}

void TfmHibetuYotei::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    refresh();
}

void TfmHibetuYotei::refresh() {
    widgets::runGuarded(this, [this] {
        const booking::SalonSettings settings =
            booking::SalonSettings::fromBytes(lists_.setting(booking::SalonSettings::SettingName));
        const QList<BoardEntry> entries = entriesOf(lists_, day_, settings);
        QList<records::dayboard::DayBooking> bookings;
        QList<dayboard::BlockText> texts;
        for (const BoardEntry& entry : entries) {
            bookings.append(entry.booking);
            texts.append(entry.text);
        }
        GridHibetuYotei->setBoard(records::dayboard::layOut(bookings, settings.groomers),
                                  std::move(texts));
    });
}

void TfmHibetuYotei::assign(qsizetype position, int column) {
    widgets::runGuarded(this, [&] {
        const records::LineDetails stored = lists_.detailsAt(RecordFile::Yoyaku, position);
        booking::BookingDetails details = booking::BookingDetails::of(stored);
        details.groomer = records::dayboard::groomerOfColumn(GridHibetuYotei->layout(), column);
        lists_.setDetails(RecordFile::Yoyaku, position,
                          lists_.lines(RecordFile::Yoyaku).at(position), details.into(stored));
    });
}

namespace dayboard {

QString dayCaption(const QDate& day) {
    return day.toString(QStringLiteral("yyyy年MM月dd日（")) + records::weekdayName(day) +
           QStringLiteral("）");
}

TfmHibetuYotei* showHibetuYotei(QWidget* owner, records::RecordLists& lists, const QDate& day) {
    auto* board = owner->findChild<TfmHibetuYotei*>(QString(), Qt::FindDirectChildrenOnly);
    if (!board) {
        board = new TfmHibetuYotei(lists, owner);
    }
    board->showDay(day);
    board->show();
    board->raise();
    board->activateWindow();
    return board;
}

}  // namespace dayboard
