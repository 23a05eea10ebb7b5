#pragma once

#include "records/RecordLists.h"
#include "records/ReservationChecks.h"

#include <QDialog>
#include <QList>

class QPushButton;
class QTreeWidget;

// The reservation lines that no cell of the weekly table leads to, with the means to give one a
// date and time the table shows, or to delete it. Every change is written at once through the
// record lists, so the list shown is always what the file holds.
class TfmKirokuTenken : public QDialog {
    Q_OBJECT
public:
    TfmKirokuTenken(QWidget* owner, records::RecordLists& lists);

private:
    void buildControls();
    void fillList();
    void showButtonStates();
    // The selected line's position in YoyakuList, -1 when none is selected.
    qsizetype selectedPosition() const;
    void btnTenkenShuseiClick();
    void btnTenkenSakujoClick();

    records::RecordLists& lists_;
    QList<records::reservation_record::LineToCheck> lines_;

    QTreeWidget* ListViewTenken;
    QPushButton* btnTenkenShusei;
    QPushButton* btnTenkenSakujo;
    QPushButton* btnTenkenClose;
};

namespace recordcheck {

// Shows the check modally over `owner`.
void runKirokuTenken(QWidget* owner, records::RecordLists& lists);

// How many reservation lines need checking now.
qsizetype linesToCheckCount(const records::RecordLists& lists);

}  // namespace recordcheck
