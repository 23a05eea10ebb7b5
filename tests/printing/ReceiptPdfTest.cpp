#include "printing/ReceiptSheet.h"
#include "printing/TakingsSheet.h"
#include "tests/support/PdfText.h"

#include <gtest/gtest.h>

namespace {

using namespace records::kaikei;
using testing_support::pdfPages;
using testing_support::withoutSpaces;

Receipt receipt(bool taxIncluded) {
    Receipt receipt;
    receipt.salonName = QStringLiteral("トリミングサロン ポチ");
    receipt.address = QStringLiteral("東京都港区芝1-2-3");
    receipt.telephone = QStringLiteral("03-1234-5678");
    receipt.registrationNumber = QStringLiteral("T1234567890123");
    receipt.customer = QStringLiteral("山田");
    receipt.date = QDate(2026, 12, 9);
    receipt.payment.lines = {{QStringLiteral("プードル・犬"), 6000},
                             {QStringLiteral("シャンプー（レギュラー）"), 1200},
                             {QStringLiteral("おやつ"), 300}};
    receipt.payment.method = Method::Genkin;
    receipt.payment.handedOver = 10000;
    receipt.payment.taxIncluded = taxIncluded;
    return receipt;
}

// What a qualified simplified invoice must carry, on A6 and on A4, with and without tax included.
TEST(ReceiptSheet, CarriesEveryFactOfAQualifiedSimplifiedInvoice) {
    struct Row {
        bool taxIncluded;
        QPageSize::PageSizeId size;
        QStringList amounts;
    };
    const Row rows[] = {
        {true, QPageSize::A6, {"10%対象（税込）¥7,500", "（内消費税等10%）¥681", "お釣り¥2,500"}},
        {true, QPageSize::A4, {"10%対象（税込）¥7,500", "（内消費税等10%）¥681"}},
        {false,
         QPageSize::A6,
         {"10%対象（税抜）¥7,500", "消費税等10%¥750", "合計¥8,250", "お釣り¥1,750"}},
    };
    for (const Row& row : rows) {
        const QStringList pages =
            pdfPages(printing::pdfOf(printing::ReceiptSheet(receipt(row.taxIncluded), row.size)));
        ASSERT_EQ(pages.size(), 1);
        const QString text = withoutSpaces(pages.first());
        for (const QString& fact :
             QStringList{"領収書", "山田様", "2026年12月09日", "トリミングサロンポチ",
                         "登録番号T1234567890123", "プードル・犬¥6,000",
                         "シャンプー（レギュラー）¥1,200", "おやつ¥300", "TEL03-1234-5678"} +
                 row.amounts) {
            EXPECT_TRUE(text.contains(fact)) << fact.toStdString() << " not in:\n"
                                             << text.toStdString();
        }
    }
}

TEST(TakingsSheet, ShowsEveryFigureOfThePeriod) {
    Takings takings;
    takings.paidVisits = 3;
    takings.total = 16500;
    takings.tax = 1500;
    takings.byMethod = {6600, 9900, 0, 0};
    takings.noShows = 2;
    const QStringList pages = pdfPages(printing::pdfOf(printing::TakingsSheet(
        QStringLiteral("2026年12月"), takings, QDateTime(QDate(2026, 12, 31), QTime(19, 0)))));
    ASSERT_EQ(pages.size(), 1);
    const QString text = withoutSpaces(pages.first());
    for (const char* figure : {"売上2026年12月", "会計済みの来店316,500", "うち消費税（10%）1,500",
                               "現金6,600", "カード9,900", "無断キャンセル2"}) {
        EXPECT_TRUE(text.contains(QString::fromUtf8(figure))) << figure << " not in:\n"
                                                              << text.toStdString();
    }
}

}  // namespace
