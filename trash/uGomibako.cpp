#include "trash/uGomibako.h"

#include "records/Sjis.h"
#include "records/Trash.h"
#include "widgets/Appearance.h"
#include "widgets/ErrorGuard.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

enum Column { DeletedAtColumn, KindColumn, BookedAtColumn, OwnerColumn, TelephoneColumn };

QString shown(const QByteArray& field) {
    return records::sjis::toUnicode(field);
}

QStringList rowTexts(const records::TrashEntry& entry) {
    const bool booking = entry.file == records::RecordFile::Yoyaku;
    return {entry.deletedAt.toString(QStringLiteral("yyyy/MM/dd HH:mm")),
            booking ? QStringLiteral("予約") : QStringLiteral("お客様"), shown(entry.bookedAt()),
            shown(entry.ownerAndPet()), shown(entry.telephone())};
}

}  // namespace

TfmGomibako::TfmGomibako(QWidget* owner, records::Trash& trash) : QDialog(owner), trash_(trash) {
    setObjectName(QStringLiteral("fmGomibako"));
    setWindowTitle(QStringLiteral("ゴミ箱"));
    widgets::applyFormLook(*this);
    buildControls();
    fillList();
    connect(&trash_, &records::Trash::entriesChanged, this, &TfmGomibako::fillList);
    resize(640, 400);
}

void TfmGomibako::buildControls() {
    ListViewGomibako = new QTreeWidget(this);
    ListViewGomibako->setObjectName(QStringLiteral("ListViewGomibako"));
    ListViewGomibako->setRootIsDecorated(false);
    ListViewGomibako->setItemsExpandable(false);
    ListViewGomibako->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListViewGomibako->setHeaderLabels({QStringLiteral("削除日時"), QStringLiteral("種類"),
                                       QStringLiteral("日時"), QStringLiteral("飼い主/ペット"),
                                       QStringLiteral("電話番号")});
    ListViewGomibako->header()->setStretchLastSection(true);

    auto* buttons = new QDialogButtonBox(this);
    btnGomibakoModosu =
        buttons->addButton(QStringLiteral("元に戻す"), QDialogButtonBox::ActionRole);
    btnGomibakoModosu->setObjectName(QStringLiteral("btnGomibakoModosu"));
    btnGomibakoClose = buttons->addButton(QStringLiteral("閉じる"), QDialogButtonBox::RejectRole);
    btnGomibakoClose->setObjectName(QStringLiteral("btnGomibakoClose"));
    // Enter in the list puts nothing back.
    for (QPushButton* button : {btnGomibakoModosu, btnGomibakoClose}) {
        button->setAutoDefault(false);
    }
    connect(btnGomibakoModosu, &QPushButton::clicked, this, &TfmGomibako::btnGomibakoModosuClick);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(ListViewGomibako, &QTreeWidget::itemSelectionChanged, this, [this] {
        btnGomibakoModosu->setEnabled(!ListViewGomibako->selectedItems().isEmpty());
    });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ListViewGomibako, 1);
    layout->addWidget(buttons);
}

void TfmGomibako::fillList() {
    ListViewGomibako->clear();
    QList<QTreeWidgetItem*> items;
    for (const records::TrashEntry& entry : trash_.entries()) {
        items.append(new QTreeWidgetItem(rowTexts(entry)));
    }
    ListViewGomibako->addTopLevelItems(items);
    for (const int column : {DeletedAtColumn, KindColumn, BookedAtColumn, OwnerColumn}) {
        ListViewGomibako->resizeColumnToContents(column);
    }
    btnGomibakoModosu->setEnabled(false);
}

void TfmGomibako::btnGomibakoModosuClick() {
    const QList<QTreeWidgetItem*> selected = ListViewGomibako->selectedItems();
    if (selected.isEmpty()) {
        return;
    }
    const int index = ListViewGomibako->indexOfTopLevelItem(selected.first());
    widgets::runGuarded(this, [this, index] { trash_.putBack(index); });
}

namespace trash {

void runGomibako(QWidget* owner, records::Trash& trash) {
    TfmGomibako fmGomibako(owner, trash);
    fmGomibako.exec();
}

}  // namespace trash
