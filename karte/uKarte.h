#pragma once

#include "records/Karte.h"
#include "records/RecordLists.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QDialog>

#include <array>

class QCheckBox;
class QPlainTextEdit;
class QPushButton;
class QVBoxLayout;

namespace karte {
class VaccinationEditor;
}
namespace photos {
class ShashinPanel;
}

// The カルテ of the pet of one customer line: what the groomer must know before the pet is on
// the table, and the photos of its visits. OK keeps it in the store with the customer line and
// the photos with their bookings; the record files are not written. キャンセル forgets both.
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
    void reject() override;

private:
    void buildControls();
    QWidget* flagsSection();
    QWidget* memoSection();
    void fill(const records::karte::Karte& karte);
    // Writes the カルテ into the store; false when the customer line is no longer in the file.
    bool save();

    records::RecordLists& lists_;
    qsizetype position_;
    QByteArray line_;

    QVBoxLayout* sections_;
    std::array<QCheckBox*, records::karte::AllFlags.size()> flagBoxes_{};
    QPlainTextEdit* memoKarte;
    karte::VaccinationEditor* vaccinations_;
    photos::ShashinPanel* photos_;
    QPushButton* btnKarteOK;
    QPushButton* btnKarteCancel;
};

namespace karte {

inline const QString KarteCaption = QStringLiteral("カルテ");

// Where the customer line `line`, seen at `position`, stands in `customers` now (the first
// equal line when it moved); -1 when it is gone.
qsizetype positionNow(const QByteArrayList& customers, qsizetype position, const QByteArray& line);

// Shows the カルテ of the customer line `line`, seen at `position` of the customer list, modally
// over `owner`; true when OK kept it. A line gone meanwhile is told instead.
bool runKarte(QWidget* owner, records::RecordLists& lists, qsizetype position,
              const QByteArray& line);

}  // namespace karte
