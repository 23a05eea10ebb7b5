#include "records/BookingDetails.h"

#include "records/RecordFormat.h"
#include "records/RecordViews.h"
#include "records/ReservationRecord.h"
#include "records/Sjis.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace records::booking {
namespace {

const QString GroomerKey = QStringLiteral("groomer");
const QString MinutesKey = QStringLiteral("minutes");
const QString StatusKey = QStringLiteral("status");

// Stored by caption, so that the store reads the same whatever order the list is shown in.
std::optional<Status> statusNamed(const QString& caption) {
    for (const Status status : AllStatuses) {
        if (statusCaption(status) == caption) {
            return status;
        }
    }
    return std::nullopt;
}

}  // namespace

QString statusCaption(Status status) {
    switch (status) {
        case Status::Yoyaku:
            return QStringLiteral("予約");
        case Status::Kakuninzumi:
            return QStringLiteral("確認済");
        case Status::Raiten:
            return QStringLiteral("来店");
        case Status::Kanryou:
            return QStringLiteral("完了");
        case Status::Cancel:
            return QStringLiteral("キャンセル");
        case Status::TouzitsuCancel:
            return QStringLiteral("当日キャンセル");
        case Status::MudanCancel:
            return QStringLiteral("無断キャンセル");
    }
    return {};
}

bool isCancelled(Status status) {
    return status == Status::Cancel || status == Status::TouzitsuCancel ||
           status == Status::MudanCancel;
}

BookingDetails BookingDetails::of(const LineDetails& details) {
    BookingDetails booking;
    booking.groomer = details.value(GroomerKey).toString();
    if (const QJsonValue minutes = details.value(MinutesKey); minutes.isDouble()) {
        booking.minutes = std::clamp(minutes.toInt(), LeastMinutes, MostMinutes);
    }
    booking.status = statusNamed(details.value(StatusKey).toString()).value_or(Status::Yoyaku);
    return booking;
}

LineDetails BookingDetails::into(LineDetails details) const {
    // Values that say nothing beyond the defaults are left out, so that a booking set back to
    // them has no details at all.
    const auto put = [&details](const QString& key, const QJsonValue& value, bool isDefault) {
        if (isDefault) {
            details.remove(key);
        } else {
            details.insert(key, value);
        }
    };
    put(GroomerKey, groomer, groomer.isEmpty());
    put(MinutesKey, minutes.value_or(0), !minutes);
    put(StatusKey, statusCaption(status), status == Status::Yoyaku);
    return details;
}

QString styleCaption(Style style) {
    switch (style) {
        case Style::Barikan:
            return QStringLiteral("バリカン");
        case Style::Poodle:
            return QStringLiteral("プードル");
        case Style::Monpe:
            return QStringLiteral("モンペ");
        case Style::Sonota:
            break;
    }
    return QStringLiteral("その他");
}

QString kindCaption(Kind kind) {
    switch (kind) {
        case Kind::Dog:
            return QStringLiteral("犬");
        case Kind::Cat:
            return QStringLiteral("猫");
        case Kind::Sonota:
            break;
    }
    return QStringLiteral("その他");
}

namespace {

template <typename Choice, std::size_t Count>
Choice choiceOf(QByteArrayView field, const std::array<Choice, Count>& choices,
                QString (*caption)(Choice), Choice fallback) {
    const QString text = sjis::toUnicode(field.toByteArray());
    for (const Choice choice : choices) {
        if (choice != fallback && caption(choice) == text) {
            return choice;
        }
    }
    return fallback;
}

}  // namespace

Style styleOf(QByteArrayView styleField) {
    return choiceOf(styleField, AllStyles, styleCaption, Style::Sonota);
}

Kind kindOf(QByteArrayView shuField) {
    return choiceOf(shuField, AllKinds, kindCaption, Kind::Sonota);
}

int SalonSettings::usualMinutesOf(Style style, Kind kind) const {
    return usualMinutes[static_cast<std::size_t>(style)][static_cast<std::size_t>(kind)];
}

int SalonSettings::minutesOf(const QByteArray& line, const BookingDetails& details) const {
    return details.minutes ? *details.minutes : minutesOf(records::Booking(line), details);
}

int SalonSettings::minutesOf(const records::Booking& booking, const BookingDetails& details) const {
    if (details.minutes) {
        return *details.minutes;
    }
    return usualMinutesOf(styleOf(booking.style()), kindOf(booking.shu()));
}

SalonSettings SalonSettings::fromBytes(const std::optional<QByteArray>& bytes) {
    SalonSettings settings;
    if (!bytes) {
        return settings;
    }
    const QJsonObject object = QJsonDocument::fromJson(*bytes).object();
    for (const QJsonValue groomer : object.value(QStringLiteral("groomers")).toArray()) {
        if (!groomer.toString().isEmpty()) {
            settings.groomers.append(groomer.toString());
        }
    }
    const QJsonArray rows = object.value(QStringLiteral("usualMinutes")).toArray();
    for (std::size_t style = 0; style < AllStyles.size(); ++style) {
        const QJsonArray row = rows.at(static_cast<qsizetype>(style)).toArray();
        for (std::size_t kind = 0; kind < AllKinds.size(); ++kind) {
            const QJsonValue minutes = row.at(static_cast<qsizetype>(kind));
            if (minutes.isDouble()) {
                settings.usualMinutes[style][kind] =
                    std::clamp(minutes.toInt(), LeastMinutes, MostMinutes);
            }
        }
    }
    return settings;
}

QByteArray SalonSettings::toBytes() const {
    QJsonArray rows;
    for (const auto& row : usualMinutes) {
        QJsonArray minutes;
        for (const int value : row) {
            minutes.append(value);
        }
        rows.append(minutes);
    }
    return QJsonDocument(
               QJsonObject{{QStringLiteral("groomers"), QJsonArray::fromStringList(groomers)},
                           {QStringLiteral("usualMinutes"), rows}})
        .toJson(QJsonDocument::Compact);
}

}  // namespace records::booking
