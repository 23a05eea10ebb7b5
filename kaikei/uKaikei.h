#pragma once

#include "kaikei/KaikeiOutputs.h"
#include "records/Kaikei.h"
#include "records/RecordLists.h"

#include <QDialog>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace widgets {
class YenEdit;
}

// The payment of one booking at the desk: the lines of its bill (its services at their prices,
// and whatever else was sold), how it was paid, and the receipt. A booking paid before shows its
// current payment; recording it again keeps the earlier one as it was.
class TfmKaikei : public QDialog {
    Q_OBJECT
public:
    TfmKaikei(QWidget* owner, records::RecordLists& lists, qsizetype position,
              kaikei::Outputs outputs);

    // Records the payment as shown and sets the booking 完了, in one write of the store.
    void accept() override;

private:
    void buildControls();
    void fill();
    void addLine(const records::kaikei::BillLine& line);
    void btnMeisaiAddClick();
    void btnMeisaiDeleteClick();
    // The totals, the change and the buttons as the lines and the payment now stand.
    void showTotals();
    records::kaikei::Method method() const;
    // The payment as shown, handed over as typed (the total when not paid in cash).
    records::kaikei::Payment payment() const;
    records::kaikei::Receipt receipt() const;
    void previewReceipt();
    void saveReceipt();

    records::RecordLists& lists_;
    qsizetype position_;
    QByteArray line_;
    kaikei::Outputs outputs_;
    records::kaikei::PriceSettings prices_;
    records::kaikei::Payments payments_;
    bool taxIncluded_ = true;

    QLabel* lbKaikeiYoyaku;
    QLabel* lbKaikeiRireki;
    QTreeWidget* ListViewKaikeiMeisai;
    QLineEdit* edtMeisaiNaiyou;
    widgets::YenEdit* edtMeisaiKingaku;
    QPushButton* btnMeisaiAdd;
    QPushButton* btnMeisaiDelete;
    QLabel* lbKaikeiGoukei;
    QComboBox* cbShiharai;
    widgets::YenEdit* edtAzukari;
    QLabel* lbOturi;
    QComboBox* cbYoushi;
    QPushButton* btnRyoushuusho;
    QAction* actRyoushuushoPreview;
    QAction* actRyoushuushoPdf;
    QPushButton* btnKaikeiKakutei;
    QPushButton* btnKaikeiCancel;
};

namespace kaikei {

inline const QString KaikeiCaption = QStringLiteral("会計");

// Shows the payment of the booking at `position` in the reservation list modally over `owner`.
// Nothing happens for a position outside the list. A store that cannot be written is reported.
void runKaikei(QWidget* owner, records::RecordLists& lists, qsizetype position,
               const Outputs& outputs);

}  // namespace kaikei
