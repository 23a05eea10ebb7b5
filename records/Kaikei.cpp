#include "records/Kaikei.h"

#include "records/Clock.h"
#include "records/RecordLists.h"
#include "records/RecordViews.h"
#include "records/Sjis.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

namespace records::kaikei {
namespace {

const QString PriceKey = QStringLiteral("price");
const QString PaymentsKey = QStringLiteral("payments");

template <typename Choice, std::size_t Count>
std::optional<Choice> choiceCaptioned(const QString& caption, const std::array<Choice, Count>& all,
                                      QString (*captionOf)(Choice)) {
    for (const Choice choice : all) {
        if (captionOf(choice) == caption) {
            return choice;
        }
    }
    return std::nullopt;
}

// Amounts read from the store are kept within what the settings window lets one type, so that a
// hand-edited store cannot make a sum overflow.
qint64 storedYen(const QJsonValue& value) {
    return std::clamp(static_cast<qint64>(value.toDouble()), -PriceSettings::MostYen,
                      PriceSettings::MostYen);
}

template <std::size_t Count>
QJsonArray yenArray(const std::array<qint64, Count>& amounts) {
    QJsonArray array;
    for (const qint64 yen : amounts) {
        array.append(yen);
    }
    return array;
}

template <std::size_t Count>
void readYen(const QJsonArray& array, std::array<qint64, Count>& amounts) {
    for (std::size_t at = 0; at < Count; ++at) {
        if (const QJsonValue yen = array.at(static_cast<qsizetype>(at)); yen.isDouble()) {
            amounts[at] = std::max<qint64>(0, storedYen(yen));
        }
    }
}

QJsonObject paymentJson(const Payment& payment) {
    QJsonArray lines;
    for (const BillLine& line : payment.lines) {
        lines.append(
            QJsonObject{{QStringLiteral("name"), line.name}, {QStringLiteral("yen"), line.yen}});
    }
    const TaxedTotal taxed = payment.taxed();
    // The tax and total are kept as well as computed, so that the store says what the receipt
    // said without the reader knowing the rule.
    return {{QStringLiteral("lines"), lines},
            {QStringLiteral("method"), methodCaption(payment.method)},
            {QStringLiteral("handedOver"), payment.handedOver},
            {QStringLiteral("paidAt"), payment.paidAt.toString(Qt::ISODate)},
            {QStringLiteral("taxIncluded"), payment.taxIncluded},
            {QStringLiteral("tax"), taxed.tax},
            {QStringLiteral("total"), taxed.total}};
}

Method methodOf(const QJsonObject& payment) {
    return choiceCaptioned(payment.value(QStringLiteral("method")).toString(), AllMethods,
                           methodCaption)
        .value_or(Method::Sonota);
}

Payment paymentOf(const QJsonObject& object) {
    Payment payment;
    for (const QJsonValue line : object.value(QStringLiteral("lines")).toArray()) {
        payment.lines.append(
            {line[QStringLiteral("name")].toString(), storedYen(line[QStringLiteral("yen")])});
    }
    payment.method = methodOf(object);
    payment.handedOver = storedYen(object.value(QStringLiteral("handedOver")));
    payment.paidAt =
        QDateTime::fromString(object.value(QStringLiteral("paidAt")).toString(), Qt::ISODate);
    payment.taxIncluded = object.value(QStringLiteral("taxIncluded")).toBool(true);
    return payment;
}

}  // namespace

QString shampooCaption(Shampoo shampoo) {
    switch (shampoo) {
        case Shampoo::Motikomi:
            return QStringLiteral("持込み");
        case Shampoo::Regyura:
            return QStringLiteral("レギュラー");
        case Shampoo::Sonota:
            break;
    }
    return QStringLiteral("その他");
}

QString extraCaption(Extra extra) {
    return extra == Extra::HigeCut ? QStringLiteral("ヒゲカット") : QStringLiteral("爪切り");
}

QString methodCaption(Method method) {
    switch (method) {
        case Method::Genkin:
            return QStringLiteral("現金");
        case Method::Card:
            return QStringLiteral("カード");
        case Method::DenshiMoney:
            return QStringLiteral("電子マネー");
        case Method::Sonota:
            break;
    }
    return QStringLiteral("その他");
}

TaxedTotal taxedTotal(qint64 sum, bool taxIncluded) {
    // Integer division rounds toward zero; the sums here are never negative.
    if (taxIncluded) {
        return {sum * TaxPercent / (100 + TaxPercent), sum};
    }
    const qint64 tax = sum * TaxPercent / 100;
    return {tax, sum + tax};
}

bool isRegistrationNumber(const QString& text) {
    static const QRegularExpression Pattern(QStringLiteral("^T[0-9]{13}$"));
    return Pattern.match(text).hasMatch();
}

qint64 PriceSettings::priceOf(booking::Style style, booking::Kind kind) const {
    return prices[static_cast<std::size_t>(style)][static_cast<std::size_t>(kind)];
}

QList<BillLine> PriceSettings::serviceLines(const QByteArray& reservationLine) const {
    const Booking booking(reservationLine);
    const booking::Style style = booking::styleOf(booking.style());
    const booking::Kind kind = booking::kindOf(booking.shu());
    QList<BillLine> lines{
        {booking::styleCaption(style) + QStringLiteral("・") + booking::kindCaption(kind),
         priceOf(style, kind)}};
    if (const QString shamp = sjis::toUnicode(booking.shamp()).trimmed(); !shamp.isEmpty()) {
        const Shampoo shampoo =
            choiceCaptioned(shamp, AllShampoos, shampooCaption).value_or(Shampoo::Sonota);
        lines.append(
            {QStringLiteral("シャンプー（%1）").arg(shampooCaption(shampoo)), priceOf(shampoo)});
    }
    const std::array<QByteArray, AllExtras.size()> extras{booking.higeCut(), booking.tumekiri()};
    for (const Extra extra : AllExtras) {
        if (!extras[static_cast<std::size_t>(extra)].trimmed().isEmpty()) {
            lines.append({extraCaption(extra), priceOf(extra)});
        }
    }
    return lines;
}

qint64 PriceSettings::usualPriceOf(const QByteArray& reservationLine) const {
    qint64 sum = 0;
    for (const BillLine& line : serviceLines(reservationLine)) {
        sum += line.yen;
    }
    return sum;
}

PriceSettings PriceSettings::fromBytes(const std::optional<QByteArray>& bytes) {
    PriceSettings settings;
    if (!bytes) {
        return settings;
    }
    const QJsonObject object = QJsonDocument::fromJson(*bytes).object();
    const QJsonArray rows = object.value(QStringLiteral("prices")).toArray();
    for (std::size_t style = 0; style < booking::AllStyles.size(); ++style) {
        readYen(rows.at(static_cast<qsizetype>(style)).toArray(), settings.prices[style]);
    }
    readYen(object.value(QStringLiteral("extras")).toArray(), settings.extraPrices);
    readYen(object.value(QStringLiteral("shampoos")).toArray(), settings.shampooPrices);
    settings.salonName = object.value(QStringLiteral("salonName")).toString();
    settings.address = object.value(QStringLiteral("address")).toString();
    settings.telephone = object.value(QStringLiteral("telephone")).toString();
    if (const QString number = object.value(QStringLiteral("registrationNumber")).toString();
        isRegistrationNumber(number)) {
        settings.registrationNumber = number;
    }
    settings.taxIncluded = object.value(QStringLiteral("taxIncluded")).toBool(true);
    return settings;
}

QByteArray PriceSettings::toBytes() const {
    QJsonArray rows;
    for (const auto& row : prices) {
        rows.append(yenArray(row));
    }
    return QJsonDocument(QJsonObject{{QStringLiteral("prices"), rows},
                                     {QStringLiteral("extras"), yenArray(extraPrices)},
                                     {QStringLiteral("shampoos"), yenArray(shampooPrices)},
                                     {QStringLiteral("salonName"), salonName},
                                     {QStringLiteral("address"), address},
                                     {QStringLiteral("telephone"), telephone},
                                     {QStringLiteral("registrationNumber"), registrationNumber},
                                     {QStringLiteral("taxIncluded"), taxIncluded}})
        .toJson(QJsonDocument::Compact);
}

std::optional<qint64> ownPriceOf(const LineDetails& details) {
    if (const QJsonValue price = details.value(PriceKey); price.isDouble()) {
        return std::max<qint64>(0, storedYen(price));
    }
    return std::nullopt;
}

LineDetails withOwnPrice(LineDetails details, std::optional<qint64> price) {
    if (price) {
        details.insert(PriceKey, *price);
    } else {
        details.remove(PriceKey);
    }
    return details;
}

QList<BillLine> billOf(const QByteArray& reservationLine, const LineDetails& details,
                       const PriceSettings& settings) {
    QList<BillLine> lines = settings.serviceLines(reservationLine);
    const std::optional<qint64> own = ownPriceOf(details);
    if (!own) {
        return lines;
    }
    // The booking's own price is for the whole groom: its choices named on one line.
    QStringList names;
    for (const BillLine& line : lines) {
        names.append(line.name);
    }
    return {{names.join(QStringLiteral("、")), *own}};
}

qint64 Payment::sum() const {
    qint64 sum = 0;
    for (const BillLine& line : lines) {
        sum += line.yen;
    }
    return sum;
}

Payments Payments::of(const LineDetails& details) {
    Payments payments;
    for (const QJsonValue version : details.value(PaymentsKey).toArray()) {
        payments.versions.append(paymentOf(version.toObject()));
    }
    return payments;
}

LineDetails Payments::withAdded(const LineDetails& details, const Payment& payment) {
    LineDetails added = details;
    QJsonArray versions = details.value(PaymentsKey).toArray();
    versions.append(paymentJson(payment));
    added.insert(PaymentsKey, versions);
    return added;
}

Takings takingsBetween(const RecordLists& lists, const QDate& first, const QDate& last) {
    const QList<qsizetype> positions =
        lists.yoyakuIndex().bookedBetween(first, last, clock_source::now().date());
    const QHash<qsizetype, LineDetails> details = lists.detailsAt(RecordFile::Yoyaku, positions);
    Takings takings;
    for (auto found = details.begin(); found != details.end(); ++found) {
        const booking::Status status = booking::BookingDetails::of(found.value()).status;
        takings.noShows += status == booking::Status::MudanCancel ? 1 : 0;
        takings.lateCancellations += status == booking::Status::TouzitsuCancel ? 1 : 0;
        // Only the current version counts; the earlier ones are not read.
        const QJsonArray versions = found.value().value(PaymentsKey).toArray();
        if (versions.isEmpty()) {
            continue;
        }
        const QJsonObject current = versions.last().toObject();
        qint64 sum = 0;
        for (const QJsonValue line : current.value(QStringLiteral("lines")).toArray()) {
            sum += storedYen(line[QStringLiteral("yen")]);
        }
        const TaxedTotal taxed =
            taxedTotal(sum, current.value(QStringLiteral("taxIncluded")).toBool(true));
        ++takings.paidVisits;
        takings.total += taxed.total;
        takings.tax += taxed.tax;
        takings.byMethod[static_cast<std::size_t>(methodOf(current))] += taxed.total;
        const Booking booking(lists.lines(RecordFile::Yoyaku).at(found.key()));
        takings.byStyle[static_cast<std::size_t>(booking::styleOf(booking.style()))] += taxed.total;
    }
    return takings;
}

QList<QStringList> takingsRows(const Takings& takings) {
    const auto counted = [](const QString& caption, int count) {
        return QStringList{caption, QString::number(count), QString()};
    };
    const auto summed = [](const QString& caption, qint64 yen) {
        return QStringList{caption, QString(), yenText(yen)};
    };
    QList<QStringList> rows{
        {QStringLiteral("項目"), QStringLiteral("件数"), QStringLiteral("金額")},
        {QStringLiteral("会計済みの来店"), QString::number(takings.paidVisits),
         yenText(takings.total)},
        summed(QStringLiteral("うち消費税（%1%）").arg(TaxPercent), takings.tax)};
    for (const Method method : AllMethods) {
        rows.append(summed(methodCaption(method), takings.totalOf(method)));
    }
    for (const booking::Style style : booking::AllStyles) {
        rows.append(summed(booking::styleCaption(style), takings.totalOf(style)));
    }
    rows.append(counted(booking::statusCaption(booking::Status::MudanCancel), takings.noShows));
    rows.append(counted(booking::statusCaption(booking::Status::TouzitsuCancel),
                        takings.lateCancellations));
    return rows;
}

QString yenText(qint64 yen) {
    QString digits = QString::number(yen < 0 ? -yen : yen);
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3) {
        digits.insert(at, QLatin1Char(','));
    }
    return yen < 0 ? QLatin1Char('-') + digits : digits;
}

QString yenSign(qint64 yen) {
    return QStringLiteral("¥") + yenText(yen);
}

std::optional<qint64> yenOf(const QString& text) {
    QString digits = text.trimmed();
    digits.remove(QLatin1Char(','));
    if (digits.startsWith(QChar(u'¥')) || digits.startsWith(QChar(u'￥'))) {
        digits.remove(0, 1);
    }
    static const QRegularExpression Whole(QStringLiteral("^-?[0-9]{1,7}$"));
    if (!Whole.match(digits).hasMatch()) {
        return std::nullopt;
    }
    return digits.toLongLong();
}

}  // namespace records::kaikei
