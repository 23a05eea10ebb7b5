#pragma once

#include "records/Karte.h"

#include <QGroupBox>
#include <QList>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QPushButton;
class QTreeWidget;

namespace karte {

// The vaccinations of a カルテ: the list, newest shot first, and the fields that add one. A
// shot of a kind and date already listed replaces it, so choosing a row, changing its fields
// and adding it again corrects it.
class VaccinationEditor : public QGroupBox {
    Q_OBJECT
public:
    explicit VaccinationEditor(QWidget* parent = nullptr);

    QList<records::karte::Vaccination> vaccinations() const { return vaccinations_; }
    void setVaccinations(const QList<records::karte::Vaccination>& vaccinations);

private:
    void buildControls();
    void showList();
    void btnWakuchinAddClick();
    void btnWakuchinDeleteClick();
    // The chosen row into the fields.
    void showChosen();
    void dtSesshubiChanged();
    // The shot in the fields, or nothing (after saying why) when it cannot be a shot.
    std::optional<records::karte::Vaccination> shotInFields();
    void setValidUntil(const QDate& date);

    QList<records::karte::Vaccination> vaccinations_;
    // 有効期限 goes with 接種日 (one year later) until the user sets it.
    bool validUntilFollows_ = true;

    QTreeWidget* ListViewWakuchin;
    QComboBox* cbWakuchinShurui;
    QDateEdit* dtSesshubi;
    QDateEdit* dtYuukouKigen;
    QCheckBox* chbShoumeisho;
    QPushButton* btnWakuchinAdd;
    QPushButton* btnWakuchinDelete;
};

}  // namespace karte
