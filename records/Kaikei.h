#pragma once

#include "records/BookingDetails.h"
#include "records/DetailStore.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace records {
class RecordLists;
}

// What a groom costs, what the desk took for it and what a day or month took in: the salon's
// prices, each booking's price and payments in its details, and the takings. Yen are whole
// numbers throughout, so that no total is ever off by a rounding of its own.
namespace records::kaikei {

// The shampoo choices of the reservation dialog; a stored value it does not offer counts as
// その他, as the dialog shows it.
enum class Shampoo { Motikomi, Regyura, Sonota };
inline constexpr std::array AllShampoos{Shampoo::Motikomi, Shampoo::Regyura, Shampoo::Sonota};
QString shampooCaption(Shampoo shampoo);  // 持込み, レギュラー, その他

// The extra services the reservation dialog checks.
enum class Extra { HigeCut, Tumekiri };
inline constexpr std::array AllExtras{Extra::HigeCut, Extra::Tumekiri};
QString extraCaption(Extra extra);  // ヒゲカット, 爪切り

// One line of a bill.
struct BillLine {
    QString name;
    qint64 yen = 0;
    friend bool operator==(const BillLine&, const BillLine&) = default;
};

// The consumption tax of a receipt, 10%, rounded down once for the whole receipt.
inline constexpr int TaxPercent = 10;
struct TaxedTotal {
    qint64 tax = 0;
    qint64 total = 0;  // what the customer pays
    friend bool operator==(const TaxedTotal&, const TaxedTotal&) = default;
};
// `sum` of the lines either already holds the tax or has it added.
TaxedTotal taxedTotal(qint64 sum, bool taxIncluded);

// T followed by thirteen digits.
bool isRegistrationNumber(const QString& text);

// The salon's prices and what its receipts name it by.
struct PriceSettings {
    static inline const QString SettingName = QStringLiteral("ryoukin");
    static constexpr qint64 MostYen = 9'999'999;

    std::array<std::array<qint64, booking::AllKinds.size()>, booking::AllStyles.size()> prices{};
    std::array<qint64, AllExtras.size()> extraPrices{};
    std::array<qint64, AllShampoos.size()> shampooPrices{};
    QString salonName;
    QString address;
    QString telephone;
    QString registrationNumber;  // empty, or T and thirteen digits
    bool taxIncluded = true;

    qint64 priceOf(booking::Style style, booking::Kind kind) const;
    qint64 priceOf(Extra extra) const { return extraPrices[static_cast<std::size_t>(extra)]; }
    qint64 priceOf(Shampoo shampoo) const {
        return shampooPrices[static_cast<std::size_t>(shampoo)];
    }
    // The services a reservation line chose, each with what these prices ask for it: the style
    // by kind, then the shampoo and the extras that were chosen.
    QList<BillLine> serviceLines(const QByteArray& reservationLine) const;
    // What the booking costs when it has no price of its own: the sum of its service lines.
    qint64 usualPriceOf(const QByteArray& reservationLine) const;

    // As the store keeps them (JSON); settings never written read as the defaults (no prices,
    // tax included), and a registration number that is not one reads as none.
    static PriceSettings fromBytes(const std::optional<QByteArray>& bytes);
    QByteArray toBytes() const;
    friend bool operator==(const PriceSettings&, const PriceSettings&) = default;
};

// A booking's own price, set in its details; nothing means the usual one of its choices.
std::optional<qint64> ownPriceOf(const LineDetails& details);
// `details` with the price in (or out), every other value kept.
LineDetails withOwnPrice(LineDetails details, std::optional<qint64> price);
// The bill of a booking before anything was paid: its service lines by the settings, or, when it
// has a price of its own, that price on one line naming what was chosen.
QList<BillLine> billOf(const QByteArray& reservationLine, const LineDetails& details,
                       const PriceSettings& settings);

enum class Method { Genkin, Card, DenshiMoney, Sonota };
inline constexpr std::array AllMethods{Method::Genkin, Method::Card, Method::DenshiMoney,
                                       Method::Sonota};
QString methodCaption(Method method);  // 現金, カード, 電子マネー, その他

// One recorded payment of a booking.
struct Payment {
    QList<BillLine> lines;
    Method method = Method::Genkin;
    qint64 handedOver = 0;
    QDateTime paidAt;
    bool taxIncluded = true;

    qint64 sum() const;
    TaxedTotal taxed() const { return taxedTotal(sum(), taxIncluded); }
    qint64 change() const { return handedOver - taxed().total; }
    friend bool operator==(const Payment&, const Payment&) = default;
};

// Every payment a booking was given, oldest first: a correction is a new version, so what a
// receipt once said can always be looked up.
struct Payments {
    QList<Payment> versions;

    bool isPaid() const { return !versions.isEmpty(); }
    // The one that counts: the latest.
    const Payment& current() const { return versions.last(); }

    static Payments of(const LineDetails& details);
    // `details` with `payment` added as the newest version, every other value kept.
    static LineDetails withAdded(const LineDetails& details, const Payment& payment);
};

// What a receipt shows: the qualified simplified invoice's facts.
struct Receipt {
    QString salonName;
    QString address;
    QString telephone;
    QString registrationNumber;
    QString customer;  // the owner's name, "様" is added when printed
    QDate date;
    Payment payment;
};

// The takings of the bookings of some days.
struct Takings {
    int paidVisits = 0;
    qint64 total = 0;
    qint64 tax = 0;
    std::array<qint64, AllMethods.size()> byMethod{};
    std::array<qint64, booking::AllStyles.size()> byStyle{};
    int noShows = 0;            // 無断キャンセル
    int lateCancellations = 0;  // 当日キャンセル

    qint64 totalOf(Method method) const { return byMethod[static_cast<std::size_t>(method)]; }
    qint64 totalOf(booking::Style style) const { return byStyle[static_cast<std::size_t>(style)]; }
    friend bool operator==(const Takings&, const Takings&) = default;
};
// The bookings booked from `first` to `last`, by their current payments and their statuses.
Takings takingsBetween(const RecordLists& lists, const QDate& first, const QDate& last);

// The takings as the rows of a table, a header first (項目, 件数, 金額): the window, the CSV file
// and the printed sheet all show these. Counted rows have no amount; summed rows no count.
QList<QStringList> takingsRows(const Takings& takings);

// "12,345".
QString yenText(qint64 yen);
// "¥12,345", as bills and receipts show amounts.
QString yenSign(qint64 yen);
// The text of a yen amount as typed, commas and a leading ¥ allowed; nothing when it is not a
// whole number of yen within ±MostYen.
std::optional<qint64> yenOf(const QString& text);

}  // namespace records::kaikei
