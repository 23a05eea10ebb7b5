#pragma once

#include "records/RecordLists.h"

#include <QDate>
#include <QWidget>

#include <functional>

class QAction;
class QLabel;
class QPushButton;
class QScrollArea;

namespace dayboard {
class TDayBoard;
}

// One day of the salon at a glance: the day's bookings as blocks in the groomers' columns. It
// stays open beside the week table and follows every change of the bookings, their details and
// the salon's groomers.
class TfmHibetuYotei : public QWidget {
    Q_OBJECT
public:
    TfmHibetuYotei(records::RecordLists& lists, QWidget* owner);

    void showDay(const QDate& day);
    QDate day() const { return day_; }
    // What opens a booking's details, given its position in the reservation list.
    void setOpenDetails(std::function<void(qsizetype position)> openDetails);
    // What takes the payment of a booking, given its position; 会計... is offered once it is set.
    void setOpenPayment(std::function<void(qsizetype position)> openPayment);

    // The payment of the selected booking.
    QAction* actKaikei;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    void refresh();
    // Gives the booking at `position` to the groomer of the board's `column`, in the store only.
    void assign(qsizetype position, int column);

    records::RecordLists& lists_;
    QDate day_;
    std::function<void(qsizetype)> openDetails_;
    std::function<void(qsizetype)> openPayment_;

    QLabel* lbHibetuHiduke;
    QPushButton* btnZenjitu;
    QPushButton* btnYokujitu;
    QPushButton* btnKyou;
    QPushButton* btnHibetuKaikei;
    QScrollArea* pnlHibetuYotei;
    dayboard::TDayBoard* GridHibetuYotei;
};

namespace dayboard {

// "2026年12月09日（水）".
QString dayCaption(const QDate& day);

// The board of `owner` (made the first time) showing `day`, brought to the front.
TfmHibetuYotei* showHibetuYotei(QWidget* owner, records::RecordLists& lists, const QDate& day);

}  // namespace dayboard
