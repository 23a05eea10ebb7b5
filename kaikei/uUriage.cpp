#include "kaikei/uUriage.h"

#include "printing/TakingsSheet.h"
#include "records/Clock.h"
#include "records/CsvExport.h"
#include "widgets/Appearance.h"
#include "widgets/ErrorGuard.h"

#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <utility>

namespace money = records::kaikei;

TfmUriage::TfmUriage(records::RecordLists& lists, kaikei::Outputs outputs, QWidget* owner)
    : QWidget(owner, Qt::Window), lists_(lists), outputs_(std::move(outputs)) {
    setObjectName(QStringLiteral("fmUriage"));
    setWindowTitle(kaikei::UriageCaption);
    widgets::applyFormLook(*this);
    buildControls();
    resize(420, 480);
    connect(&lists_, &records::RecordLists::changed, this,
            [this](const records::RecordChange& change) {
                if (change.file == records::RecordFile::Yoyaku && isVisible()) {
                    refresh();
                }
            });
}

void TfmUriage::buildControls() {
    cbUriageTani = new QComboBox(this);
    cbUriageTani->setObjectName(QStringLiteral("cbUriageTani"));
    cbUriageTani->addItems({QStringLiteral("日"), QStringLiteral("月")});
    cbUriageTani->setCurrentIndex(static_cast<int>(Span::Month));
    dtUriageKikan = new QDateEdit(records::clock_source::now().date(), this);
    dtUriageKikan->setObjectName(QStringLiteral("dtUriageKikan"));
    dtUriageKikan->setCalendarPopup(true);
    ListViewUriage = new QTreeWidget(this);
    ListViewUriage->setObjectName(QStringLiteral("ListViewUriage"));
    ListViewUriage->setRootIsDecorated(false);
    ListViewUriage->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    btnUriageCsv = widgets::plainButton(this, "btnUriageCsv", QStringLiteral("CSV 書き出し..."));
    btnUriageInsatsu = widgets::plainButton(this, "btnUriageInsatsu", QStringLiteral("印刷..."));
    connect(cbUriageTani, &QComboBox::currentIndexChanged, this, &TfmUriage::refresh);
    connect(dtUriageKikan, &QDateEdit::dateChanged, this, &TfmUriage::refresh);
    connect(btnUriageCsv, &QPushButton::clicked, this, &TfmUriage::btnUriageCsvClick);
    connect(btnUriageInsatsu, &QPushButton::clicked, this, &TfmUriage::btnUriageInsatsuClick);

    auto* period = new QHBoxLayout;
    period->addWidget(new QLabel(QStringLiteral("期間"), this));
    period->addWidget(cbUriageTani);
    period->addWidget(dtUriageKikan, 1);
    auto* bar = new QHBoxLayout;
    bar->addStretch();
    bar->addWidget(btnUriageCsv);
    bar->addWidget(btnUriageInsatsu);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(period);
    layout->addWidget(ListViewUriage, 1);
    layout->addLayout(bar);
}

void TfmUriage::showPeriod(Span span, const QDate& day) {
    const QSignalBlocker blockSpan(cbUriageTani);
    const QSignalBlocker blockDay(dtUriageKikan);
    cbUriageTani->setCurrentIndex(static_cast<int>(span));
    dtUriageKikan->setDate(day);
    refresh();
}

TfmUriage::Span TfmUriage::span() const {
    return cbUriageTani->currentIndex() == static_cast<int>(Span::Day) ? Span::Day : Span::Month;
}

std::pair<QDate, QDate> TfmUriage::period() const {
    const QDate day = dtUriageKikan->date();
    if (span() == Span::Day) {
        return {day, day};
    }
    const QDate first(day.year(), day.month(), 1);
    return {first, first.addMonths(1).addDays(-1)};
}

QString TfmUriage::periodCaption() const {
    return dtUriageKikan->date().toString(span() == Span::Day ? QStringLiteral("yyyy年MM月dd日")
                                                              : QStringLiteral("yyyy年MM月"));
}

void TfmUriage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    refresh();
}

void TfmUriage::refresh() {
    dtUriageKikan->setDisplayFormat(span() == Span::Day ? QStringLiteral("yyyy/MM/dd")
                                                        : QStringLiteral("yyyy/MM"));
    widgets::runGuarded(this, [this] {
        const auto [first, last] = period();
        takings_ = money::takingsBetween(lists_, first, last);
        const QList<QStringList> rows = money::takingsRows(takings_);
        ListViewUriage->clear();
        ListViewUriage->setHeaderLabels(rows.first());
        for (qsizetype at = 1; at < rows.size(); ++at) {
            auto* item = new QTreeWidgetItem(ListViewUriage, rows.at(at));
            item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
            item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        }
    });
}

void TfmUriage::btnUriageCsvClick() {
    const QString fileName =
        QStringLiteral("売上_%1.csv")
            .arg(dtUriageKikan->date().toString(span() == Span::Day ? QStringLiteral("yyyy-MM-dd")
                                                                    : QStringLiteral("yyyy-MM")));
    QList<QStringList> rows = money::takingsRows(takings_);
    rows.insert(1, {QStringLiteral("期間"), periodCaption(), QString()});
    widgets::runGuarded(this, [&] {
        outputs_.save(this, QStringLiteral("売上の書き出し"), fileName,
                      QStringLiteral("CSV (*.csv)"),
                      [&rows] { return records::csv::tableCsv(rows); });
    });
}

void TfmUriage::btnUriageInsatsuClick() {
    outputs_.preview(
        this, printing::TakingsSheet(periodCaption(), takings_, records::clock_source::now()));
}

namespace kaikei {

TfmUriage* showUriage(QWidget* owner, records::RecordLists& lists, const Outputs& outputs,
                      const QDate& day) {
    auto* window = owner->findChild<TfmUriage*>(QString(), Qt::FindDirectChildrenOnly);
    if (!window) {
        window = new TfmUriage(lists, outputs, owner);
    }
    window->showPeriod(TfmUriage::Span::Month, day);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

}  // namespace kaikei
