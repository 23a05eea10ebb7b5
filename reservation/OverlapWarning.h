#pragma once

#include "records/RecordLists.h"

#include <QList>

class QWidget;

namespace reservation {

inline const QString OverlapCaption = QStringLiteral("予約の重なり");

// What OK in the reservation dialog asks for, its last intent being the booking: when that booking
// shares its time with more bookings than the salon has groomers, asks whether to keep it so.
// True when it is to be written: the answer was yes, or there was nothing to warn of.
bool overlapAccepted(QWidget* owner, const records::RecordLists& lists,
                     const QList<records::RecordIntent>& intents);

}  // namespace reservation
