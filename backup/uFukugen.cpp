#include "backup/uFukugen.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const QStringList Columns{QStringLiteral("日時"), QStringLiteral("お客様"), QStringLiteral("予約"),
                          QStringLiteral("サイズ")};
constexpr int EntryRole = Qt::UserRole;

QString sizeText(qint64 bytes) {
    return QLocale(QLocale::Japanese)
        .formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

QTreeWidgetItem* rowOf(const records::backup::Entry& entry, int index) {
    auto* row = new QTreeWidgetItem;
    // The state a restore replaced, so that undoing a restore finds its backup.
    row->setText(0, entry.beforeRestore
                        ? backupMomentText(entry) + QStringLiteral("（復元前の状態）")
                        : backupMomentText(entry));
    if (entry.complete) {
        row->setText(1, QStringLiteral("%1 件").arg(entry.customers));
        row->setText(2, QStringLiteral("%1 件").arg(entry.reservations));
        row->setText(3, sizeText(entry.bytes));
        for (int column = 1; column < Columns.size(); ++column) {
            row->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
        }
    } else {
        // Listed so that the user sees it exists, greyed out so that it cannot be chosen.
        row->setText(1, QStringLiteral("不完全なため復元できません"));
        row->setFlags(row->flags() & ~(Qt::ItemIsEnabled | Qt::ItemIsSelectable));
    }
    row->setData(0, EntryRole, index);
    return row;
}

}  // namespace

QString backupMomentText(const records::backup::Entry& entry) {
    return records::backup::momentText(entry.taken);
}

TfmFukugen::TfmFukugen(const QString& appDir, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("fmFukugen"));
    setWindowTitle(QStringLiteral("バックアップから復元"));
    resize(520, 320);

    ListViewBackup = new QTreeWidget;
    ListViewBackup->setObjectName(QStringLiteral("ListViewBackup"));
    ListViewBackup->setRootIsDecorated(false);
    ListViewBackup->setSelectionMode(QAbstractItemView::SingleSelection);
    ListViewBackup->setHeaderLabels(Columns);
    btnFukugen = new QPushButton(QStringLiteral("復元"));
    btnFukugen->setObjectName(QStringLiteral("btnFukugen"));
    btnFukugen->setDefault(true);
    btnFukugenCancel = new QPushButton(QStringLiteral("キャンセル"));
    btnFukugenCancel->setObjectName(QStringLiteral("btnFukugenCancel"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnFukugen);
    buttons->addWidget(btnFukugenCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ListViewBackup);
    layout->addLayout(buttons);

    connect(btnFukugen, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnFukugenCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ListViewBackup, &QTreeWidget::itemSelectionChanged, this,
            [this] { btnFukugen->setEnabled(selected().has_value()); });
    fill(appDir);
}

void TfmFukugen::fill(const QString& appDir) {
    entries_ = records::backup::listBackups(appDir);
    for (int index = 0; index < entries_.size(); ++index) {
        ListViewBackup->addTopLevelItem(rowOf(entries_.at(index), index));
    }
    for (int column = 0; column < Columns.size(); ++column) {
        ListViewBackup->resizeColumnToContents(column);
    }
    btnFukugen->setEnabled(false);
    // The newest backup that can be restored is chosen to begin with.
    for (int index = 0; index < entries_.size(); ++index) {
        if (entries_.at(index).complete) {
            ListViewBackup->setCurrentItem(ListViewBackup->topLevelItem(index));
            break;
        }
    }
}

std::optional<records::backup::Entry> TfmFukugen::selected() const {
    const QList<QTreeWidgetItem*> rows = ListViewBackup->selectedItems();
    if (rows.isEmpty()) {
        return std::nullopt;
    }
    const records::backup::Entry& entry = entries_.at(rows.first()->data(0, EntryRole).toInt());
    return entry.complete ? std::optional(entry) : std::nullopt;
}

std::optional<records::backup::Entry> TfmFukugen::chosen() const {
    return result() == QDialog::Accepted ? selected() : std::nullopt;
}
