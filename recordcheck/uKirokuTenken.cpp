#include "recordcheck/uKirokuTenken.h"

#include "recordcheck/uTenkenShusei.h"
#include "records/Clock.h"
#include "widgets/Appearance.h"
#include "widgets/ErrorGuard.h"
#include "widgets/MessageBox.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace rsv = records::reservation_record;

namespace {

const QString Title = QStringLiteral("記録の点検");

enum Column { LineColumn, ReasonColumn, TextColumn };

QString reasonText(rsv::Unreachable reason) {
    switch (reason) {
        case rsv::Unreachable::TooFewFields:
            return QStringLiteral("項目が足りません");
        case rsv::Unreachable::NoDate:
            return QStringLiteral("日付がありません");
        case rsv::Unreachable::HourWithoutRow:
            break;
    }
    return QStringLiteral("時間が表にありません");
}

QDate today() {
    return records::clock_source::now().date();
}

}  // namespace

TfmKirokuTenken::TfmKirokuTenken(QWidget* owner, records::RecordLists& lists)
    : QDialog(owner), lists_(lists) {
    setObjectName(QStringLiteral("fmKirokuTenken"));
    setWindowTitle(Title);
    widgets::applyFormLook(*this);
    buildControls();
    fillList();
    // The list follows every change of the reservation file, a file read again included.
    connect(&lists_, &records::RecordLists::changed, this,
            [this](const records::RecordChange& change) {
                if (change.file == records::RecordFile::Yoyaku) {
                    fillList();
                }
            });
    resize(720, 360);
}

void TfmKirokuTenken::buildControls() {
    ListViewTenken = new QTreeWidget(this);
    ListViewTenken->setObjectName(QStringLiteral("ListViewTenken"));
    ListViewTenken->setRootIsDecorated(false);
    ListViewTenken->setHeaderLabels(
        {QStringLiteral("行"), QStringLiteral("理由"), QStringLiteral("内容")});
    connect(ListViewTenken, &QTreeWidget::currentItemChanged, this,
            &TfmKirokuTenken::showButtonStates);

    auto* bar = new QHBoxLayout;
    const struct {
        QPushButton*& button;
        const char* name;
        QString caption;
        void (TfmKirokuTenken::*click)();
    } buttons[] = {
        {btnTenkenShusei, "btnTenkenShusei", QStringLiteral("日付と時間の修正..."),
         &TfmKirokuTenken::btnTenkenShuseiClick},
        {btnTenkenSakujo, "btnTenkenSakujo", QStringLiteral("削除"),
         &TfmKirokuTenken::btnTenkenSakujoClick},
        {btnTenkenClose, "btnTenkenClose", QStringLiteral("閉じる"), &QDialog::reject},
    };
    for (const auto& [button, name, caption, click] : buttons) {
        button = new QPushButton(caption, this);
        button->setObjectName(QLatin1String(name));
        // Enter in the list changes nothing.
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, click);
        if (button == btnTenkenClose) {
            bar->addStretch(1);
        }
        bar->addWidget(button);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ListViewTenken, 1);
    layout->addLayout(bar);
}

void TfmKirokuTenken::fillList() {
    const int row = ListViewTenken->indexOfTopLevelItem(ListViewTenken->currentItem());
    const QByteArrayList& yoyakuList = lists_.honjitu().YoyakuList;
    lines_ = rsv::linesToCheck(yoyakuList, today());
    ListViewTenken->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(lines_.size());
    for (const rsv::LineToCheck& line : lines_) {
        // The list's position is the line's number in the file, counted from 1.
        items.append(
            new QTreeWidgetItem({QString::number(line.position + 1), reasonText(line.reason),
                                 recordcheck::shownLine(yoyakuList.at(line.position))}));
    }
    ListViewTenken->addTopLevelItems(items);
    ListViewTenken->resizeColumnToContents(LineColumn);
    ListViewTenken->resizeColumnToContents(ReasonColumn);
    // The line after a corrected or deleted one takes its place in the selection.
    if (!items.isEmpty()) {
        ListViewTenken->setCurrentItem(items.at(std::clamp<int>(row, 0, items.size() - 1)));
    }
    showButtonStates();
}

void TfmKirokuTenken::showButtonStates() {
    const bool selected = selectedPosition() >= 0;
    btnTenkenShusei->setEnabled(selected);
    btnTenkenSakujo->setEnabled(selected);
}

qsizetype TfmKirokuTenken::selectedPosition() const {
    const int row = ListViewTenken->indexOfTopLevelItem(ListViewTenken->currentItem());
    return row >= 0 && row < lines_.size() ? lines_.at(row).position : -1;
}

void TfmKirokuTenken::btnTenkenShuseiClick() {
    const qsizetype position = selectedPosition();
    if (position < 0) {
        return;
    }
    const QByteArray line = lists_.honjitu().YoyakuList.at(position);
    TfmTenkenShusei fmTenkenShusei(this, line, today());
    if (fmTenkenShusei.exec() != QDialog::Accepted) {
        return;
    }
    widgets::runGuarded(this, [&] {
        lists_.change(records::RecordFile::Yoyaku,
                      {records::RecordIntent::replace(
                          position, line, rsv::withSlot(line, fmTenkenShusei.chosenSlot()))});
    });
}

void TfmKirokuTenken::btnTenkenSakujoClick() {
    const qsizetype position = selectedPosition();
    if (position < 0) {
        return;
    }
    if (widgets::showMessage(this, QMessageBox::Question, Title,
                             QStringLiteral("選んだ予約の行をファイルから削除します。\n"
                                            "よろしいですか？"),
                             QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes) {
        widgets::showMessage(this, QMessageBox::Warning, Title,
                             QStringLiteral("予約の行の削除を取り消しました。"));
        return;
    }
    const bool deleted = widgets::runGuarded(this, [&] {
        lists_.change(
            records::RecordFile::Yoyaku,
            {records::RecordIntent::remove(position, lists_.honjitu().YoyakuList.at(position))});
    });
    if (deleted) {
        widgets::showMessage(this, QMessageBox::Information, Title,
                             QStringLiteral("予約の行を削除しました。"));
    }
}

namespace recordcheck {

void runKirokuTenken(QWidget* owner, records::RecordLists& lists) {
    TfmKirokuTenken window(owner, lists);
    window.exec();
}

qsizetype linesToCheckCount(const records::RecordLists& lists) {
    return rsv::linesToCheck(lists.honjitu().YoyakuList, today()).size();
}

}  // namespace recordcheck
