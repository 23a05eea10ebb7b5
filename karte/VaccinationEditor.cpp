#include "karte/VaccinationEditor.h"

#include "karte/uKarte.h"
#include "records/Clock.h"
#include "widgets/Appearance.h"
#include "widgets/MessageBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace karte {
namespace {

using records::karte::Vaccination;
using records::karte::VaccineKind;

const QString DateFormat = QStringLiteral("yyyy/MM/dd");

QDateEdit* newDateEdit(QWidget* parent, const char* name) {
    auto* edit = new QDateEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setDisplayFormat(DateFormat);
    edit->setCalendarPopup(true);
    return edit;
}

QStringList rowTexts(const Vaccination& shot) {
    return {records::karte::vaccineCaption(shot.kind), shot.given.toString(DateFormat),
            shot.validUntil.toString(DateFormat),
            shot.certificateSeen ? QStringLiteral("あり") : QStringLiteral("なし")};
}

}  // namespace

VaccinationEditor::VaccinationEditor(QWidget* parent)
    : QGroupBox(QStringLiteral("ワクチン"), parent) {
    setObjectName(QStringLiteral("grpWakuchin"));
    buildControls();
    const QDate today = records::clock_source::now().date();
    dtSesshubi->setDate(today);
    setValidUntil(Vaccination::usualValidUntil(today));
    showChosen();
}

void VaccinationEditor::buildControls() {
    ListViewWakuchin = new QTreeWidget(this);
    ListViewWakuchin->setObjectName(QStringLiteral("ListViewWakuchin"));
    ListViewWakuchin->setRootIsDecorated(false);
    ListViewWakuchin->setItemsExpandable(false);
    ListViewWakuchin->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListViewWakuchin->setHeaderLabels({QStringLiteral("種類"), QStringLiteral("接種日"),
                                       QStringLiteral("有効期限"), QStringLiteral("証明書")});
    ListViewWakuchin->header()->setSectionResizeMode(QHeaderView::Stretch);

    cbWakuchinShurui = new QComboBox(this);
    cbWakuchinShurui->setObjectName(QStringLiteral("cbWakuchinShurui"));
    for (const VaccineKind kind : records::karte::AllVaccineKinds) {
        cbWakuchinShurui->addItem(records::karte::vaccineCaption(kind));
    }
    dtSesshubi = newDateEdit(this, "dtSesshubi");
    dtYuukouKigen = newDateEdit(this, "dtYuukouKigen");
    chbShoumeisho = new QCheckBox(QStringLiteral("証明書あり"), this);
    chbShoumeisho->setObjectName(QStringLiteral("chbShoumeisho"));
    btnWakuchinAdd = widgets::plainButton(this, "btnWakuchinAdd", QStringLiteral("追加"));
    btnWakuchinDelete = widgets::plainButton(this, "btnWakuchinDelete", QStringLiteral("削除"));

    connect(dtSesshubi, &QDateEdit::dateChanged, this, &VaccinationEditor::dtSesshubiChanged);
    // Only the user's own change of the field makes it stop following the date given.
    connect(dtYuukouKigen, &QDateEdit::dateChanged, this, [this] { validUntilFollows_ = false; });
    connect(btnWakuchinAdd, &QPushButton::clicked, this, &VaccinationEditor::btnWakuchinAddClick);
    connect(btnWakuchinDelete, &QPushButton::clicked, this,
            &VaccinationEditor::btnWakuchinDeleteClick);
    connect(ListViewWakuchin, &QTreeWidget::itemSelectionChanged, this,
            &VaccinationEditor::showChosen);

    auto* fields = new QGridLayout;
    fields->addWidget(new QLabel(QStringLiteral("種類"), this), 0, 0);
    fields->addWidget(cbWakuchinShurui, 0, 1);
    fields->addWidget(new QLabel(QStringLiteral("接種日"), this), 0, 2);
    fields->addWidget(dtSesshubi, 0, 3);
    fields->addWidget(new QLabel(QStringLiteral("有効期限"), this), 0, 4);
    fields->addWidget(dtYuukouKigen, 0, 5);
    fields->addWidget(chbShoumeisho, 1, 1);
    fields->addWidget(btnWakuchinAdd, 1, 4);
    fields->addWidget(btnWakuchinDelete, 1, 5);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ListViewWakuchin);
    layout->addLayout(fields);
}

void VaccinationEditor::setVaccinations(const QList<Vaccination>& vaccinations) {
    vaccinations_ = vaccinations;
    std::stable_sort(vaccinations_.begin(), vaccinations_.end(),
                     [](const Vaccination& a, const Vaccination& b) { return a.given > b.given; });
    showList();
}

void VaccinationEditor::showList() {
    ListViewWakuchin->clear();
    for (const Vaccination& shot : vaccinations_) {
        ListViewWakuchin->addTopLevelItem(new QTreeWidgetItem(rowTexts(shot)));
    }
    showChosen();
}

void VaccinationEditor::showChosen() {
    const int row = ListViewWakuchin->currentIndex().row();
    const bool chosen =
        !ListViewWakuchin->selectedItems().isEmpty() && row >= 0 && row < vaccinations_.size();
    btnWakuchinDelete->setEnabled(chosen);
    if (!chosen) {
        return;
    }
    const Vaccination& shot = vaccinations_.at(row);
    cbWakuchinShurui->setCurrentIndex(
        static_cast<int>(std::find(records::karte::AllVaccineKinds.begin(),
                                   records::karte::AllVaccineKinds.end(), shot.kind) -
                         records::karte::AllVaccineKinds.begin()));
    dtSesshubi->setDate(shot.given);
    setValidUntil(shot.validUntil);
    validUntilFollows_ = shot.validUntil == Vaccination::usualValidUntil(shot.given);
    chbShoumeisho->setChecked(shot.certificateSeen);
}

void VaccinationEditor::dtSesshubiChanged() {
    if (validUntilFollows_) {
        setValidUntil(Vaccination::usualValidUntil(dtSesshubi->date()));
    }
}

void VaccinationEditor::setValidUntil(const QDate& date) {
    const QSignalBlocker quiet(dtYuukouKigen);
    dtYuukouKigen->setDate(date);
}

std::optional<Vaccination> VaccinationEditor::shotInFields() {
    Vaccination shot{records::karte::AllVaccineKinds.at(cbWakuchinShurui->currentIndex()),
                     dtSesshubi->date(), dtYuukouKigen->date(), chbShoumeisho->isChecked()};
    QString refusal;
    if (shot.given > records::clock_source::now().date()) {
        refusal =
            QStringLiteral("接種日が今日より後になっています。\n接種した日を入れてください。");
    } else if (shot.validUntil < shot.given) {
        refusal = QStringLiteral(
                      "有効期限 (%1) が接種日 (%2) より前になっています。\n"
                      "証明書の有効期限を入れてください。")
                      .arg(shot.validUntil.toString(DateFormat), shot.given.toString(DateFormat));
    }
    if (!refusal.isEmpty()) {
        widgets::showMessage(this, QMessageBox::Warning, KarteCaption, refusal);
        return std::nullopt;
    }
    return shot;
}

void VaccinationEditor::btnWakuchinAddClick() {
    const std::optional<Vaccination> shot = shotInFields();
    if (!shot) {
        return;
    }
    QList<Vaccination> shots = vaccinations_;
    shots.removeIf([&](const Vaccination& listed) {
        return listed.kind == shot->kind && listed.given == shot->given;
    });
    shots.append(*shot);
    setVaccinations(shots);
    validUntilFollows_ = true;
    chbShoumeisho->setChecked(false);
}

void VaccinationEditor::btnWakuchinDeleteClick() {
    const int row = ListViewWakuchin->currentIndex().row();
    if (row >= 0 && row < vaccinations_.size()) {
        vaccinations_.removeAt(row);
        showList();
    }
}

}  // namespace karte
