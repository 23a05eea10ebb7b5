#pragma once

#include "records/RecordLists.h"

#include <QByteArray>
#include <QObject>

#include <functional>
#include <optional>

class QAction;
class QWidget;

namespace mainwindow {

// The カルテ command: for the customer selected on the customer list page (actKarte, in the
// 予約 menu and the list's context menu), for the customer a booking was made for, and for the
// customer of a visit history.
class KarteCommands : public QObject {
public:
    // The customer line selected on the list page; nothing when none is (or the list is being
    // refilled).
    using SelectedCustomer = std::function<std::optional<qsizetype>()>;
    // Runs a command the way the window runs all of them, telling the user of its errors.
    using Run = std::function<void(const std::function<void()>&)>;

    KarteCommands(QWidget& window, records::RecordLists& lists, SelectedCustomer selected, Run run);

    // Opens the カルテ of the customer line `line`, seen at `position`, over `over`.
    void openForCustomer(QWidget* over, qsizetype position, const QByteArray& line);
    // Opens the カルテ of the customer the booking was made for, by the visit-history rule (the
    // first in the list when several match). A customer who is not registered has no カルテ:
    // the message says so and how to give them one.
    void openForBooking(QWidget* over, const QByteArray& reservationLine);

    QAction* actKarte;

private:
    void openSelected();

    QWidget& window_;
    records::RecordLists& lists_;
    SelectedCustomer selected_;
};

}  // namespace mainwindow
