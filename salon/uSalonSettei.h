#pragma once

#include "records/BookingDetails.h"
#include "records/Kaikei.h"
#include "records/RecordLists.h"

#include <QDialog>

class QLineEdit;
class QListWidget;
class QPushButton;
class QTableWidget;

namespace salon {
class KarteSettingsBox;
class PriceSettingsPanel;
}  // namespace salon

// The salon's own settings: its groomers, and the usual minutes of each style by kind. A groomer
// taken off the list stays, as a name, on the bookings given to them.
class TfmSalonSettei : public QDialog {
    Q_OBJECT
public:
    TfmSalonSettei(QWidget* owner, const records::booking::SalonSettings& settings);

    // The settings as shown; their minutes are all in range once the dialog was accepted.
    records::booking::SalonSettings settings() const;

    // The prices and the salon's receipt facts, shown and as shown.
    void showPrices(const records::kaikei::PriceSettings& prices);
    records::kaikei::PriceSettings prices() const;

    void accept() override;

    // The カルテ settings, filled and read apart from the others.
    salon::KarteSettingsBox& karteSettings() const { return *grpKarteSettei; }

private:
    void buildControls();
    void fill(const records::booking::SalonSettings& settings);
    void btnTantoushaAddClick();
    void btnTantoushaDeleteClick();
    void showButtonStates();
    // The minutes typed in the grid's cell, or nothing when they are not a number in range.
    std::optional<int> minutesAt(int row, int column) const;

    QListWidget* ListBoxTantousha;
    QLineEdit* edtTantousha;
    QPushButton* btnTantoushaAdd;
    QPushButton* btnTantoushaDelete;
    QTableWidget* StringGridShoyouJikan;
    salon::PriceSettingsPanel* gbRyoukin;
    QPushButton* btnSetteiOK;
    QPushButton* btnSetteiCancel;
    salon::KarteSettingsBox* grpKarteSettei;
};

namespace salon {

inline const QString SalonSetteiCaption = QStringLiteral("サロンの設定");

// Shows the settings modally over `owner` and keeps what OK leaves in the store. A store that
// cannot be written is reported and the dialog opens again as it was.
void runSalonSettei(QWidget* owner, records::RecordLists& lists);

}  // namespace salon
