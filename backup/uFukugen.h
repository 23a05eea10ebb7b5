#pragma once

#include "records/Backup.h"

#include <QDialog>
#include <QList>
#include <QString>

#include <optional>

class QPushButton;
class QTreeWidget;

// The restore window: the backups of the record folder, newest first, each with its moment, the
// customers and reservations it holds and its size; the one chosen is restored by the command
// that opened the window, after it has closed.
class TfmFukugen : public QDialog {
    Q_OBJECT
public:
    explicit TfmFukugen(const QString& appDir, QWidget* parent = nullptr);

    // The backup chosen when the window was closed with 復元; nothing otherwise.
    std::optional<records::backup::Entry> chosen() const;

    QTreeWidget* ListViewBackup;
    QPushButton* btnFukugen;
    QPushButton* btnFukugenCancel;

private:
    void fill(const QString& appDir);
    // The complete backup of the selected row, if one is selected.
    std::optional<records::backup::Entry> selected() const;

    QList<records::backup::Entry> entries_;
};

// How the window and the confirmation name a backup: "2026年12月09日 10:30:00".
QString backupMomentText(const records::backup::Entry& entry);
