#pragma once

#include "records/DetailStore.h"

#include <QByteArrayList>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace records {
class Booking;
}

// What the salon's day needs to know of a booking beyond its line, kept in the store: who grooms
// it, how long it takes and what became of it; and the salon's settings those rest on.
namespace records::booking {

// What became of a booking, in the order the details window lists them.
enum class Status { Yoyaku, Kakuninzumi, Raiten, Kanryou, Cancel, TouzitsuCancel, MudanCancel };
inline constexpr std::array AllStatuses{
    Status::Yoyaku, Status::Kakuninzumi,    Status::Raiten,     Status::Kanryou,
    Status::Cancel, Status::TouzitsuCancel, Status::MudanCancel};
// 予約, 確認済, 来店, 完了, キャンセル, 当日キャンセル, 無断キャンセル.
QString statusCaption(Status status);
// The three cancellations: kept in the book, but no longer taking a groomer's time.
bool isCancelled(Status status);

// The caption every groomer column and choice shows for a booking nobody was given yet.
inline const QString UndecidedGroomer = QStringLiteral("未定");

// A booking's details. A booking without any reads as booked, undecided, and lasting the usual
// time of its style and kind.
struct BookingDetails {
    QString groomer;             // empty: undecided
    std::optional<int> minutes;  // empty: the usual time of its style and kind
    Status status = Status::Yoyaku;

    static BookingDetails of(const LineDetails& details);
    // `details` with these values in, every other feature's values kept.
    LineDetails into(LineDetails details) const;
    friend bool operator==(const BookingDetails&, const BookingDetails&) = default;
};
inline constexpr int LeastMinutes = 5;
inline constexpr int MostMinutes = 600;

// The style and kind rows and columns of the usual times, as the reservation dialog offers them;
// a stored value it does not offer counts as その他, as the dialog shows it.
enum class Style { Barikan, Poodle, Monpe, Sonota };
enum class Kind { Dog, Cat, Sonota };
inline constexpr std::array AllStyles{Style::Barikan, Style::Poodle, Style::Monpe, Style::Sonota};
inline constexpr std::array AllKinds{Kind::Dog, Kind::Cat, Kind::Sonota};
QString styleCaption(Style style);  // バリカン, プードル, モンペ, その他
QString kindCaption(Kind kind);     // 犬, 猫, その他
// From the Shift-JIS bytes of a reservation line's Style and Shu fields.
Style styleOf(QByteArrayView styleField);
Kind kindOf(QByteArrayView shuField);

// The salon's own settings: its groomers and the usual time of each style by kind.
struct SalonSettings {
    static constexpr int DefaultMinutes = 60;
    static inline const QString SettingName = QStringLiteral("salon");

    QStringList groomers;
    std::array<std::array<int, AllKinds.size()>, AllStyles.size()> usualMinutes = [] {
        std::array<std::array<int, AllKinds.size()>, AllStyles.size()> minutes{};
        for (auto& row : minutes) {
            row.fill(DefaultMinutes);
        }
        return minutes;
    }();

    int usualMinutesOf(Style style, Kind kind) const;
    // How long the booking of `line` takes: its own time, else the usual one of its style and kind.
    int minutesOf(const QByteArray& line, const BookingDetails& details) const;
    // The same for a line already read as a booking.
    int minutesOf(const records::Booking& booking, const BookingDetails& details) const;

    // As the store keeps them (JSON); settings never written read as the defaults.
    static SalonSettings fromBytes(const std::optional<QByteArray>& bytes);
    QByteArray toBytes() const;
    friend bool operator==(const SalonSettings&, const SalonSettings&) = default;
};

}  // namespace records::booking
