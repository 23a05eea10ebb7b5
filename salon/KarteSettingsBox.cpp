#include "salon/KarteSettingsBox.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QSpinBox>

namespace salon {
namespace {

namespace karte = records::karte;

// The check boxes' objectNames, in the order of AllVaccineKinds.
constexpr std::array<const char*, karte::AllVaccineKinds.size()> RequiredNames = {
    "chbHissuKyoukenbyou", "chbHissuKongou"};
// What the stored setting keeps (KarteSettings::fromBytes).
constexpr int MostDays = 365;

}  // namespace

KarteSettingsBox::KarteSettingsBox(QWidget* parent) : QGroupBox(QStringLiteral("カルテ"), parent) {
    setObjectName(QStringLiteral("grpKarteSettei"));
    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("必須のワクチン"), this), 0, 0);
    for (std::size_t at = 0; at < karte::AllVaccineKinds.size(); ++at) {
        auto* check = new QCheckBox(karte::vaccineCaption(karte::AllVaccineKinds[at]), this);
        check->setObjectName(QLatin1String(RequiredNames[at]));
        layout->addWidget(check, 0, static_cast<int>(at) + 1);
        required_[at] = check;
    }
    spSesshuGoNissu = new QSpinBox(this);
    spSesshuGoNissu->setObjectName(QStringLiteral("spSesshuGoNissu"));
    spSesshuGoNissu->setRange(0, MostDays);
    spSesshuGoNissu->setSuffix(QStringLiteral(" 日"));
    layout->addWidget(new QLabel(QStringLiteral("接種後に確認する日数"), this), 1, 0);
    layout->addWidget(spSesshuGoNissu, 1, 1);
    layout->setColumnStretch(static_cast<int>(karte::AllVaccineKinds.size()) + 1, 1);
    fill({});
}

void KarteSettingsBox::fill(const karte::KarteSettings& settings) {
    for (std::size_t at = 0; at < karte::AllVaccineKinds.size(); ++at) {
        required_[at]->setChecked(settings.requiredKinds.contains(karte::AllVaccineKinds[at]));
    }
    spSesshuGoNissu->setValue(settings.daysAfterVaccination);
}

karte::KarteSettings KarteSettingsBox::settings() const {
    karte::KarteSettings settings;
    for (std::size_t at = 0; at < karte::AllVaccineKinds.size(); ++at) {
        if (required_[at]->isChecked()) {
            settings.requiredKinds.append(karte::AllVaccineKinds[at]);
        }
    }
    settings.daysAfterVaccination = spSesshuGoNissu->value();
    return settings;
}

}  // namespace salon
