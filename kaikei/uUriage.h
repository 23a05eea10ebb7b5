#pragma once

#include "kaikei/KaikeiOutputs.h"
#include "records/Kaikei.h"
#include "records/RecordLists.h"

#include <QDate>
#include <QWidget>

class QComboBox;
class QDateEdit;
class QPushButton;
class QTreeWidget;

// The takings of a day or a month: paid visits and their total, by payment method and by style,
// the tax, and the no-shows and late cancellations. It stays open and follows every change of
// the bookings and their details.
class TfmUriage : public QWidget {
    Q_OBJECT
public:
    TfmUriage(records::RecordLists& lists, kaikei::Outputs outputs, QWidget* owner);

    enum class Span { Day, Month };
    void showPeriod(Span span, const QDate& day);
    // "2026年12月09日" or "2026年12月".
    QString periodCaption() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    Span span() const;
    // The first and last day shown.
    std::pair<QDate, QDate> period() const;
    void refresh();
    void btnUriageCsvClick();
    void btnUriageInsatsuClick();

    records::RecordLists& lists_;
    kaikei::Outputs outputs_;
    records::kaikei::Takings takings_;

    QComboBox* cbUriageTani;
    QDateEdit* dtUriageKikan;
    QTreeWidget* ListViewUriage;
    QPushButton* btnUriageCsv;
    QPushButton* btnUriageInsatsu;
};

namespace kaikei {

inline const QString UriageCaption = QStringLiteral("売上");

// The takings window of `owner` (made the first time) showing the month of `day`, brought to the
// front.
TfmUriage* showUriage(QWidget* owner, records::RecordLists& lists, const Outputs& outputs,
                      const QDate& day);

}  // namespace kaikei
