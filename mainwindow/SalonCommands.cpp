#include "mainwindow/SalonCommands.h"

#include "salon/uSalonSettei.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace mainwindow {

QMenu* addSalonMenu(QMenuBar& bar, QWidget& window, records::RecordLists& lists) {
    QMenu* menu = bar.addMenu(QStringLiteral("サロン(&S)"));
    menu->setObjectName(QStringLiteral("MenuSalon"));
    auto* settei = new QAction(QStringLiteral("サロンの設定...(&S)"), &window);
    settei->setObjectName(QStringLiteral("actSalonSettei"));
    settei->setToolTip(salon::SalonSetteiCaption);
    settei->setStatusTip(salon::SalonSetteiCaption);
    QObject::connect(settei, &QAction::triggered, &window,
                     [&window, &lists] { salon::runSalonSettei(&window, lists); });
    menu->addAction(settei);
    return menu;
}

}  // namespace mainwindow
