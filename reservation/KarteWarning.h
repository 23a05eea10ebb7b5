#pragma once

#include "records/RecordLists.h"

#include <QList>

class QWidget;

namespace reservation {

inline const QString KarteCaption = QStringLiteral("カルテの確認");

// What OK in the reservation dialog asks for, its last intent being the booking: when the pet
// has a カルテ with something to tell for that day (a shot expired or missing, a groom too soon
// after one, its flags), asks whether to save it so. True when it is to be written: the answer
// was yes, or there was nothing to tell.
bool karteAccepted(QWidget* owner, const records::RecordLists& lists,
                   const QList<records::RecordIntent>& intents);

}  // namespace reservation
