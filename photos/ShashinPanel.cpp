#include "photos/ShashinPanel.h"

#include "photos/PhotoFiles.h"
#include "records/Clock.h"
#include "records/RecordLists.h"
#include "records/Sjis.h"
#include "records/uLib.h"
#include "widgets/MessageBox.h"

#include <QComboBox>
#include <QDialog>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImageReader>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace photos {
namespace {

namespace vp = records::photos;

constexpr int RowRole = Qt::UserRole;
constexpr int PhotoRole = Qt::UserRole + 1;  // the photo's index in its visit; -1 on a visit
const QSize IconSize(96, 96);
const QSize LargestShown(1000, 760);

PhotoChooser& chooser() {
    static PhotoChooser chosen;
    return chosen;
}

QStringList chooseWithDialog(QWidget* parent) {
    return QFileDialog::getOpenFileNames(parent, QStringLiteral("写真を追加"), QString(),
                                         QStringLiteral("画像 (*.jpg *.jpeg *.png *.bmp *.gif "
                                                        "*.JPG *.JPEG *.PNG);;すべて (*)"));
}

// "2026/12/09 10:30", with 予定 for a booking still to come.
QString visitText(const records::history::Visit& visit) {
    return QStringLiteral("%1%2 %3").arg(visit.planned ? QStringLiteral("予定 ") : QString(),
                                         visit.date.toString(QStringLiteral("yyyy/MM/dd")),
                                         visit.at.time().toString(QStringLiteral("HH:mm")));
}

QStringList localFiles(const QMimeData* data) {
    QStringList files;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) {
            files.append(url.toLocalFile());
        }
    }
    return files;
}

}  // namespace

void setPhotoChooser(PhotoChooser chosen) {
    chooser() = std::move(chosen);
}

ShashinPanel::ShashinPanel(records::RecordLists& lists, const QByteArray& customerLine,
                           QWidget* parent)
    : QWidget(parent), lists_(lists), appDir_(QFileInfo(lists.userFilePath()).absolutePath()) {
    setObjectName(QStringLiteral("ShashinPanel"));
    const auto subject = records::history::subjectOfCustomer(customerLine);
    const QList<records::history::Visit> visits =
        records::history::visitsOf(subject, lists.yoyakuIndex(), records::clock_source::now());
    QList<qsizetype> positions;
    for (const records::history::Visit& visit : visits) {
        positions.append(visit.position);
    }
    // One query of the store for all visits.
    const QHash<qsizetype, records::LineDetails> details =
        positions.isEmpty() ? QHash<qsizetype, records::LineDetails>()
                            : lists.detailsAt(records::RecordFile::Yoyaku, positions);
    for (const records::history::Visit& visit : visits) {
        const vp::VisitPhotos photos = vp::VisitPhotos::of(details.value(visit.position));
        rows_.append({visit, photos, photos});
    }
    buildControls();
    fillList();
}

ShashinPanel::~ShashinPanel() {
    discard();
}

void ShashinPanel::buildControls() {
    ListViewShashin = new QTreeWidget(this);
    ListViewShashin->setObjectName(QStringLiteral("ListViewShashin"));
    ListViewShashin->setHeaderLabels({QStringLiteral("来店日時"), QStringLiteral("追加日")});
    ListViewShashin->setIconSize(IconSize);
    ListViewShashin->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListViewShashin->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    ListViewShashin->setAcceptDrops(true);
    ListViewShashin->viewport()->setAcceptDrops(true);
    ListViewShashin->viewport()->installEventFilter(this);

    cbPhotoKind = new QComboBox(this);
    cbPhotoKind->setObjectName(QStringLiteral("cbPhotoKind"));
    cbPhotoKind->addItems({vp::kindCaption(vp::Kind::Before), vp::kindCaption(vp::Kind::After)});
    btnShashinAdd = new QPushButton(QStringLiteral("写真を追加..."), this);
    btnShashinAdd->setObjectName(QStringLiteral("btnShashinAdd"));
    btnShashinDelete = new QPushButton(QStringLiteral("写真を外す"), this);
    btnShashinDelete->setObjectName(QStringLiteral("btnShashinDelete"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cbPhotoKind);
    buttons->addWidget(btnShashinAdd);
    buttons->addWidget(btnShashinDelete);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(ListViewShashin);
    layout->addLayout(buttons);

    connect(btnShashinAdd, &QPushButton::clicked, this, &ShashinPanel::chooseAndAdd);
    connect(btnShashinDelete, &QPushButton::clicked, this, &ShashinPanel::deleteSelected);
    connect(ListViewShashin, &QTreeWidget::itemSelectionChanged, this,
            &ShashinPanel::updateButtons);
    connect(ListViewShashin, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { showLarge(item); });
}

void ShashinPanel::fillList() {
    ListViewShashin->clear();
    for (int row = 0; row < rows_.size(); ++row) {
        auto* item = new QTreeWidgetItem(ListViewShashin, {visitText(rows_[row].visit)});
        item->setData(0, RowRole, row);
        item->setData(0, PhotoRole, -1);
        for (const vp::Photo& photo : rows_[row].shown.photos) {
            addPhotoItem(item, photo);
        }
        item->setExpanded(true);
    }
    updateButtons();
}

void ShashinPanel::addPhotoItem(QTreeWidgetItem* visitItem, const vp::Photo& photo) {
    auto* item = new QTreeWidgetItem(
        visitItem,
        {vp::kindCaption(photo.kind), photo.added.date().toString(QStringLiteral("yyyy/MM/dd"))});
    item->setIcon(0, QIcon(QPixmap::fromImage(thumbnail(appDir_, photo.file))));
    item->setToolTip(0, photo.file);
    item->setData(0, RowRole, visitItem->data(0, RowRole));
    item->setData(0, PhotoRole, visitItem->childCount() - 1);
}

int ShashinPanel::selectedRow() const {
    const QTreeWidgetItem* item = ListViewShashin->currentItem();
    return item && item->isSelected() ? item->data(0, RowRole).toInt() : -1;
}

void ShashinPanel::updateButtons() {
    const QTreeWidgetItem* item = ListViewShashin->currentItem();
    const bool selected = item && item->isSelected();
    btnShashinAdd->setEnabled(selected);
    btnShashinDelete->setEnabled(selected && item->data(0, PhotoRole).toInt() >= 0);
}

bool ShashinPanel::hasChanges() const {
    return std::any_of(rows_.begin(), rows_.end(),
                       [](const VisitRow& row) { return row.applied != row.shown; });
}

void ShashinPanel::chooseAndAdd() {
    const QStringList files = chooser() ? chooser()(this) : chooseWithDialog(this);
    addFiles(files);
}

int ShashinPanel::addFiles(const QStringList& paths) {
    const int row = selectedRow();
    if (row < 0 || paths.isEmpty()) {
        return 0;
    }
    const vp::Kind kind = cbPhotoKind->currentIndex() == 1 ? vp::Kind::After : vp::Kind::Before;
    QStringList refused;
    int added = 0;
    for (const QString& path : paths) {
        try {
            const QString name = importPhoto(appDir_, path);
            imported_.append(name);
            rows_[row].shown.photos.append({name, kind, records::clock_source::now()});
            ++added;
        } catch (const FileError& error) {
            refused.append(error.message());
        }
    }
    if (added > 0) {
        fillList();
        ListViewShashin->topLevelItem(row)->setSelected(true);
        ListViewShashin->setCurrentItem(ListViewShashin->topLevelItem(row));
        emit photosChanged();
    }
    if (!refused.isEmpty()) {
        widgets::showMessage(this, QMessageBox::Warning, QStringLiteral("写真"),
                             refused.join(QStringLiteral("\n\n")));
    }
    return added;
}

void ShashinPanel::deleteSelected() {
    const QTreeWidgetItem* item = ListViewShashin->currentItem();
    const int photo = item ? item->data(0, PhotoRole).toInt() : -1;
    const int row = selectedRow();
    if (row < 0 || photo < 0) {
        return;
    }
    rows_[row].shown.photos.removeAt(photo);
    fillList();
    emit photosChanged();
}

void ShashinPanel::showLarge(QTreeWidgetItem* item) {
    const int photo = item->data(0, PhotoRole).toInt();
    if (photo < 0) {
        return;
    }
    const QString file = rows_[item->data(0, RowRole).toInt()].shown.photos.at(photo).file;
    QImageReader reader(photoPath(appDir_, file));
    reader.setAutoTransform(true);
    const QImage image = reader.read();
    QDialog dialog(this);
    dialog.setObjectName(QStringLiteral("fmShashin"));
    dialog.setWindowTitle(QStringLiteral("写真 - %1").arg(item->parent()->text(0)));
    auto* picture = new QLabel(&dialog);
    picture->setObjectName(QStringLiteral("lbShashin"));
    picture->setAlignment(Qt::AlignCenter);
    if (image.isNull()) {
        picture->setText(QStringLiteral("写真を読めません: %1").arg(file));
    } else {
        picture->setPixmap(QPixmap::fromImage(
            image.size().boundedTo(LargestShown) == image.size()
                ? image
                : image.scaled(LargestShown, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    }
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(picture);
    dialog.exec();
}

void ShashinPanel::apply() {
    bool gone = false;
    for (VisitRow& row : rows_) {
        if (row.applied == row.shown) {
            continue;
        }
        // A write before may have read the file again (another desk changed it): the booking is
        // then found by its bytes, so that no other line's details are taken for its own.
        const QByteArrayList& lines = lists_.lines(records::RecordFile::Yoyaku);
        qsizetype position = row.visit.position;
        if (position >= lines.size() || lines.at(position) != row.visit.line) {
            position = lines.indexOf(row.visit.line);
        }
        if (position < 0) {
            // The booking was deleted meanwhile: its new photos have nothing to belong to.
            row.shown = row.applied;
            gone = true;
            continue;
        }
        const records::LineDetails details =
            lists_.detailsAt(records::RecordFile::Yoyaku, position);
        lists_.setDetails(records::RecordFile::Yoyaku, position, row.visit.line,
                          row.shown.into(details));
        row.visit.position = position;
        row.applied = row.shown;
    }
    removeUnshown();
    imported_.clear();
    if (gone) {
        fillList();
    }
}

void ShashinPanel::discard() {
    const bool changed = hasChanges();
    for (VisitRow& row : rows_) {
        row.shown = row.applied;
    }
    removeUnshown();
    imported_.clear();
    if (changed) {
        fillList();
    }
}

void ShashinPanel::removeUnshown() {
    for (const QString& name : std::as_const(imported_)) {
        const bool shown = std::any_of(rows_.begin(), rows_.end(), [&name](const VisitRow& row) {
            return std::any_of(row.shown.photos.begin(), row.shown.photos.end(),
                               [&name](const vp::Photo& photo) { return photo.file == name; });
        });
        if (!shown) {
            removePhoto(appDir_, name);
        }
    }
}

bool ShashinPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ListViewShashin->viewport()) {
        if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (!localFiles(drag->mimeData()).isEmpty() &&
                ListViewShashin->itemAt(drag->position().toPoint())) {
                drag->acceptProposedAction();
            } else {
                drag->ignore();
            }
            return true;
        }
        if (event->type() == QEvent::Drop) {
            auto* drop = static_cast<QDropEvent*>(event);
            if (QTreeWidgetItem* item = ListViewShashin->itemAt(drop->position().toPoint())) {
                ListViewShashin->setCurrentItem(item);
                item->setSelected(true);
                addFiles(localFiles(drop->mimeData()));
                drop->acceptProposedAction();
            }
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace photos
