#pragma once

#include "records/RecordLists.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <utility>

class QAction;
class QMenu;
class QWidget;

namespace mainwindow {

// An entry of the weekly table's context menu that leads to one booking of the selected cell: it
// opens the booking at once when the cell holds one, offers a submenu of the cell's bookings when
// it holds several, and is disabled when the cell holds none.
class CellBookingsEntry : public QObject {
public:
    // What the entry opens: the booking's position in the reservation list and its line. An
    // error it raises is shown over `owner`.
    using Open = std::function<void(qsizetype position, const QByteArray& line)>;

    CellBookingsEntry(QWidget* owner, QMenu& menu, const QString& caption, const QString& entryName,
                      const QString& listName, Open open);

    // The entry for the bookings at `positions` of the reservation list.
    void offer(const QList<qsizetype>& positions, const records::RecordLists& lists);

private:
    void openGuarded(const std::pair<qsizetype, QByteArray>& booking);

    QWidget* owner_;
    QAction* entry_;
    QMenu* list_;
    Open open_;
    QList<std::pair<qsizetype, QByteArray>> bookings_;
};

}  // namespace mainwindow
