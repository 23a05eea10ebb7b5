#include "records/CsvExport.h"

#include "records/CustomerRecord.h"
#include "records/RecordFormat.h"
#include "records/ReservationRecord.h"
#include "records/Sjis.h"
#include "records/uLib.h"

#include <QDir>
#include <QSaveFile>
#include <QStringList>

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
    QStringLiteral("ヒゲカット"), QStringLiteral("爪切り"),     QStringLiteral("備考")};

// The first `count` fields of a line as shown text, marks removed; missing ones empty.
QStringList shownFields(const QByteArrayList& fields, int count) {
    QStringList shown;
    shown.reserve(count + 1);
    for (int position = 0; position < count; ++position) {
        shown.append(sjis::toUnicode(EmptyMarkDelete(fieldAt(fields, position))));
    }
    return shown;
}

QString isoDate(const QByteArrayList& fields, const QDate& today) {
    using namespace reservation;
    const auto date = validBookedDate(fieldAt(fields, YoyakuNen), fieldAt(fields, YoyakuTuki),
                                      fieldAt(fields, YoyakuNiti), today);
    return date ? date->toString(Qt::ISODate) : QString();
}

}  // namespace

QByteArray csvRow(const QStringList& fields) {
    QByteArray row;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            row.append(',');
        }
        row.append('"');
        row.append(fields.at(i).toUtf8().replace('"', "\"\""));
        row.append('"');
    }
    row.append("\r\n");
    return row;
}

QByteArray customersCsv(const QByteArrayList& customerLines) {
    QByteArray csv = ByteOrderMark + csvRow(CustomerHeader);
    for (const QByteArray& line : customerLines) {
        csv.append(csvRow(shownFields(splitFields(line), customer::FieldCount)));
    }
    return csv;
}

QByteArray reservationsCsv(const QByteArrayList& reservationLines, const QDate& today) {
    QByteArray csv = ByteOrderMark + csvRow(ReservationHeader);
    for (const QByteArray& line : reservationLines) {
        const QByteArrayList fields = splitFields(line);
        QStringList row = shownFields(fields, reservation::FieldCount);
        row.prepend(isoDate(fields, today));
        csv.append(csvRow(row));
    }
    return csv;
}

void writeExportFile(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        throw FileError(QStringLiteral("\"%1\" に書き込めません: %2")
                            .arg(QDir::toNativeSeparators(path), file.errorString()));
    }
}

}  // namespace records::csv
