#pragma once

#include "records/Kaikei.h"

#include <QGroupBox>

#include <array>
#include <optional>

class QCheckBox;
class QLineEdit;
class QTableWidget;

namespace widgets {
class YenEdit;
}

namespace salon {

// The salon settings' prices and what the receipts name the salon by: a price for each style by
// kind (laid out as the usual minutes are), what each shampoo and extra service adds, and the
// salon's name, address, telephone number, registration number and whether prices include tax.
class PriceSettingsPanel : public QGroupBox {
    Q_OBJECT
public:
    explicit PriceSettingsPanel(QWidget* parent);

    void fill(const records::kaikei::PriceSettings& prices);
    // The prices as shown; every amount and the registration number are valid once problem()
    // found nothing.
    records::kaikei::PriceSettings prices() const;
    // What is wrong with what was typed, the wrong field given the focus; empty when nothing is.
    QString problem();

private:
    std::optional<qint64> priceAt(int row, int column) const;

    QTableWidget* StringGridRyoukin;
    std::array<widgets::YenEdit*, records::kaikei::AllShampoos.size()> shampooEdits_{};
    std::array<widgets::YenEdit*, records::kaikei::AllExtras.size()> extraEdits_{};
    QLineEdit* edtSalonMei;
    QLineEdit* edtSalonJusho;
    QLineEdit* edtSalonDenwa;
    QLineEdit* edtTourokuBangou;
    QCheckBox* chbZeikomi;
};

}  // namespace salon
