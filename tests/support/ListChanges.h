#pragma once

#include "records/RecordLists.h"

#include <QByteArrayList>

namespace testing_support {

// Makes `file`'s list `lines` through the owner's intents, the way the dialogs change it: the
// lines `lines` lacks are removed where they stand, the lines at its end beyond them are added.
// `lines` must be the list less some lines plus some at its end.
void changeListTo(records::RecordLists& lists, records::RecordFile file,
                  const QByteArrayList& lines);

}  // namespace testing_support
