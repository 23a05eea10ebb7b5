#include "karte/uKarte.h"

#include "karte/VaccinationEditor.h"
#include "photos/ShashinPanel.h"
#include "records/RecordViews.h"
#include "widgets/Appearance.h"
#include "widgets/ErrorGuard.h"
#include "widgets/MessageBox.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace rkarte = records::karte;
using records::RecordFile;

namespace {

// The check boxes' objectNames, in the order of AllFlags.
constexpr std::array<const char*, rkarte::AllFlags.size()> FlagNames = {
    "chbKamu", "chbHoeru", "chbKowagari", "chbHifu", "chbJibyou", "chbKourei"};
constexpr int FlagColumns = 3;

QString titleOf(const QByteArray& customerLine) {
    const records::Customer customer(customerLine);
    return karte::KarteCaption + QStringLiteral(" - %1 (%2)")
                                     .arg(customer.shownText(records::customer_record::PetName),
                                          customer.shownText(records::customer_record::Shimei))
                                     .left(widgets::LongestShownLine);
}

}  // namespace

TfmKarte::TfmKarte(QWidget* owner, records::RecordLists& lists, qsizetype position, QByteArray line)
    : QDialog(owner), lists_(lists), position_(position), line_(std::move(line)) {
    setObjectName(QStringLiteral("fmKarte"));
    setWindowTitle(titleOf(line_));
    widgets::applyFormLook(*this);
    buildControls();
    fill(
        rkarte::Karte::of(lists_.detailsAt(RecordFile::User, position_)).value_or(rkarte::Karte{}));
    resize(640, 760);
}

void TfmKarte::buildControls() {
    btnKarteOK = widgets::plainButton(this, "btnKarteOK", QStringLiteral("OK"));
    btnKarteCancel = widgets::plainButton(this, "btnKarteCancel", QStringLiteral("キャンセル"));
    connect(btnKarteOK, &QPushButton::clicked, this, &TfmKarte::accept);
    connect(btnKarteCancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* bar = new QHBoxLayout;
    bar->addStretch(1);
    bar->addWidget(btnKarteOK);
    bar->addWidget(btnKarteCancel);

    sections_ = new QVBoxLayout;
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(sections_, 1);
    layout->addLayout(bar);
    addSection(flagsSection());
    addSection(memoSection());
    vaccinations_ = new karte::VaccinationEditor(this);
    addSection(vaccinations_);
    auto* photosBox = new QGroupBox(QStringLiteral("写真"), this);
    photosBox->setObjectName(QStringLiteral("grpShashin"));
    photos_ = new photos::ShashinPanel(lists_, line_, photosBox);
    auto* photosLayout = new QVBoxLayout(photosBox);
    photosLayout->addWidget(photos_);
    addSection(photosBox);
}

void TfmKarte::addSection(QWidget* section) {
    sections_->addWidget(section);
}

QWidget* TfmKarte::flagsSection() {
    auto* box = new QGroupBox(QStringLiteral("注意"), this);
    box->setObjectName(QStringLiteral("grpChuui"));
    auto* grid = new QGridLayout(box);
    for (std::size_t at = 0; at < rkarte::AllFlags.size(); ++at) {
        auto* check = new QCheckBox(rkarte::flagCaption(rkarte::AllFlags[at]), box);
        check->setObjectName(QLatin1String(FlagNames[at]));
        grid->addWidget(check, static_cast<int>(at) / FlagColumns,
                        static_cast<int>(at) % FlagColumns);
        flagBoxes_[at] = check;
    }
    return box;
}

QWidget* TfmKarte::memoSection() {
    auto* box = new QGroupBox(QStringLiteral("メモ"), this);
    box->setObjectName(QStringLiteral("grpMemo"));
    memoKarte = new QPlainTextEdit(box);
    memoKarte->setObjectName(QStringLiteral("memoKarte"));
    // A few lines: the photos below need the room more.
    memoKarte->setMaximumHeight(memoKarte->fontMetrics().lineSpacing() * 5);
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(memoKarte);
    return box;
}

void TfmKarte::fill(const rkarte::Karte& karte) {
    for (std::size_t at = 0; at < rkarte::AllFlags.size(); ++at) {
        flagBoxes_[at]->setChecked(karte.has(rkarte::AllFlags[at]));
    }
    memoKarte->setPlainText(karte.memo);
    vaccinations_->setVaccinations(karte.vaccinations);
}

rkarte::Karte TfmKarte::karte() const {
    rkarte::Karte karte;
    for (std::size_t at = 0; at < rkarte::AllFlags.size(); ++at) {
        karte.set(rkarte::AllFlags[at], flagBoxes_[at]->isChecked());
    }
    karte.memo = memoKarte->toPlainText();
    karte.vaccinations = vaccinations_->vaccinations();
    return karte;
}

void TfmKarte::accept() {
    bool saved = false;
    if (!widgets::runGuarded(this, [this, &saved] {
            saved = save();
            if (saved) {
                photos_->apply();
            }
        })) {
        return;
    }
    if (!saved) {
        // Nothing typed is lost: the window stays as it is, for the user to copy or cancel.
        widgets::showMessage(
            this, QMessageBox::Warning, karte::KarteCaption,
            QStringLiteral("このお客様はほかのプログラムで変更または削除されたため、カルテを"
                           "保存できませんでした。\n入力した内容はこの画面に残っています。"));
        return;
    }
    QDialog::accept();
}

void TfmKarte::reject() {
    photos_->discard();
    QDialog::reject();
}

bool TfmKarte::save() {
    const qsizetype at = karte::positionNow(lists_.lines(RecordFile::User), position_, line_);
    if (at < 0) {
        return false;
    }
    lists_.setDetails(RecordFile::User, at, line_,
                      karte().into(lists_.detailsAt(RecordFile::User, at)));
    // The file may have been read again first, without the line.
    return karte::positionNow(lists_.lines(RecordFile::User), at, line_) >= 0;
}

namespace karte {

qsizetype positionNow(const QByteArrayList& customers, qsizetype position, const QByteArray& line) {
    if (position >= 0 && position < customers.size() && customers.at(position) == line) {
        return position;
    }
    return customers.indexOf(line);
}

bool runKarte(QWidget* owner, records::RecordLists& lists, qsizetype position,
              const QByteArray& line) {
    const qsizetype at = positionNow(lists.lines(RecordFile::User), position, line);
    if (at < 0) {
        widgets::showMessage(owner, QMessageBox::Warning, KarteCaption,
                             QStringLiteral("このお客様は変更または削除されたため、カルテを開けま"
                                            "せん。\nお客様一覧から開き直してください。"));
        return false;
    }
    TfmKarte window(owner, lists, at, line);
    return window.exec() == QDialog::Accepted;
}

}  // namespace karte
