#pragma once

#include <QString>

class QTableWidget;
class QWidget;

namespace salon {

// A table with a row for each style and a column for each kind, as the reservation dialog offers
// them, its columns sharing the width: the usual minutes and the prices are laid out alike.
QTableWidget* styleKindGrid(QWidget* parent, const QString& objectName);

}  // namespace salon
