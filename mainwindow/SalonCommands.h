#pragma once

#include "records/RecordLists.h"

class QMenu;
class QMenuBar;
class QWidget;

namespace mainwindow {

// The menu サロン(&S) at the end of `bar`, with the salon's commands; the actions belong to
// `window`.
QMenu* addSalonMenu(QMenuBar& bar, QWidget& window, records::RecordLists& lists);

}  // namespace mainwindow
