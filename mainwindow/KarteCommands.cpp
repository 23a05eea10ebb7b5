#include "mainwindow/KarteCommands.h"

#include "karte/uKarte.h"
#include "records/RecordViews.h"
#include "widgets/Appearance.h"
#include "widgets/ErrorGuard.h"
#include "widgets/MessageBox.h"

#include <QAction>

namespace mainwindow {

KarteCommands::KarteCommands(QWidget& window, records::RecordLists& lists,
                             SelectedCustomer selected, Run run)
    : QObject(&window),
      actKarte(new QAction(QStringLiteral("カルテ..."), &window)),
      window_(window),
      lists_(lists),
      selected_(std::move(selected)) {
    actKarte->setObjectName(QStringLiteral("actKarte"));
    actKarte->setToolTip(karte::KarteCaption);
    actKarte->setStatusTip(karte::KarteCaption);
    connect(actKarte, &QAction::triggered, this,
            [this, run = std::move(run)] { run([this] { openSelected(); }); });
}

void KarteCommands::openSelected() {
    const std::optional<qsizetype> position = selected_();
    if (!position) {
        widgets::showMessage(&window_, QMessageBox::Information, karte::KarteCaption,
                             QStringLiteral("カルテを開くお客様を、お客様一覧で選んでください。"));
        return;
    }
    openForCustomer(&window_, *position, lists_.lines(records::RecordFile::User).at(*position));
}

void KarteCommands::openForCustomer(QWidget* over, qsizetype position, const QByteArray& line) {
    widgets::runGuarded(over, [&] { karte::runKarte(over, lists_, position, line); });
}

void KarteCommands::openForBooking(QWidget* over, const QByteArray& reservationLine) {
    const QList<qsizetype> customers = records::karte::customersOfBooking(
        lists_.lines(records::RecordFile::User), reservationLine);
    if (customers.isEmpty()) {
        const records::Booking booking(reservationLine);
        widgets::showMessage(
            over, QMessageBox::Information, karte::KarteCaption,
            QStringLiteral("この予約のお客様 (%1 / %2) はお客様一覧に登録されていません。\n"
                           "カルテは、お客様を登録すると開けるようになります。")
                .arg(booking.shownText(records::reservation_record::PetName),
                     booking.shownText(records::reservation_record::Shimei))
                .left(widgets::LongestShownLine));
        return;
    }
    openForCustomer(over, customers.first(),
                    lists_.lines(records::RecordFile::User).at(customers.first()));
}

}  // namespace mainwindow
