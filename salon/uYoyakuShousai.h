#pragma once

#include "records/BookingDetails.h"
#include "records/RecordLists.h"

#include <QDialog>

#include <functional>
#include <optional>

class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QAction;

namespace widgets {
class YenEdit;
}

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

    // The booking's price: its own, or the usual one of its choices while it has none.
    void showPrice(std::optional<qint64> own, qint64 usual);
    // The price as typed; a price left at the usual one stays the usual one.
    std::optional<qint64> price() const;
    // Offers 会計..., which closes the window as OK does and then asks for the payment.
    void offerPayment();
    // What exec() returns when the window was closed for the payment.
    static constexpr int PaymentRequested = 2;

    void accept() override;

private:
    // False (the user told) when the price typed is not one.
    bool checkPrice();
    void buildControls();
    void fill(const records::booking::SalonSettings& settings);

    records::booking::BookingDetails shown_;
    int usualMinutes_;
    std::optional<qint64> ownPrice_;
    qint64 usualPrice_ = 0;

    QLabel* lbShousaiYoyaku;
    QComboBox* cbTantousha;
    QSpinBox* edtShoyouJikan;
    QComboBox* cbJoutai;
    widgets::YenEdit* edtRyoukin;
    QAction* actKaikei;
    QPushButton* btnShousaiKaikei;
    QPushButton* btnShousaiOK;
    QPushButton* btnShousaiCancel;
};

namespace salon {

inline const QString YoyakuShousaiCaption = QStringLiteral("予約の詳細");

// Shows the details of the booking at `position` in the reservation list modally over `owner`,
// and keeps what OK leaves in the store; the record file is never written. Nothing happens for a
// position outside the list. A store that cannot be written is reported. With `openPayment`, the
// window offers 会計..., which keeps the details as OK does and then runs it for the booking.
void runYoyakuShousai(QWidget* owner, records::RecordLists& lists, qsizetype position,
                      const std::function<void(qsizetype position)>& openPayment = {});

}  // namespace salon
