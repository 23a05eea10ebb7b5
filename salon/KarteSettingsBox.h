#pragma once

#include "records/Karte.h"

#include <QGroupBox>

#include <array>

class QCheckBox;
class QSpinBox;

namespace salon {

// The salon's カルテ settings: which vaccinations it requires, and how many days after a shot
// a booking is asked about.
class KarteSettingsBox : public QGroupBox {
    Q_OBJECT
public:
    explicit KarteSettingsBox(QWidget* parent = nullptr);

    void fill(const records::karte::KarteSettings& settings);
    records::karte::KarteSettings settings() const;

private:
    // One per kind, in the order of AllVaccineKinds.
    std::array<QCheckBox*, records::karte::AllVaccineKinds.size()> required_{};
    QSpinBox* spSesshuGoNissu;
};

}  // namespace salon
