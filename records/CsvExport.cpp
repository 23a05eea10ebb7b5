#include "records/CsvExport.h"

#include "records/RecordViews.h"
#include "records/Sjis.h"
#include "records/uLib.h"

#include <QDir>
#include <QSaveFile>
#include <QStringList>

#include <sys/stat.h>

namespace records::csv {
namespace {

const QByteArray ByteOrderMark = QByteArrayLiteral("\xEF\xBB\xBF");

// The customer registration dialog's labels; the kind buttons and the second address line have
// none of their own there.
const QStringList CustomerHeader = {QStringLiteral("ペット名"), QStringLiteral("種類"),
                                    QStringLiteral("種 等"),    QStringLiteral("ふりがな"),
                                    QStringLiteral("お名前"),   QStringLiteral("〒"),
                                    QStringLiteral("住所"),     QStringLiteral("住所2"),
                                    QStringLiteral("電話番号"), QStringLiteral("携帯電話")};

// The reservation dialog's labels, group captions and check box captions, in record order.
const QStringList ReservationHeader = {
    QStringLiteral("日付"),       QStringLiteral("年"),         QStringLiteral("月"),
    QStringLiteral("日"),         QStringLiteral("時"),         QStringLiteral("分"),
    QStringLiteral("ふりがな"),   QStringLiteral("お名前"),     QStringLiteral("〒"),
    QStringLiteral("住所"),       QStringLiteral("住所2"),      QStringLiteral("電話番号"),
    QStringLiteral("携帯電話"),   QStringLiteral("ペット名"),   QStringLiteral("種類"),
    QStringLiteral("種 等"),      QStringLiteral("シャンプー"), QStringLiteral("スタイル"),
    QStringLiteral("ヒゲカット"), QStringLiteral("爪切り"),     QStringLiteral("備考"),
    QStringLiteral("担当"),       QStringLiteral("所要時間"),   QStringLiteral("状態")};

void appendQuoted(QByteArray& row, const QByteArray& utf8) {
    row.append('"');
    if (utf8.contains('"')) {
        row.append(QByteArray(utf8).replace('"', "\"\""));
    } else {
        row.append(utf8);
    }
    row.append('"');
}

// A record's text as a cell a spreadsheet shows as text: one that starts like a formula (or with
// a TAB or CR, which some spreadsheets skip before one) gets a leading apostrophe, so that a
// field cannot run as a formula when the file is opened.
QByteArray textCell(const QByteArray& utf8) {
    static const QByteArray FormulaStarts = QByteArrayLiteral("=+-@\t\r");
    return !utf8.isEmpty() && FormulaStarts.contains(utf8.front()) ? '\'' + utf8 : utf8;
}

// A row of every field of a record's line, marks removed, missing ones empty, after `leading`
// (already UTF-8) and before `trailing`. Bytes all the way: a long list is exported in a few
// seconds.
template <typename View>
void appendRow(QByteArray& csv, const View& view, const QByteArray& leading = {},
               bool hasLeading = false, const QStringList& trailing = {}) {
    using Field = typename View::Field;
    if (hasLeading) {
        appendQuoted(csv, leading);
    }
    for (int position = 0; position < Field::FieldCount; ++position) {
        if (hasLeading || position > 0) {
            csv.append(',');
        }
        appendQuoted(csv,
                     textCell(records::sjis::toUtf8(view.shown(static_cast<Field>(position)))));
    }
    for (const QString& cell : trailing) {
        csv.append(',');
        appendQuoted(csv, textCell(cell.toUtf8()));
    }
    csv.append("\r\n");
}

QByteArray isoDate(const Booking& booking, const QDate& today) {
    const auto date = booking.validBookedDate(today);
    return date ? date->toString(Qt::ISODate).toLatin1() : QByteArray();
}

}  // namespace

QByteArray csvRow(const QStringList& fields) {
    QByteArray row;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            row.append(',');
        }
        appendQuoted(row, fields.at(i).toUtf8());
    }
    row.append("\r\n");
    return row;
}

QByteArray tableCsv(const QList<QStringList>& rows) {
    QByteArray csv = ByteOrderMark;
    for (const QStringList& row : rows) {
        for (qsizetype at = 0; at < row.size(); ++at) {
            if (at > 0) {
                csv.append(',');
            }
            appendQuoted(csv, textCell(row.at(at).toUtf8()));
        }
        csv.append("\r\n");
    }
    return csv;
}

QByteArray customersCsv(const QByteArrayList& customerLines) {
    QByteArray csv = ByteOrderMark + csvRow(CustomerHeader);
    for (const QByteArray& line : customerLines) {
        appendRow(csv, Customer(line));
    }
    return csv;
}

QByteArray reservationsCsv(const QByteArrayList& reservationLines, const QDate& today,
                           const booking::BookingFacts& facts) {
    QByteArray csv = ByteOrderMark + csvRow(ReservationHeader);
    for (qsizetype position = 0; position < reservationLines.size(); ++position) {
        const Booking booking(reservationLines.at(position));
        appendRow(csv, booking, isoDate(booking, today), true, facts.shownAt(position, booking));
    }
    return csv;
}

void writeExportFile(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    // Owner-only like the record files it copies from, also where it replaces a file that was
    // not: the new file takes the place of the old one, with the mode set here.
    if (!file.open(QIODevice::WriteOnly) || ::fchmod(file.handle(), S_IRUSR | S_IWUSR) != 0 ||
        file.write(bytes) != bytes.size() || !file.commit()) {
        throw FileError(QStringLiteral("\"%1\" に書き込めません: %2")
                            .arg(QDir::toNativeSeparators(path), file.errorString()));
    }
}

}  // namespace records::csv
