#include "history/uRireki.h"

#include "records/Clock.h"
#include "records/RecordViews.h"
#include "records/ReservationIndex.h"
#include "records/Sjis.h"
#include "widgets/Appearance.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace rireki = records::history;

namespace {

// The remarks take the width that is left.
enum Column {
    PlannedColumn,
    DateColumn,
    TimeColumn,
    ShampColumn,
    StyleColumn,
    SonotaColumn,
    BikouColumn,
    StatusColumn
};

const QString Title = QStringLiteral("来店履歴");
const QString Planned = QStringLiteral("予定");
const QString None = QStringLiteral("なし");

// `text` holds no empty-field mark: it is a field as shown.
QString shown(const QByteArray& text) {
    return records::sjis::toUnicode(text.left(widgets::LongestShownLine));
}

// "2026/12/09(水)"
QString dateWithWeekday(const QDate& date) {
    static const QLocale Japanese(QLocale::Japanese, QLocale::Japan);
    return date.toString(QStringLiteral("yyyy/MM/dd")) + QLatin1Char('(') +
           Japanese.dayName(date.dayOfWeek(), QLocale::NarrowFormat) + QLatin1Char(')');
}

QStringList rowTexts(const rireki::Visit& visit, bool withStatus) {
    const records::Booking booking(visit.line);
    QStringList extras;
    for (const QByteArray& extra : {booking.higeCut(), booking.tumekiri()}) {
        if (const QString text = shown(extra); !text.isEmpty()) {
            extras.append(text);
        }
    }
    QStringList texts = {visit.planned ? Planned : QString(),
                         dateWithWeekday(visit.date),
                         shown(booking.jikan()) + QLatin1Char(':') + shown(booking.hun()),
                         shown(booking.shamp()),
                         shown(booking.style()),
                         extras.join(QStringLiteral("・")),
                         shown(booking.bikou())};
    if (withStatus) {
        texts.append(records::booking::statusCaption(visit.status));
    }
    return texts;
}

QString summaryText(const rireki::Summary& summary) {
    QString text = QStringLiteral("来店 %1回　前回 %2　次回予約 %3")
                       .arg(summary.pastVisits)
                       .arg(summary.lastVisit ? dateWithWeekday(*summary.lastVisit) : None,
                            summary.nextBooked ? dateWithWeekday(*summary.nextBooked) : None);
    if (summary.usualIntervalWeeks) {
        text += QStringLiteral("　来店間隔 %1週").arg(*summary.usualIntervalWeeks, 0, 'f', 1);
    }
    // Only a pet that failed to come has these counts.
    if (summary.mudanCancels > 0) {
        text += QStringLiteral("　無断キャンセル %1回").arg(summary.mudanCancels);
    }
    if (summary.touzitsuCancels > 0) {
        text += QStringLiteral("　当日キャンセル %1回").arg(summary.touzitsuCancels);
    }
    return text;
}

// The positions of the visits' lines, for the one query of their details.
QList<qsizetype> positionsOf(const QList<rireki::Visit>& visits) {
    QList<qsizetype> positions;
    positions.reserve(visits.size());
    for (const rireki::Visit& visit : visits) {
        positions.append(visit.position);
    }
    return positions;
}

}  // namespace

TfmRireki::TfmRireki(QWidget* owner, const rireki::Subject& subject,
                     const records::ReservationIndex& yoyakuIndex,
                     const records::booking::DetailsLookup& details, OpenKarte openKarte)
    : QDialog(owner),
      subject_(subject),
      visits_(rireki::visitsOf(subject, yoyakuIndex, records::clock_source::now())),
      showsStatus_(static_cast<bool>(details)),
      openKarte_(std::move(openKarte)) {
    if (showsStatus_ && !visits_.isEmpty()) {
        rireki::noteStatuses(visits_, details(positionsOf(visits_)));
    }
    setObjectName(QStringLiteral("fmRireki"));
    setWindowTitle(Title +
                   QStringLiteral(" - %1(%2)").arg(shown(subject.petName), shown(subject.shimei)));
    widgets::applyFormLook(*this);
    buildControls();
    fillList();
    showSummary();
    resize(760, 420);
}

void TfmRireki::buildControls() {
    lbRirekiSummary = new QLabel(this);
    lbRirekiSummary->setObjectName(QStringLiteral("lbRirekiSummary"));

    ListViewRireki = new QTreeWidget(this);
    ListViewRireki->setObjectName(QStringLiteral("ListViewRireki"));
    ListViewRireki->setRootIsDecorated(false);
    ListViewRireki->setItemsExpandable(false);
    ListViewRireki->setWordWrap(true);
    ListViewRireki->setSelectionBehavior(QAbstractItemView::SelectRows);
    QStringList captions = {QString(),
                            QStringLiteral("日付"),
                            QStringLiteral("時間"),
                            QStringLiteral("シャンプー"),
                            QStringLiteral("スタイル"),
                            QStringLiteral("ヒゲカット・爪切り"),
                            QStringLiteral("備考")};
    if (showsStatus_) {
        captions.append(QStringLiteral("状態"));
    }
    ListViewRireki->setHeaderLabels(captions);
    // The remarks take the width that is left, also before the status.
    ListViewRireki->header()->setStretchLastSection(!showsStatus_);
    if (showsStatus_) {
        ListViewRireki->header()->setSectionResizeMode(BikouColumn, QHeaderView::Stretch);
    }

    btnJikaiYoyaku = widgets::plainButton(this, "btnJikaiYoyaku", QStringLiteral("次回予約"));
    btnRirekiClose = widgets::plainButton(this, "btnRirekiClose", QStringLiteral("閉じる"));
    btnKarte = widgets::plainButton(this, "btnKarte", QStringLiteral("カルテ..."));
    btnKarte->setEnabled(static_cast<bool>(openKarte_));
    connect(btnKarte, &QPushButton::clicked, this, [this] { showFlags(openKarte_(this)); });
    connect(btnJikaiYoyaku, &QPushButton::clicked, this, &TfmRireki::btnJikaiYoyakuClick);
    connect(btnRirekiClose, &QPushButton::clicked, this, &QDialog::reject);

    auto* bar = new QHBoxLayout;
    bar->addWidget(btnKarte);
    bar->addStretch(1);
    bar->addWidget(btnJikaiYoyaku);
    bar->addWidget(btnRirekiClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lbRirekiSummary);
    layout->addWidget(ListViewRireki, 1);
    layout->addLayout(bar);
}

void TfmRireki::fillList() {
    QList<QTreeWidgetItem*> items;
    items.reserve(visits_.size());
    for (const rireki::Visit& visit : visits_) {
        items.append(new QTreeWidgetItem(rowTexts(visit, showsStatus_)));
    }
    ListViewRireki->addTopLevelItems(items);
    for (const int column :
         {PlannedColumn, DateColumn, TimeColumn, ShampColumn, StyleColumn, SonotaColumn}) {
        ListViewRireki->resizeColumnToContents(column);
    }
}

void TfmRireki::showFlags(const QString& flags) {
    flags_ = flags;
    showSummary();
}

void TfmRireki::showSummary() {
    QString text = summaryText(rireki::summarize(visits_));
    if (!flags_.isEmpty()) {
        text += QStringLiteral("　注意 ") + flags_;
    }
    lbRirekiSummary->setText(text);
    btnJikaiYoyaku->setEnabled(rireki::nextVisit(subject_, visits_).has_value());
}

void TfmRireki::btnJikaiYoyakuClick() {
    chosen_ = rireki::nextVisit(subject_, visits_);
    accept();
}

namespace history {

std::optional<rireki::NextVisit> runRireki(QWidget* owner, const rireki::Subject& subject,
                                           const records::ReservationIndex& yoyakuIndex,
                                           const records::booking::DetailsLookup& details,
                                           const QString& flags, TfmRireki::OpenKarte openKarte) {
    TfmRireki window(owner, subject, yoyakuIndex, details, std::move(openKarte));
    window.showFlags(flags);
    if (window.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return window.chosenNextVisit();
}

}  // namespace history
