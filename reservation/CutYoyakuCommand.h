#pragma once

#include "records/RecordLists.h"
#include "records/VisitHistory.h"

#include <QPoint>
#include <QString>
#include <optional>

class QWidget;

namespace reservation {

// Runs the reservation dialog for the weekly table's cell (column, row) when the table has the
// keyboard focus, otherwise for now; writes the reservation file and YoyakuList to match what
// the user did. A booking or an update that cannot be written is reported and the dialog opens
// again as it was; throws FileError when the file cannot be written after a cancel.
void runCutYoyaku(QWidget* owner, records::RecordLists& lists,
                  std::optional<QPoint> focusedTableCell);  // QPoint(x = column, y = row)
// The same for booking a pet's next visit: the dialog opens with its slot, customer and services
// preset (TfmCutYoyaku::YoyakuEditNextVisit). False when the dialog was left without a booking
// or an update.
bool runCutYoyaku(QWidget* owner, records::RecordLists& lists,
                  const records::history::NextVisit& next);

}  // namespace reservation
