#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>

#include <optional>

namespace testing_support {

// Reads UTF-8 comma-separated text strictly by RFC 4180, as a spreadsheet would take it: an
// optional byte-order mark, records ended by CR LF, fields in double quotes with "" for one
// quote. Nothing when the text breaks a rule (a lone CR or LF outside quotes, a quote inside an
// unquoted field, text after a closing quote, a last record without CR LF, rows of unequal
// length), with the reason in `error`.
std::optional<QList<QStringList>> readCsv(const QByteArray& bytes, QString* error = nullptr);

}  // namespace testing_support
