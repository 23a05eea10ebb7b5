#include "records/CsvExport.h"
#include "records/CustomerRecord.h"
#include "records/RecordFormat.h"
#include "records/ReservationRecord.h"
#include "records/uLib.h"
#include "tests/support/CsvReader.h"
#include "tests/support/Files.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace records;
using testing_support::readBytes;
using testing_support::readCsv;
using testing_support::sjisOf;

namespace {

const QDate Today(2026, 12, 9);
const QByteArray Mark = QByteArrayLiteral("\xF9\xD3");

QList<QStringList> parsed(const QByteArray& csv) {
    QString error;
    const auto rows = readCsv(csv, &error);
    EXPECT_TRUE(rows.has_value()) << error.toStdString();
    return rows.value_or(QList<QStringList>());
}

QByteArray reservation(const char* nen, const char* tuki, const char* niti, const char* jikan) {
    QByteArrayList values(reservation_record::FieldCount);
    values[reservation_record::YoyakuNen] = nen;
    values[reservation_record::YoyakuTuki] = tuki;
    values[reservation_record::YoyakuNiti] = niti;
    values[reservation_record::YoyakuJikan] = jikan;
    values[reservation_record::YoyakuHun] = "15";
    values[reservation_record::Shimei] = sjisOf("山田 花子");
    values[reservation_record::PetName] = sjisOf("モモ");
    values[reservation_record::Shu] = sjisOf("犬");
    values[reservation_record::Shamp] = sjisOf("レギュラー");
    values[reservation_record::Style] = sjisOf("バリカン");
    values[reservation_record::SonotaHigeCut] = sjisOf("ヒゲカット");
    values[reservation_record::SonotaBikou] = sjisOf("耳掃除\r\n短め");
    return reservation_record::buildLine(values);
}

TEST(CsvExport, OpensWithByteOrderMarkAndEndsEveryRowWithCrLf) {
    const QByteArray csv = csv::customersCsv({sjisOf("ポチ\t犬")});
    EXPECT_TRUE(csv.startsWith("\xEF\xBB\xBF"));
    EXPECT_TRUE(csv.endsWith("\r\n"));
    EXPECT_EQ(csv.count("\r\n"), 2);
    EXPECT_EQ(csv.count('\n'), 2);  // no LF of its own
    EXPECT_EQ(csv.count('\r'), 2);
}

TEST(CsvExport, CustomerRowsEqualTheRecordFieldsWithTheMarksRemoved) {
    QByteArrayList values(customer_record::FieldCount);
    values[customer_record::PetName] = sjisOf("ポチ");
    values[customer_record::Shu] = sjisOf("犬");
    values[customer_record::Shimei] = sjisOf("山田 花子");
    values[customer_record::TelephoneNo] = "03-1234-5678";
    // A hand-edited line may hold a quoted field with commas, quotes and a TAB in it, and a mark
    // inside a longer text.
    const QByteArray handEdited = sjisOf("\"a,b\"\"c\td\"\tねこ") + Mark + sjisOf("です");
    const QByteArrayList lines = {customer_record::buildLine(values), handEdited};

    const QList<QStringList> rows = parsed(csv::customersCsv(lines));
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[0], (QStringList{"ペット名", "種類", "種 等", "ふりがな", "お名前", "〒", "住所",
                                    "住所2", "電話番号", "携帯電話"}));
    EXPECT_EQ(rows[1],
              (QStringList{"ポチ", "犬", "", "", "山田　花子", "", "", "", "03-1234-5678", ""}));
    EXPECT_EQ(rows[2], (QStringList{"a,b\"c\td", "ねこです", "", "", "", "", "", "", "", ""}));
}

TEST(CsvExport, ShortAndEmptyLinesKeepWhatTheyHaveInFileOrder) {
    const QByteArrayList lines = {"2026\t12", "", reservation("2026", "12", "08", "10"),
                                  "2026\t12\t08\t10\t00\tx\ty\tz\t1\t2\t3\t4\tp\tq\tr\ts\tt\tu\tv"
                                  "\tw\tpast-the-end"};
    const QList<QStringList> rows = parsed(csv::reservationsCsv(lines, Today));
    ASSERT_EQ(rows.size(), 5);
    ASSERT_EQ(rows[0].size(), 24);
    EXPECT_EQ(rows[0].first(), "日付");
    EXPECT_EQ(rows[0].mid(20), (QStringList{"備考", "担当", "所要時間", "状態"}));
    EXPECT_EQ(rows[1].mid(0, 4), (QStringList{"", "2026", "12", ""}));
    EXPECT_EQ(rows[1].mid(0, 21).join(QString()), "202612");
    EXPECT_EQ(rows[2].mid(0, 21).join(QString()), "");
    EXPECT_EQ(rows[3].first(), "2026-12-08");
    EXPECT_EQ(rows[4].at(20), "w");  // fields past the twentieth are not part of the record
    EXPECT_EQ(rows[4].size(), 24);
}

TEST(CsvExport, ReservationRowsEqualTheRecordFieldsAfterTheirDate) {
    const QByteArray line = reservation("2026", "12", "08", "10");
    const QList<QStringList> rows = parsed(csv::reservationsCsv({line}, Today));
    ASSERT_EQ(rows.size(), 2);
    const QByteArrayList fields = splitFields(line);
    ASSERT_EQ(fields.size(), reservation_record::FieldCount);
    QStringList expected = {"2026-12-08"};
    for (const QByteArray& field : fields) {
        expected.append(QString::fromUtf8(field == Mark ? "" : field));
    }
    expected += QStringList{"未定", "60", "予約"};  // a salon that keeps nothing
    // The expectation is built from the Shift-JIS bytes by hand for the non-ASCII fields.
    expected[1 + reservation_record::Shimei] = "山田　花子";
    expected[1 + reservation_record::PetName] = "モモ";
    expected[1 + reservation_record::Shu] = "犬";
    expected[1 + reservation_record::Shamp] = "レギュラー";
    expected[1 + reservation_record::Style] = "バリカン";
    expected[1 + reservation_record::SonotaHigeCut] = "ヒゲカット";
    expected[1 + reservation_record::SonotaBikou] = "耳掃除短め";
    EXPECT_EQ(rows[1], expected);
}

// The last three columns: the groomer, the minutes and the status each line has in the store, and
// for a line without details the usual time of its style and kind.
TEST(CsvExport, GroomerMinutesAndStatusFollowTheFields) {
    booking::BookingFacts facts;
    facts.settings.usualMinutes[static_cast<std::size_t>(booking::Style::Barikan)]
                               [static_cast<std::size_t>(booking::Kind::Dog)] = 45;
    booking::BookingDetails cancelled{QStringLiteral("=田中"), 90, booking::Status::MudanCancel};
    facts.details.insert(1, cancelled.into({}));
    booking::BookingDetails confirmed{{}, std::nullopt, booking::Status::Kakuninzumi};
    facts.details.insert(2, confirmed.into({}));
    QByteArray cat = reservation("2026", "12", "08", "11");
    cat.replace(sjisOf("\t犬\t"), sjisOf("\t猫\t"));
    const QList<QStringList> rows = parsed(csv::reservationsCsv(
        {reservation("2026", "12", "08", "10"), reservation("2026", "12", "08", "11"),
         reservation("2026", "12", "08", "12"), cat},
        Today, facts));
    ASSERT_EQ(rows.size(), 5);
    const struct {
        qsizetype row;
        QStringList last;
    } cases[] = {
        {1, {"未定", "45", "予約"}},
        {2, {"'=田中", "90", "無断キャンセル"}},  // a name cannot run as a formula either
        {3, {"未定", "45", "確認済"}},
        {4, {"未定", "60", "予約"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(rows[c.row].mid(21), c.last) << c.row;
    }
}

TEST(CsvExport, DateColumnOnlyForRealDates) {
    const QList<QStringList> rows = parsed(csv::reservationsCsv(
        {reservation("2026", "13", "01", "10"), reservation("2026", "02", "29", "10"),
         reservation("2028", "02", "29", "10"), reservation("26", "12", "24", "10"),
         reservation("2026/", "12", "24", "10")},
        Today));
    ASSERT_EQ(rows.size(), 6);
    EXPECT_EQ(rows[1].first(), "");
    EXPECT_EQ(rows[2].first(), "");
    EXPECT_EQ(rows[3].first(), "2028-02-29");
    EXPECT_EQ(rows[4].first(), "2026-12-24");  // two digits: the century of today, as the table
    EXPECT_EQ(rows[5].first(), "");
}

// A field that a spreadsheet would run as a formula is shown as text; nothing else changes.
TEST(CsvExport, AFieldThatStartsLikeAFormulaGetsAnApostrophe) {
    const struct {
        QByteArray field;  // as in the record line; quoted where it starts with a separator
        QString cell;
    } cases[] = {
        // clang-format off
        {"=1+2", "'=1+2"},
        {"+81-90", "'+81-90"},
        {"-5", "'-5"},
        {"@SUM(A1)", "'@SUM(A1)"},
        {"\"\tx\"", "'\tx"},
        {"\"\rx\"", "'\rx"},
        {"03-1", "03-1"},
        {"'=x", "'=x"},
        {sjisOf("＝1"), "＝1"},
        {Mark, ""},
        {Mark + "=", "'="},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field.toHex().toStdString());
        const QList<QStringList> rows =
            parsed(csv::reservationsCsv({"2026\t12\t08\t10\t" + c.field}, Today));
        ASSERT_EQ(rows.size(), 2);
        EXPECT_EQ(rows[1].mid(0, 6), (QStringList{"2026-12-08", "2026", "12", "08", "10", c.cell}));
    }
}

TEST(CsvRow, QuotesEveryFieldAndDoublesQuotes) {
    EXPECT_EQ(csv::csvRow({"a", "", "b\"c", "d,e"}), "\"a\",\"\",\"b\"\"c\",\"d,e\"\r\n");
}

TEST(ExportFile, ReplacesTheFileWhole) {
    QTemporaryDir folder;
    const QString path = folder.filePath("out.csv");
    testing_support::writeBytes(path, QByteArray(1000, 'x'));
    csv::writeExportFile(path, "short");
    EXPECT_EQ(readBytes(path), "short");
}

TEST(ExportFile, FolderThatIsMissingFailsWithTheFileNamed) {
    QTemporaryDir folder;
    const QString path = folder.filePath("missing/out.csv");
    try {
        csv::writeExportFile(path, "x");
        FAIL() << "no error";
    } catch (const FileError& error) {
        EXPECT_TRUE(error.message().contains(QDir::toNativeSeparators(path)));
    }
    EXPECT_FALSE(QFile::exists(path));
}

}  // namespace

namespace {

// A table the program worked out goes out in the lists' form, formula guard included.
TEST(CsvExport, ATableKeepsItsCellsAndGuardsThoseThatStartLikeAFormula) {
    const QByteArray csv = csv::tableCsv({{QStringLiteral("項目"), QStringLiteral("金額")},
                                          {QStringLiteral("=1+1"), QStringLiteral("-500")},
                                          {QStringLiteral("現金 \"A\""), QStringLiteral("1,000")}});
    EXPECT_TRUE(csv.startsWith("\xEF\xBB\xBF"));
    const auto rows = readCsv(csv);
    ASSERT_TRUE(rows);
    EXPECT_EQ(*rows,
              (QList<QStringList>{{"項目", "金額"}, {"'=1+1", "'-500"}, {"現金 \"A\"", "1,000"}}));
}

}  // namespace
