#include "reservation/KarteWarning.h"

#include "records/Clock.h"
#include "records/KarteLookup.h"
#include "widgets/MessageBox.h"

#include <QStringList>

namespace reservation {

bool karteAccepted(QWidget* owner, const records::RecordLists& lists,
                   const QList<records::RecordIntent>& intents) {
    if (intents.isEmpty()) {
        return true;
    }
    const std::optional<records::karte::BookingCheck> check = records::karte::checkOfBooking(
        lists, intents.last().line, records::clock_source::now().date());
    if (!check || check->isEmpty()) {
        return true;
    }
    const QString text =
        QStringLiteral(
            "このペットのカルテに確認することがあります。\n\n・%1\n\nこのまま保存しますか？")
            .arg(check->lines().join(QStringLiteral("\n・")));
    return widgets::showMessage(owner, QMessageBox::Question, KarteCaption, text,
                                QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

}  // namespace reservation
