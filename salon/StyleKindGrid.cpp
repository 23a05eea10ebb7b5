#include "salon/StyleKindGrid.h"

#include "records/BookingDetails.h"

#include <QHeaderView>
#include <QStringList>
#include <QTableWidget>

namespace salon {

namespace booking = records::booking;

QTableWidget* styleKindGrid(QWidget* parent, const QString& objectName) {
    auto* grid = new QTableWidget(static_cast<int>(booking::AllStyles.size()),
                                  static_cast<int>(booking::AllKinds.size()), parent);
    grid->setObjectName(objectName);
    QStringList styles;
    for (const booking::Style style : booking::AllStyles) {
        styles.append(booking::styleCaption(style));
    }
    QStringList kinds;
    for (const booking::Kind kind : booking::AllKinds) {
        kinds.append(booking::kindCaption(kind));
    }
    grid->setVerticalHeaderLabels(styles);
    grid->setHorizontalHeaderLabels(kinds);
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    return grid;
}

}  // namespace salon
