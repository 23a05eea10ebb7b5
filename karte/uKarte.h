#pragma once

#include "records/Karte.h"
#include "records/RecordLists.h"

#include <QByteArray>
#include <QDialog>

#include <array>

class QCheckBox;
class QPlainTextEdit;
class QPushButton;
class QVBoxLayout;

namespace karte {
class VaccinationEditor;
}

// The カルテ of the pet of one customer line: what the groomer must know before the pet is on
// the table. OK keeps it in the store with the customer line; the record file is not written.
class TfmKarte : public QDialog {
    Q_OBJECT
public:
    // The customer line at `position` of the customer list, whose bytes are `line`.
    TfmKarte(QWidget* owner, records::RecordLists& lists, qsizetype position, QByteArray line);

    // The カルテ as shown.
    records::karte::Karte karte() const;

    // The window's sections stand one below the other above OK and キャンセル; this adds one
    // at the bottom of them.
    void addSection(QWidget* section);

    void accept() override;

private:
    void buildControls();
    QWidget* flagsSection();
    QWidget* memoSection();
    void fill(const records::karte::Karte& karte);
    // Writes the カルテ into the store; false when the customer line is no longer in the file.
    bool save();
    // Where the customer line stands in the list now, -1 when it is gone.
    qsizetype currentPosition() const;

    records::RecordLists& lists_;
    qsizetype position_;
    QByteArray line_;

    QVBoxLayout* sections_;
    std::array<QCheckBox*, records::karte::AllFlags.size()> flagBoxes_{};
    QPlainTextEdit* memoKarte;
    karte::VaccinationEditor* vaccinations_;
    QPushButton* btnKarteOK;
    QPushButton* btnKarteCancel;
};

namespace karte {

inline const QString KarteCaption = QStringLiteral("カルテ");

// Shows the カルテ of customer line `position` of the customer list modally over `owner`;
// true when OK kept it.
bool runKarte(QWidget* owner, records::RecordLists& lists, qsizetype position);

}  // namespace karte
