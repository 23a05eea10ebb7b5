#pragma once

#include "records/DetailStore.h"
#include "records/RecordLists.h"

#include <QByteArrayList>
#include <QList>

namespace records {

// What a list of intents does to a record list: the lines it leaves, the intents as they were
// made, and how the store's keys of the file move with them.
struct IntentPlan {
    // The list once the intents are made; left empty when `appendsOnly`, where it is the list
    // before with `made`'s one line at its end.
    QByteArrayList lines;
    QList<RecordIntent> made;
    KeyChange keys;
    // A single addition at the end: the file can take it as an append.
    bool appendsOnly = false;
    // An exact match found a line elsewhere than the caller saw it: nothing is to be written.
    bool refused = false;
};

// The plan of `intents` on `before`, each position being one in `before`. The keys are worked
// out only `withKeys`: counting identical lines costs a pass over the list.
IntentPlan planIntents(const QByteArrayList& before, RecordFile file,
                       const QList<RecordIntent>& intents, bool withKeys,
                       IntentMatch match = IntentMatch::ByBytes);

}  // namespace records
