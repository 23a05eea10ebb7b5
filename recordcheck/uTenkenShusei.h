#pragma once

#include "records/ReservationChecks.h"

#include <QByteArray>
#include <QDate>
#include <QDialog>
#include <QString>

class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QSpinBox;

// Asks for the date, hour and minute one reservation line is to have. Only a real date, an hour
// of the weekly table and a minute 00 to 59 can be chosen, so the line is one the table shows.
class TfmTenkenShusei : public QDialog {
    Q_OBJECT
public:
    // Starts from what of the line's date, hour and minute can be read, else today, the first
    // hour of the table and minute 00.
    TfmTenkenShusei(QWidget* owner, const QByteArray& line, const QDate& today);

    // As stored: four-digit year, two-digit month, day, hour and minute.
    records::reservation_record::SlotTexts chosenSlot() const;

private:
    void buildControls(const QString& shownLine);
    void showSlotOf(const QByteArray& line, const QDate& today);

    QLabel* lbShuseiNaiyou;
    QDateEdit* edtShuseiHiduke;
    QComboBox* cbShuseiJikan;
    QSpinBox* edtShuseiHun;
    QPushButton* btnShuseiOk;
    QPushButton* btnShuseiCancel;
};

namespace recordcheck {

// A reservation line as the check shows it: its fields that are not empty, marks removed.
QString shownLine(const QByteArray& line);

}  // namespace recordcheck
