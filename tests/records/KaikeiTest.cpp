#include "records/Kaikei.h"

#include "records/Clock.h"
#include "records/RecordLists.h"
#include "records/ReservationRecord.h"
#include "records/uLib.h"
#include "tests/support/Files.h"
#include "tests/support/FixedClock.h"
#include "tests/support/RecordLines.h"

#include <gtest/gtest.h>
#include <QTemporaryDir>

using namespace records::kaikei;
using records::LineDetails;
using records::RecordFile;
using records::booking::Kind;
using records::booking::Status;
using records::booking::Style;
namespace rr = records::reservation_record;

namespace {

QByteArray booked(const char* day, const char* style, const char* shu, const char* shamp = "",
                  bool higeCut = false, bool tumekiri = false) {
    return testing_support::recordLine(rr::FieldCount,
                                       {{rr::YoyakuNen, "2026"},
                                        {rr::YoyakuTuki, "12"},
                                        {rr::YoyakuNiti, day},
                                        {rr::YoyakuJikan, "10"},
                                        {rr::Shimei, "山田"},
                                        {rr::PetName, "ポチ"},
                                        {rr::Shu, shu},
                                        {rr::Shamp, shamp},
                                        {rr::Style, style},
                                        {rr::SonotaHigeCut, higeCut ? "ヒゲカット" : ""},
                                        {rr::SonotaTumekiri, tumekiri ? "爪切り" : ""}});
}

PriceSettings salonPrices() {
    PriceSettings prices;
    prices.prices[static_cast<std::size_t>(Style::Poodle)][static_cast<std::size_t>(Kind::Dog)] =
        6000;
    prices.prices[static_cast<std::size_t>(Style::Sonota)][static_cast<std::size_t>(Kind::Cat)] =
        4500;
    prices.extraPrices = {800, 500};
    prices.shampooPrices = {0, 1200, 1500};
    return prices;
}

TEST(KaikeiPrices, TheUsualPriceIsTheSumOfTheChosenServices) {
    struct Row {
        QByteArray line;
        qint64 usual;
        QStringList names;
    };
    const Row rows[] = {
        {booked("09", "プードル", "犬"), 6000, {"プードル・犬"}},
        {booked("09", "プードル", "犬", "レギュラー", true, true),
         6000 + 1200 + 800 + 500,
         {"プードル・犬", "シャンプー（レギュラー）", "ヒゲカット", "爪切り"}},
        // A style or shampoo the dialog does not offer counts as その他.
        {booked("09", "ライオン", "猫", "薬用", false, true),
         4500 + 1500 + 500,
         {"その他・猫", "シャンプー（その他）", "爪切り"}},
        {booked("09", "バリカン", "犬", "持込み"), 0, {"バリカン・犬", "シャンプー（持込み）"}},
    };
    const PriceSettings prices = salonPrices();
    for (const Row& row : rows) {
        EXPECT_EQ(prices.usualPriceOf(row.line), row.usual) << row.names.join(' ').toStdString();
        QStringList names;
        for (const BillLine& line : prices.serviceLines(row.line)) {
            names.append(line.name);
        }
        EXPECT_EQ(names, row.names);
    }
}

TEST(KaikeiPrices, AnOwnPriceReplacesTheSumOnOneLineAndKeepsOtherValues) {
    const QByteArray line = booked("09", "プードル", "犬", "レギュラー", true);
    const LineDetails others{{QStringLiteral("groomer"), QStringLiteral("鈴木")}};
    const PriceSettings prices = salonPrices();
    EXPECT_EQ(billOf(line, others, prices), prices.serviceLines(line));

    const LineDetails priced = withOwnPrice(others, 7000);
    EXPECT_EQ(priced.value(QStringLiteral("groomer")).toString(), QStringLiteral("鈴木"));
    EXPECT_EQ(ownPriceOf(priced), 7000);
    EXPECT_EQ(billOf(line, priced, prices),
              QList<BillLine>(
                  {{QStringLiteral("プードル・犬、シャンプー（レギュラー）、ヒゲカット"), 7000}}));
    EXPECT_EQ(withOwnPrice(priced, std::nullopt), others);
}

TEST(KaikeiPrices, SettingsComeBackFromTheStoreAndRefuseABadRegistrationNumber) {
    PriceSettings prices = salonPrices();
    prices.salonName = QStringLiteral("トリミングサロン ポチ");
    prices.address = QStringLiteral("東京都港区1-2-3");
    prices.telephone = QStringLiteral("03-1234-5678");
    prices.registrationNumber = QStringLiteral("T1234567890123");
    prices.taxIncluded = false;
    EXPECT_EQ(PriceSettings::fromBytes(prices.toBytes()), prices);
    EXPECT_EQ(PriceSettings::fromBytes(std::nullopt), PriceSettings{});
    EXPECT_TRUE(PriceSettings{}.taxIncluded);

    const std::pair<const char*, bool> numbers[] = {{"T1234567890123", true},
                                                    {"T123456789012", false},
                                                    {"T12345678901234", false},
                                                    {"t1234567890123", false},
                                                    {"1234567890123", false},
                                                    {"T123456789012X", false},
                                                    {"", false}};
    for (const auto& [number, valid] : numbers) {
        EXPECT_EQ(isRegistrationNumber(QString::fromLatin1(number)), valid) << number;
    }
}

TEST(KaikeiTax, TenPercentRoundedDownOncePerReceipt) {
    struct Row {
        qint64 sum;
        bool included;
        TaxedTotal expected;
    };
    const Row rows[] = {
        {11000, true, {1000, 11000}},
        {5500, true, {500, 5500}},
        {1099, true, {99, 1099}},  // 99.9 rounds down
        {109, true, {9, 109}},
        {0, true, {0, 0}},
        {10000, false, {1000, 11000}},
        {1099, false, {109, 1208}},  // 109.9 rounds down
        {9, false, {0, 9}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(taxedTotal(row.sum, row.included), row.expected)
            << row.sum << (row.included ? " included" : " added");
    }
    // Per receipt, not per line: two lines of 1,099 tax-exclusive give 219, not 2 × 109.
    Payment payment;
    payment.lines = {{QStringLiteral("a"), 1099}, {QStringLiteral("b"), 1099}};
    payment.taxIncluded = false;
    EXPECT_EQ(payment.taxed(), (TaxedTotal{219, 2417}));
}

TEST(KaikeiYen, TypedAmountsAreWholeYen) {
    const std::pair<const char*, std::optional<qint64>> rows[] = {
        {"5000", 5000},        {"5,000", 5000},           {" ¥12,345 ", 12345},
        {"-300", -300},        {"", std::nullopt},        {"50.5", std::nullopt},
        {"abc", std::nullopt}, {"12345678", std::nullopt}};
    for (const auto& [text, yen] : rows) {
        EXPECT_EQ(yenOf(QString::fromUtf8(text)), yen) << text;
    }
    EXPECT_EQ(yenText(1234567), QStringLiteral("1,234,567"));
    EXPECT_EQ(yenText(999), QStringLiteral("999"));
    EXPECT_EQ(yenText(-1000), QStringLiteral("-1,000"));
}

TEST(KaikeiPayments, ACorrectionIsANewVersionAndTheFirstStays) {
    Payment first;
    first.lines = {{QStringLiteral("プードル・犬"), 6000}};
    first.method = Method::Genkin;
    first.handedOver = 10000;
    first.paidAt = QDateTime(QDate(2026, 12, 9), QTime(11, 30));
    Payment corrected = first;
    corrected.lines.append({QStringLiteral("シャンプー"), 1500});
    corrected.method = Method::Card;
    corrected.handedOver = 7500;
    corrected.paidAt = QDateTime(QDate(2026, 12, 9), QTime(11, 45));

    const LineDetails others{{QStringLiteral("status"), QStringLiteral("完了")}};
    const LineDetails once = Payments::withAdded(others, first);
    const LineDetails twice = Payments::withAdded(once, corrected);
    const Payments payments = Payments::of(twice);
    ASSERT_EQ(payments.versions.size(), 2);
    EXPECT_EQ(payments.versions.at(0), first);
    EXPECT_EQ(payments.current(), corrected);
    EXPECT_EQ(payments.current().taxed(), (TaxedTotal{681, 7500}));
    EXPECT_EQ(first.change(), 4000);
    EXPECT_EQ(twice.value(QStringLiteral("status")).toString(), QStringLiteral("完了"));
    EXPECT_FALSE(Payments::of(others).isPaid());
}

class KaikeiTakings : public ::testing::Test {
protected:
    void TearDown() override { records::clock_source::set({}); }

    QTemporaryDir dir_;
    THonjitu honjitu_;
    records::RecordLists lists_{honjitu_, dir_.path()};
};

TEST_F(KaikeiTakings, AMonthAddsUpTheCurrentPaymentsAndCountsTheCancellations) {
    testing_support::standClockAt(QDateTime(QDate(2026, 12, 20), QTime(18, 0)));
    const QByteArrayList lines = {
        booked("01", "プードル", "犬"), booked("05", "バリカン", "犬"),
        booked("05", "プードル", "猫"), booked("12", "モンペ", "犬"),
        booked("31", "プードル", "犬"), booked("18", "プードル", "犬"),
        booked("19", "バリカン", "犬"),
        // Paid, but in November: outside the month.
        testing_support::recordLine(rr::FieldCount, {{rr::YoyakuNen, "2026"},
                                                     {rr::YoyakuTuki, "11"},
                                                     {rr::YoyakuNiti, "30"},
                                                     {rr::Style, "プードル"}})};
    testing_support::writeBytes(dir_.filePath(YoyakuFileName), testing_support::fileOf(lines));
    ASSERT_TRUE(lists_.YoyakuFileLoad());

    const auto pay = [](Method method, qint64 yen, bool included = true) {
        Payment payment;
        payment.lines = {{QStringLiteral("groom"), yen}};
        payment.method = method;
        payment.handedOver = yen;
        payment.taxIncluded = included;
        return payment;
    };
    const auto give = [this](qsizetype position, const LineDetails& details) {
        lists_.setDetails(RecordFile::Yoyaku, position,
                          lists_.lines(RecordFile::Yoyaku).at(position), details);
    };
    const LineDetails done =
        records::booking::BookingDetails{{}, std::nullopt, Status::Kanryou}.into({});
    give(0, Payments::withAdded(done, pay(Method::Genkin, 6600)));
    // Corrected from 3,000 in cash to 3,300 by card: only the correction counts.
    give(1, Payments::withAdded(Payments::withAdded(done, pay(Method::Genkin, 3000)),
                                pay(Method::Card, 3300)));
    give(2, Payments::withAdded(done, pay(Method::DenshiMoney, 5000, false)));  // 5,500 with tax
    give(3, Payments::withAdded(done, pay(Method::Sonota, 1099)));
    give(4, records::booking::BookingDetails{{}, std::nullopt, Status::MudanCancel}.into({}));
    give(5, records::booking::BookingDetails{{}, std::nullopt, Status::TouzitsuCancel}.into({}));
    give(6, records::booking::BookingDetails{{}, std::nullopt, Status::MudanCancel}.into({}));
    give(7, Payments::withAdded(done, pay(Method::Genkin, 9999)));

    Takings expected;
    expected.paidVisits = 4;
    expected.total = 6600 + 3300 + 5500 + 1099;
    expected.tax = 600 + 300 + 500 + 99;
    expected.byMethod = {6600, 3300, 5500, 1099};
    expected.byStyle = {3300, 6600 + 5500, 1099, 0};
    expected.noShows = 2;
    expected.lateCancellations = 1;
    EXPECT_EQ(takingsBetween(lists_, QDate(2026, 12, 1), QDate(2026, 12, 31)), expected);

    Takings fifth;
    fifth.paidVisits = 2;
    fifth.total = 3300 + 5500;
    fifth.tax = 300 + 500;
    fifth.byMethod = {0, 3300, 5500, 0};
    fifth.byStyle = {3300, 5500, 0, 0};
    EXPECT_EQ(takingsBetween(lists_, QDate(2026, 12, 5), QDate(2026, 12, 5)), fifth);

    const QList<QStringList> rows = takingsRows(expected);
    EXPECT_EQ(rows.at(1), QStringList({"会計済みの来店", "4", "16,499"}));
    EXPECT_EQ(rows.at(2), QStringList({"うち消費税（10%）", "", "1,499"}));
    EXPECT_EQ(rows.last(), QStringList({"当日キャンセル", "1", ""}));
}

}  // namespace
