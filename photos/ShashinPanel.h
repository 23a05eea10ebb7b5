#pragma once

#include "records/VisitHistory.h"
#include "records/VisitPhotos.h"

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <QWidget>

#include <functional>

class QComboBox;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace records {
class RecordLists;
}

namespace photos {

// Asks which image files to add; an empty list means the user cancelled.
using PhotoChooser = std::function<QStringList(QWidget* parent)>;
// Replaces the file dialog; an empty function restores it.
void setPhotoChooser(PhotoChooser chooser);

// The photos of a pet's visits, for the window that shows its カルテ: its past and coming
// bookings in ListViewShashin with the thumbnails of their photos before and after grooming.
// btnShashinAdd (or dropping files on the list) imports image files into the photo folder for
// the selected visit, as cbPhotoKind says; btnShashinDelete takes the selected photo off its
// visit; a double-click shows it large (fmShashin).
//
// Nothing reaches the store until apply(): the window calls it on OK and discard() on Cancel.
// Files are imported at once (so that a large photo is refused while the user looks), and those
// of this session that were not applied are deleted by discard(), or by apply() when they were
// taken off again before it. A photo that was applied and is taken off later keeps its file: the
// trash, an undo or a backup may bring back the booking details that name it. The panel
// destroyed without either discards.
class ShashinPanel : public QWidget {
    Q_OBJECT
public:
    ShashinPanel(records::RecordLists& lists, const QByteArray& customerLine,
                 QWidget* parent = nullptr);
    ~ShashinPanel() override;

    // Whether anything was added or taken off since the panel opened or last applied.
    bool hasChanges() const;
    // Writes the visits' photos into the store. Throws records::StoreError or FileError as
    // RecordLists::setDetails does; the visits written before stay written.
    void apply();
    // Forgets what was not applied and deletes the files imported for it.
    void discard();

    // Imports the image files for the selected visit; the refused ones are named in one
    // warning. Returns how many were added.
    int addFiles(const QStringList& paths);

signals:
    // A photo was added or taken off (not applied yet).
    void photosChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct VisitRow {
        records::history::Visit visit;
        records::photos::VisitPhotos applied;
        records::photos::VisitPhotos shown;
    };

    void buildControls();
    void fillList();
    void addPhotoItem(QTreeWidgetItem* visitItem, const records::photos::Photo& photo);
    // The visit row of the selected item (a visit or one of its photos); -1 when none.
    int selectedRow() const;
    void chooseAndAdd();
    void deleteSelected();
    void showLarge(QTreeWidgetItem* item);
    void updateButtons();
    // Deletes the files imported in this session that no visit shows.
    void removeUnshown();

    records::RecordLists& lists_;
    const QString appDir_;  // the record folder, beside which the photos lie
    QList<VisitRow> rows_;
    QStringList imported_;

    QTreeWidget* ListViewShashin = nullptr;
    QComboBox* cbPhotoKind = nullptr;
    QPushButton* btnShashinAdd = nullptr;
    QPushButton* btnShashinDelete = nullptr;
};

}  // namespace photos
