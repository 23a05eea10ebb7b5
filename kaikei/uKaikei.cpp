#include "kaikei/uKaikei.h"

#include "printing/ReceiptSheet.h"
#include "records/BookingDetails.h"
#include "records/Clock.h"
#include "records/RecordViews.h"
#include "records/Sjis.h"
#include "widgets/Appearance.h"
#include "widgets/ErrorGuard.h"
#include "widgets/MessageBox.h"
#include "widgets/YenEdit.h"

#include <QAction>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <utility>

namespace booking = records::booking;
namespace money = records::kaikei;
using records::RecordFile;

namespace {

constexpr int NameColumn = 0;
constexpr int YenColumn = 1;
constexpr int YenRole = Qt::UserRole;

// "山田/ポチ  2026/12/09 10:00".
QString bookingText(const QByteArray& line) {
    const records::Booking booking(line);
    return records::sjis::toUnicode(booking.tableEntry()) + QStringLiteral("  ") +
           records::sjis::toUnicode(booking.nen() + '/' + booking.tuki() + '/' + booking.niti() +
                                    ' ' + booking.jikan() + ':' + booking.hun());
}

}  // namespace

TfmKaikei::TfmKaikei(QWidget* owner, records::RecordLists& lists, qsizetype position,
                     kaikei::Outputs outputs)
    : QDialog(owner),
      lists_(lists),
      position_(position),
      line_(lists.lines(RecordFile::Yoyaku).at(position)),
      outputs_(std::move(outputs)),
      prices_(money::PriceSettings::fromBytes(lists.setting(money::PriceSettings::SettingName))),
      payments_(money::Payments::of(lists.detailsAt(RecordFile::Yoyaku, position))) {
    setObjectName(QStringLiteral("fmKaikei"));
    setWindowTitle(kaikei::KaikeiCaption);
    widgets::applyFormLook(*this);
    buildControls();
    fill();
    showTotals();
}

void TfmKaikei::buildControls() {
    lbKaikeiYoyaku = new QLabel(this);
    lbKaikeiYoyaku->setObjectName(QStringLiteral("lbKaikeiYoyaku"));
    lbKaikeiYoyaku->setTextFormat(Qt::PlainText);
    lbKaikeiRireki = new QLabel(this);
    lbKaikeiRireki->setObjectName(QStringLiteral("lbKaikeiRireki"));
    ListViewKaikeiMeisai = new QTreeWidget(this);
    ListViewKaikeiMeisai->setObjectName(QStringLiteral("ListViewKaikeiMeisai"));
    ListViewKaikeiMeisai->setHeaderLabels({QStringLiteral("内容"), QStringLiteral("金額")});
    ListViewKaikeiMeisai->setRootIsDecorated(false);
    ListViewKaikeiMeisai->header()->setSectionResizeMode(NameColumn, QHeaderView::Stretch);
    ListViewKaikeiMeisai->header()->setStretchLastSection(false);
    edtMeisaiNaiyou = new QLineEdit(this);
    edtMeisaiNaiyou->setObjectName(QStringLiteral("edtMeisaiNaiyou"));
    edtMeisaiNaiyou->setPlaceholderText(QStringLiteral("商品・サービス"));
    edtMeisaiKingaku = new widgets::YenEdit(this, "edtMeisaiKingaku");
    btnMeisaiAdd = widgets::plainButton(this, "btnMeisaiAdd", QStringLiteral("追加"));
    btnMeisaiDelete = widgets::plainButton(this, "btnMeisaiDelete", QStringLiteral("削除"));
    connect(btnMeisaiAdd, &QPushButton::clicked, this, &TfmKaikei::btnMeisaiAddClick);
    connect(btnMeisaiDelete, &QPushButton::clicked, this, &TfmKaikei::btnMeisaiDeleteClick);
    connect(ListViewKaikeiMeisai, &QTreeWidget::currentItemChanged, this, &TfmKaikei::showTotals);

    lbKaikeiGoukei = new QLabel(this);
    lbKaikeiGoukei->setObjectName(QStringLiteral("lbKaikeiGoukei"));
    cbShiharai = new QComboBox(this);
    cbShiharai->setObjectName(QStringLiteral("cbShiharai"));
    for (const money::Method method : money::AllMethods) {
        cbShiharai->addItem(money::methodCaption(method));
    }
    edtAzukari = new widgets::YenEdit(this, "edtAzukari");
    lbOturi = new QLabel(this);
    lbOturi->setObjectName(QStringLiteral("lbOturi"));
    connect(cbShiharai, &QComboBox::currentIndexChanged, this, &TfmKaikei::showTotals);
    connect(edtAzukari, &QLineEdit::textChanged, this, &TfmKaikei::showTotals);

    cbYoushi = new QComboBox(this);
    cbYoushi->setObjectName(QStringLiteral("cbYoushi"));
    cbYoushi->addItem(QStringLiteral("A6"), static_cast<int>(QPageSize::A6));
    cbYoushi->addItem(QStringLiteral("A4"), static_cast<int>(QPageSize::A4));
    btnRyoushuusho = widgets::plainButton(this, "btnRyoushuusho", QStringLiteral("領収書"));
    auto* receipts = new QMenu(btnRyoushuusho);
    receipts->setObjectName(QStringLiteral("PopupMenuRyoushuusho"));
    actRyoushuushoPreview = receipts->addAction(QStringLiteral("印刷プレビュー..."));
    actRyoushuushoPreview->setObjectName(QStringLiteral("actRyoushuushoPreview"));
    actRyoushuushoPdf = receipts->addAction(QStringLiteral("PDF に保存..."));
    actRyoushuushoPdf->setObjectName(QStringLiteral("actRyoushuushoPdf"));
    btnRyoushuusho->setMenu(receipts);
    connect(actRyoushuushoPreview, &QAction::triggered, this, &TfmKaikei::previewReceipt);
    connect(actRyoushuushoPdf, &QAction::triggered, this, &TfmKaikei::saveReceipt);

    btnKaikeiKakutei = widgets::plainButton(this, "btnKaikeiKakutei", QStringLiteral("確定"));
    btnKaikeiCancel = widgets::plainButton(this, "btnKaikeiCancel", QStringLiteral("キャンセル"));
    connect(btnKaikeiKakutei, &QPushButton::clicked, this, &TfmKaikei::accept);
    connect(btnKaikeiCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* adding = new QHBoxLayout;
    adding->addWidget(edtMeisaiNaiyou, 1);
    adding->addWidget(edtMeisaiKingaku);
    adding->addWidget(btnMeisaiAdd);
    adding->addWidget(btnMeisaiDelete);
    auto* paying = new QFormLayout;
    paying->addRow(QStringLiteral("お支払い"), cbShiharai);
    paying->addRow(QStringLiteral("お預かり (円)"), edtAzukari);
    paying->addRow(QStringLiteral("お釣り"), lbOturi);
    auto* receipt = new QHBoxLayout;
    receipt->addWidget(cbYoushi);
    receipt->addWidget(btnRyoushuusho);
    receipt->addStretch();
    receipt->addWidget(btnKaikeiKakutei);
    receipt->addWidget(btnKaikeiCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lbKaikeiYoyaku);
    layout->addWidget(lbKaikeiRireki);
    layout->addWidget(ListViewKaikeiMeisai, 1);
    layout->addLayout(adding);
    layout->addWidget(lbKaikeiGoukei);
    layout->addLayout(paying);
    layout->addLayout(receipt);
    resize(480, 460);
}

void TfmKaikei::fill() {
    lbKaikeiYoyaku->setText(bookingText(line_));
    QList<money::BillLine> lines;
    if (payments_.isPaid()) {
        // A correction starts from what was recorded, at the tax rule it was recorded with.
        const money::Payment& current = payments_.current();
        lines = current.lines;
        taxIncluded_ = current.taxIncluded;
        cbShiharai->setCurrentIndex(static_cast<int>(current.method));
        edtAzukari->setYen(current.handedOver);
        lbKaikeiRireki->setText(
            QStringLiteral("%1 に会計済み（%2 回目の記録）。確定すると訂正として残ります。")
                .arg(current.paidAt.toString(QStringLiteral("yyyy/MM/dd HH:mm")))
                .arg(payments_.versions.size()));
    } else {
        lines = money::billOf(line_, lists_.detailsAt(RecordFile::Yoyaku, position_), prices_);
        taxIncluded_ = prices_.taxIncluded;
        lbKaikeiRireki->hide();
    }
    for (const money::BillLine& line : lines) {
        addLine(line);
    }
}

void TfmKaikei::addLine(const money::BillLine& line) {
    auto* item = new QTreeWidgetItem(ListViewKaikeiMeisai, {line.name, money::yenSign(line.yen)});
    item->setData(YenColumn, YenRole, line.yen);
    item->setTextAlignment(YenColumn, Qt::AlignRight | Qt::AlignVCenter);
}

void TfmKaikei::btnMeisaiAddClick() {
    const QString name = edtMeisaiNaiyou->text().trimmed();
    const std::optional<qint64> amount = edtMeisaiKingaku->yen();
    if (name.isEmpty() || !amount) {
        widgets::showMessage(this, QMessageBox::Warning, kaikei::KaikeiCaption,
                             QStringLiteral("明細の内容と金額（円の数、値引きはマイナス）を入れて"
                                            "ください。"));
        (name.isEmpty() ? static_cast<QWidget*>(edtMeisaiNaiyou) : edtMeisaiKingaku)->setFocus();
        return;
    }
    addLine({name, *amount});
    edtMeisaiNaiyou->clear();
    edtMeisaiKingaku->clear();
    showTotals();
}

void TfmKaikei::btnMeisaiDeleteClick() {
    delete ListViewKaikeiMeisai->currentItem();
    showTotals();
}

money::Method TfmKaikei::method() const {
    return money::AllMethods.at(static_cast<std::size_t>(cbShiharai->currentIndex()));
}

money::Payment TfmKaikei::payment() const {
    money::Payment payment;
    for (int at = 0; at < ListViewKaikeiMeisai->topLevelItemCount(); ++at) {
        const QTreeWidgetItem* item = ListViewKaikeiMeisai->topLevelItem(at);
        payment.lines.append({item->text(NameColumn), item->data(YenColumn, YenRole).toLongLong()});
    }
    payment.method = method();
    payment.taxIncluded = taxIncluded_;
    payment.paidAt = records::clock_source::now();
    const qint64 total = payment.taxed().total;
    // Not in cash, or in cash with nothing typed: the exact amount.
    payment.handedOver =
        method() == money::Method::Genkin ? edtAzukari->yen().value_or(total) : total;
    return payment;
}

void TfmKaikei::showTotals() {
    const money::Payment shown = payment();
    const money::TaxedTotal taxed = shown.taxed();
    lbKaikeiGoukei->setText(taxIncluded_
                                ? QStringLiteral("合計 %1（内消費税 %2% %3）")
                                      .arg(money::yenSign(taxed.total))
                                      .arg(money::TaxPercent)
                                      .arg(money::yenSign(taxed.tax))
                                : QStringLiteral("小計 %1　消費税 %2% %3　合計 %4")
                                      .arg(money::yenSign(shown.sum()))
                                      .arg(money::TaxPercent)
                                      .arg(money::yenSign(taxed.tax), money::yenSign(taxed.total)));
    const bool cash = method() == money::Method::Genkin;
    edtAzukari->setEnabled(cash);
    lbOturi->setText(cash && edtAzukari->yen() ? money::yenSign(shown.change()) : QString());
    btnMeisaiDelete->setEnabled(ListViewKaikeiMeisai->currentItem() != nullptr);
}

void TfmKaikei::accept() {
    const money::Payment paid = payment();
    const qint64 total = paid.taxed().total;
    QString wrong;
    if (paid.lines.isEmpty()) {
        wrong = QStringLiteral("明細がありません。");
    } else if (total < 0) {
        wrong = QStringLiteral("合計がマイナスです。明細を確かめてください。");
    } else if (method() == money::Method::Genkin && !edtAzukari->text().trimmed().isEmpty()) {
        // Left empty, the exact amount was handed over.
        const std::optional<qint64> handedOver = edtAzukari->yen();
        if (!handedOver) {
            wrong = QStringLiteral("お預かりの金額を円の数で入れてください。");
        } else if (*handedOver < total) {
            wrong =
                QStringLiteral("お預かりの金額が合計 %1 に足りません。").arg(money::yenSign(total));
        }
        if (!wrong.isEmpty()) {
            edtAzukari->setFocus();
        }
    }
    if (!wrong.isEmpty()) {
        widgets::showMessage(this, QMessageBox::Warning, kaikei::KaikeiCaption, wrong);
        return;
    }
    const bool written = widgets::runGuarded(this, [&] {
        // The details as they are now, so that nothing another window gave them meanwhile is lost.
        const records::LineDetails stored = lists_.detailsAt(RecordFile::Yoyaku, position_);
        booking::BookingDetails details = booking::BookingDetails::of(stored);
        details.status = booking::Status::Kanryou;
        lists_.setDetails(RecordFile::Yoyaku, position_, line_,
                          details.into(money::Payments::withAdded(stored, paid)));
    });
    if (written) {
        QDialog::accept();
    }
}

money::Receipt TfmKaikei::receipt() const {
    money::Receipt receipt;
    receipt.salonName = prices_.salonName;
    receipt.address = prices_.address;
    receipt.telephone = prices_.telephone;
    receipt.registrationNumber = prices_.registrationNumber;
    receipt.customer = records::sjis::toUnicode(records::Booking(line_).shimei()).trimmed();
    receipt.payment = payment();
    // A receipt printed again for a payment as it was recorded carries the day it was paid.
    if (payments_.isPaid()) {
        money::Payment unchanged = receipt.payment;
        unchanged.paidAt = payments_.current().paidAt;
        if (unchanged == payments_.current()) {
            receipt.payment = unchanged;
        }
    }
    receipt.date = receipt.payment.paidAt.date();
    return receipt;
}

void TfmKaikei::previewReceipt() {
    const printing::ReceiptSheet sheet(
        receipt(), static_cast<QPageSize::PageSizeId>(cbYoushi->currentData().toInt()));
    outputs_.preview(this, sheet);
}

void TfmKaikei::saveReceipt() {
    const money::Receipt shown = receipt();
    const printing::ReceiptSheet sheet(
        shown, static_cast<QPageSize::PageSizeId>(cbYoushi->currentData().toInt()));
    widgets::runGuarded(this, [&] {
        outputs_.save(this, QStringLiteral("領収書を PDF に保存"),
                      QStringLiteral("領収書_%1.pdf")
                          .arg(shown.payment.paidAt.toString(QStringLiteral("yyyyMMdd_HHmm"))),
                      QStringLiteral("PDF (*.pdf)"), [&sheet] { return printing::pdfOf(sheet); });
    });
}

namespace kaikei {

void runKaikei(QWidget* owner, records::RecordLists& lists, qsizetype position,
               const Outputs& outputs) {
    if (position < 0 || position >= lists.lines(RecordFile::Yoyaku).size()) {
        return;
    }
    TfmKaikei dialog(owner, lists, position, outputs);
    dialog.exec();
}

}  // namespace kaikei
