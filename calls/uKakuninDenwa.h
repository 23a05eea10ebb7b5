#pragma once

#include "records/RecordLists.h"
#include "records/SheetBookings.h"

#include <QByteArrayList>
#include <QDialog>
#include <QList>
#include <QPointer>

#include <functional>

class QDateEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace printing {
class Sheet;
}

// The confirmation calls of one day, tomorrow at first: the day's bookings that are not
// cancelled, in time order, each with the numbers to call and what was booked. Ticking a row marks
// its booking confirmed in the store, unticking marks it booked again; the record files are never
// written. A pet whose カルテ has flags, or a shot whose protection ends within 30 days of the
// booking, shows them in a column 注意, so that the desk can ask for the new certificate. The
// window stays open beside the week table and follows every change of the reservations and of
// the customers' カルテ.
class TfmKakuninDenwa : public QDialog {
    Q_OBJECT
public:
    // How a sheet is shown in print preview, from where it is printed.
    using SheetPreview = std::function<void(QWidget* parent, const printing::Sheet& sheet)>;

    TfmKakuninDenwa(QWidget* owner, records::RecordLists& lists, SheetPreview preview);

private:
    void buildControls();
    void fillList();
    // Many announcements in a row (a restore, a tick) fill the list once, after the handler that
    // caused them has returned: a tick's own item is not deleted under it.
    void fillListSoon();
    void followChange(const records::RecordChange& change);
    void rowTicked(QTreeWidgetItem* item, int column);
    void btnKakuninPrintClick();

    records::RecordLists& lists_;
    SheetPreview preview_;
    // The rows' bookings and their lines as they were when the list was filled.
    QList<records::sheets::Booking> calls_;
    QByteArrayList lines_;
    bool filling_ = false;
    bool fillPending_ = false;

    QDateEdit* dtKakuninHi;
    QTreeWidget* ListViewKakunin;
    QPushButton* btnKakuninPrint;
    QPushButton* btnKakuninClose;
};

namespace calls {

// Shows the window of the confirmation calls, the one already open brought to the front.
void showKakuninDenwa(QWidget* owner, records::RecordLists& lists,
                      TfmKakuninDenwa::SheetPreview preview, QPointer<TfmKakuninDenwa>& open);

}  // namespace calls
