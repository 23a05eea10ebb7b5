#include "widgets/HizukeSentaku.h"

#include "widgets/Appearance.h"

#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>

namespace {

QPushButton* namedButton(const QString& caption, const char* objectName) {
    auto* button = new QPushButton(caption);
    button->setObjectName(QLatin1String(objectName));
    return button;
}

}  // namespace

TfmHizukeSentaku::TfmHizukeSentaku(const QString& caption, const QDate& start, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("fmHizukeSentaku"));
    setWindowTitle(caption);
    widgets::applyFormLook(*this);

    dtHizuke = new QDateEdit(start);
    dtHizuke->setObjectName(QStringLiteral("dtHizuke"));
    dtHizuke->setLocale(QLocale(QLocale::Japanese, QLocale::Japan));
    dtHizuke->setDisplayFormat(QStringLiteral("yyyy/MM/dd (ddd)"));
    dtHizuke->setCalendarPopup(true);
    btnHizukeOK = namedButton(QStringLiteral("OK"), "btnHizukeOK");
    btnHizukeOK->setDefault(true);
    btnHizukeCancel = namedButton(QStringLiteral("キャンセル"), "btnHizukeCancel");

    auto* lbHizuke = new QLabel(QStringLiteral("日付(&D)"));
    lbHizuke->setObjectName(QStringLiteral("lbHizuke"));
    lbHizuke->setBuddy(dtHizuke);
    auto* buttons = new QDialogButtonBox;
    buttons->setObjectName(QStringLiteral("pnlHizukeButtons"));
    buttons->addButton(btnHizukeOK, QDialogButtonBox::AcceptRole);
    buttons->addButton(btnHizukeCancel, QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QFormLayout(this);
    layout->addRow(lbHizuke, dtHizuke);
    layout->addRow(buttons);
}

std::optional<QDate> TfmHizukeSentaku::chosen() const {
    return result() == QDialog::Accepted ? std::optional(dtHizuke->date()) : std::nullopt;
}

namespace widgets {

std::optional<QDate> askForDay(QWidget* parent, const QString& caption, const QDate& start) {
    TfmHizukeSentaku fmHizukeSentaku(caption, start, parent);
    fmHizukeSentaku.exec();
    return fmHizukeSentaku.chosen();
}

}  // namespace widgets
