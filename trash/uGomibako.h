#pragma once

#include <QDialog>

class QPushButton;
class QTreeWidget;

namespace records {
class Trash;
}

// The trash: the bookings and customers deleted in the last year, newest first, each of which
// can be put back into its file. It follows the trash, so an undo made meanwhile shows.
class TfmGomibako : public QDialog {
    Q_OBJECT
public:
    TfmGomibako(QWidget* owner, records::Trash& trash);

private:
    void buildControls();
    void fillList();
    void btnGomibakoModosuClick();

    records::Trash& trash_;
    QTreeWidget* ListViewGomibako;
    QPushButton* btnGomibakoModosu;
    QPushButton* btnGomibakoClose;
};

namespace trash {

// Shows the trash modally over `owner`.
void runGomibako(QWidget* owner, records::Trash& trash);

}  // namespace trash
