#pragma once

#include <QDate>
#include <QDialog>
#include <QString>

#include <optional>

class QDateEdit;
class QPushButton;

// Asks for one day: a date field and OK / キャンセル. Its caption names the command that asks.
class TfmHizukeSentaku : public QDialog {
    Q_OBJECT
public:
    TfmHizukeSentaku(const QString& caption, const QDate& start, QWidget* parent = nullptr);

    // The day in the field when the window was closed with OK; nothing otherwise.
    std::optional<QDate> chosen() const;

    QDateEdit* dtHizuke;
    QPushButton* btnHizukeOK;
    QPushButton* btnHizukeCancel;
};

namespace widgets {

// Shows TfmHizukeSentaku modally, its field starting on `start`; the day chosen, nothing when
// the user cancelled.
std::optional<QDate> askForDay(QWidget* parent, const QString& caption, const QDate& start);

}  // namespace widgets
