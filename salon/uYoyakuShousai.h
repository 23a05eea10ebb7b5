#pragma once

#include "records/BookingDetails.h"
#include "records/RecordLists.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

// The details of one booking: who grooms it, how long it takes and what became of it.
class TfmYoyakuShousai : public QDialog {
    Q_OBJECT
public:
    // `booking` names the booking for the user; `usualMinutes` is the usual time of its style and
    // kind, shown while it has no time of its own.
    TfmYoyakuShousai(QWidget* owner, const QString& booking,
                     const records::booking::BookingDetails& details,
                     const records::booking::SalonSettings& settings, int usualMinutes);

    // The details as chosen. A time left at the usual one stays the usual one, so that it
    // follows when the salon's usual times change.
    records::booking::BookingDetails details() const;

private:
    void buildControls();
    void fill(const records::booking::SalonSettings& settings);

    records::booking::BookingDetails shown_;
    int usualMinutes_;

    QLabel* lbShousaiYoyaku;
    QComboBox* cbTantousha;
    QSpinBox* edtShoyouJikan;
    QComboBox* cbJoutai;
    QPushButton* btnShousaiOK;
    QPushButton* btnShousaiCancel;
};

namespace salon {

inline const QString YoyakuShousaiCaption = QStringLiteral("予約の詳細");

// Shows the details of the booking at `position` in the reservation list modally over `owner`,
// and keeps what OK leaves in the store; the record file is never written. Nothing happens for a
// position outside the list. A store that cannot be written is reported.
void runYoyakuShousai(QWidget* owner, records::RecordLists& lists, qsizetype position);

}  // namespace salon
