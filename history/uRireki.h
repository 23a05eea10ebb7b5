#pragma once

#include "records/BookingFacts.h"
#include "records/ReservationIndex.h"
#include "records/VisitHistory.h"

#include <QDialog>
#include <QList>

#include <functional>
#include <optional>

class QLabel;
class QPushButton;
class QTreeWidget;

// The visit history of one pet and its owner: every booking of theirs, newest first with the
// planned ones on top, a summary line, and the way to book the next visit. It only reads the
// reservation lines of the index it is given. Given the salon's details (`details`), it shows
// each visit's status and counts the cancellations of the day and the no-shows. Given
// `openKarte`, its カルテ button opens the カルテ of the customer over the window, and the summary
// then shows the flags as the カルテ left them.
class TfmRireki : public QDialog {
    Q_OBJECT
public:
    // Opens the カルテ over the window; gives the pet's flags once it is closed.
    using OpenKarte = std::function<QString(QWidget* over)>;

    TfmRireki(QWidget* owner, const records::history::Subject& subject,
              const records::ReservationIndex& yoyakuIndex,
              const records::booking::DetailsLookup& details = {}, OpenKarte openKarte = {});

    // Where and from what the next visit is to be booked, once 次回予約 closed the window.
    std::optional<records::history::NextVisit> chosenNextVisit() const { return chosen_; }
    // The pet's flags from its カルテ, at the end of the summary ("噛む・高齢"; empty for none).
    void showFlags(const QString& flags);

private:
    void buildControls();
    void fillList();
    void showSummary();
    void btnJikaiYoyakuClick();

    records::history::Subject subject_;
    QList<records::history::Visit> visits_;
    bool showsStatus_;
    QString flags_;
    std::optional<records::history::NextVisit> chosen_;
    OpenKarte openKarte_;

    QLabel* lbRirekiSummary;
    QTreeWidget* ListViewRireki;
    QPushButton* btnJikaiYoyaku;
    QPushButton* btnKarte;
    QPushButton* btnRirekiClose;
};

namespace history {

// Shows the history modally over `owner`, with the pet's `flags` in the summary; the next visit
// to book when 次回予約 closed it.
std::optional<records::history::NextVisit> runRireki(
    QWidget* owner, const records::history::Subject& subject,
    const records::ReservationIndex& yoyakuIndex,
    const records::booking::DetailsLookup& details = {}, const QString& flags = {},
    TfmRireki::OpenKarte openKarte = {});

}  // namespace history
