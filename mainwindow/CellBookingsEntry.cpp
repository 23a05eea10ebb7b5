#include "mainwindow/CellBookingsEntry.h"

#include "records/Sjis.h"
#include "widgets/ErrorGuard.h"

#include <QAction>
#include <QMenu>

namespace mainwindow {

CellBookingsEntry::CellBookingsEntry(QWidget* owner, QMenu& menu, const QString& caption,
                                     const QString& entryName, const QString& listName, Open open)
    : QObject(&menu),
      owner_(owner),
      entry_(menu.addAction(caption)),
      list_(new QMenu(owner)),
      open_(std::move(open)) {
    entry_->setObjectName(entryName);
    list_->setObjectName(listName);
    connect(entry_, &QAction::triggered, this, [this] {
        // With several bookings in the cell, the entry only opens its submenu.
        if (bookings_.size() == 1) {
            openGuarded(bookings_.first());
        }
    });
}

void CellBookingsEntry::offer(const QList<qsizetype>& positions,
                              const records::RecordLists& lists) {
    list_->clear();
    bookings_.clear();
    for (const qsizetype position : positions) {
        const std::pair booking(position, lists.lines(records::RecordFile::Yoyaku).at(position));
        bookings_.append(booking);
        const QString entry = records::sjis::toUnicode(lists.yoyakuIndex().tableEntry(position));
        QAction* action =
            list_->addAction(QString(entry).replace(QLatin1Char('&'), QStringLiteral("&&")));
        connect(action, &QAction::triggered, this, [this, booking] { openGuarded(booking); });
    }
    entry_->setEnabled(!positions.isEmpty());
    entry_->setMenu(positions.size() > 1 ? list_ : nullptr);
}

void CellBookingsEntry::openGuarded(const std::pair<qsizetype, QByteArray>& booking) {
    widgets::runGuarded(owner_, [this, &booking] { open_(booking.first, booking.second); });
}

}  // namespace mainwindow
