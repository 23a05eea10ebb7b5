#include "printing/ReceiptSheet.h"

#include "printing/SheetText.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>

#include <utility>

namespace printing {
namespace {

namespace kaikei = records::kaikei;

// Writes rows down the page: text on the left, an amount on the right, at one size.
class Rows {
public:
    Rows(QPainter& painter, const QPaintDevice& device, double scale)
        : painter_(painter), device_(device), scale_(scale) {}

    void gap(double millimetres) { y_ += mm(device_, millimetres * scale_); }
    void centred(const QString& text, double points, bool bold = false) {
        const QFontMetricsF metrics = use(points, bold);
        painter_.drawText(
            QPointF((device_.width() - metrics.horizontalAdvance(text)) / 2, y_ + metrics.ascent()),
            text);
        y_ += metrics.height();
    }
    // The left text wraps when it would run into the amount.
    void row(const QString& left, const QString& right, double points = 9, bool bold = false) {
        const QFontMetricsF metrics = use(points, bold);
        const double rightWidth = metrics.horizontalAdvance(right);
        const QStringList lines =
            wrapText(left, painter_.font(), device_, device_.width() - rightWidth - mm(device_, 3));
        const double top = y_;
        for (const QString& line : lines.isEmpty() ? QStringList{QString()} : lines) {
            painter_.drawText(QPointF(0, y_ + metrics.ascent()), line);
            y_ += metrics.height();
        }
        painter_.drawText(QPointF(device_.width() - rightWidth, top + metrics.ascent()), right);
    }
    void rule() {
        painter_.drawLine(QPointF(0, y_), QPointF(device_.width(), y_));
        gap(1);
    }

private:
    QFontMetricsF use(double points, bool bold) {
        painter_.setFont(sheetFont(points * scale_, bold));
        return QFontMetricsF(painter_.font(), &device_);
    }

    QPainter& painter_;
    const QPaintDevice& device_;
    double scale_;
    double y_ = 0;
};

}  // namespace

ReceiptSheet::ReceiptSheet(kaikei::Receipt receipt, QPageSize::PageSizeId size)
    : receipt_(std::move(receipt)), size_(size) {}

QPageLayout ReceiptSheet::pageLayout() const {
    return QPageLayout(QPageSize(size_), QPageLayout::Portrait, QMarginsF(8, 8, 8, 8),
                       QPageLayout::Millimeter);
}

void ReceiptSheet::paint(QPainter& painter, QPagedPaintDevice& device) const {
    // A6 is the receipt printer's size; on A4 the same receipt is drawn larger.
    const double scale = size_ == QPageSize::A6 ? 1.0 : 1.6;
    const kaikei::Payment& payment = receipt_.payment;
    const kaikei::TaxedTotal taxed = payment.taxed();
    Rows rows(painter, device, scale);
    rows.centred(QStringLiteral("領収書"), 16, true);
    rows.gap(3);
    rows.row(receipt_.customer.isEmpty() ? QString() : receipt_.customer + QStringLiteral(" 様"),
             longDate(receipt_.date), 10);
    rows.gap(2);
    rows.centred(kaikei::yenSign(taxed.total) + QStringLiteral(" -"), 16, true);
    rows.centred(QStringLiteral("上記正に領収いたしました"), 8);
    rows.gap(3);
    rows.rule();
    for (const kaikei::BillLine& line : payment.lines) {
        rows.row(line.name, kaikei::yenSign(line.yen));
    }
    rows.rule();
    const QString rate = QStringLiteral("%1%対象").arg(kaikei::TaxPercent);
    if (payment.taxIncluded) {
        rows.row(rate + QStringLiteral("（税込）"), kaikei::yenSign(taxed.total), 9, true);
        rows.row(QStringLiteral("（内消費税等 %1%）").arg(kaikei::TaxPercent),
                 kaikei::yenSign(taxed.tax));
    } else {
        rows.row(rate + QStringLiteral("（税抜）"), kaikei::yenSign(payment.sum()), 9, true);
        rows.row(QStringLiteral("消費税等 %1%").arg(kaikei::TaxPercent),
                 kaikei::yenSign(taxed.tax));
        rows.row(QStringLiteral("合計"), kaikei::yenSign(taxed.total), 9, true);
    }
    rows.row(QStringLiteral("お支払い（%1）").arg(kaikei::methodCaption(payment.method)),
             kaikei::yenSign(payment.handedOver));
    if (payment.method == kaikei::Method::Genkin) {
        rows.row(QStringLiteral("お釣り"), kaikei::yenSign(payment.change()));
    }
    rows.gap(4);
    rows.row(receipt_.salonName, QString(), 10, true);
    rows.row(receipt_.address, QString(), 8);
    if (!receipt_.telephone.isEmpty()) {
        rows.row(QStringLiteral("TEL ") + receipt_.telephone, QString(), 8);
    }
    if (!receipt_.registrationNumber.isEmpty()) {
        rows.row(QStringLiteral("登録番号 ") + receipt_.registrationNumber, QString(), 8);
    }
}

}  // namespace printing
