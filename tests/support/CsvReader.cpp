#include "tests/support/CsvReader.h"

namespace testing_support {
namespace {

class Reader {
public:
    explicit Reader(const QByteArray& bytes) : bytes_(bytes) {
        if (bytes_.startsWith("\xEF\xBB\xBF")) {
            pos_ = 3;
        }
    }

    std::optional<QList<QStringList>> read(QString* error) {
        QList<QStringList> rows;
        while (pos_ < bytes_.size()) {
            QStringList row;
            for (;;) {
                std::optional<QByteArray> field = readField();
                if (!field) {
                    return fail(error, rows.size());
                }
                row.append(QString::fromUtf8(*field));
                if (at(',')) {
                    ++pos_;
                    continue;
                }
                if (at('\r') && pos_ + 1 < bytes_.size() && bytes_.at(pos_ + 1) == '\n') {
                    pos_ += 2;
                    break;
                }
                return fail(error, rows.size());
            }
            if (!rows.isEmpty() && rows.first().size() != row.size()) {
                return fail(error, rows.size());
            }
            rows.append(row);
        }
        return rows;
    }

private:
    bool at(char c) const { return pos_ < bytes_.size() && bytes_.at(pos_) == c; }

    std::optional<QByteArray> readField() {
        QByteArray field;
        if (!at('"')) {
            while (pos_ < bytes_.size() && !at(',') && !at('\r')) {
                if (at('"') || at('\n')) {
                    return std::nullopt;
                }
                field.append(bytes_.at(pos_++));
            }
            return field;
        }
        ++pos_;
        for (;;) {
            if (pos_ >= bytes_.size()) {
                return std::nullopt;
            }
            if (at('"')) {
                if (pos_ + 1 < bytes_.size() && bytes_.at(pos_ + 1) == '"') {
                    field.append('"');
                    pos_ += 2;
                    continue;
                }
                ++pos_;
                return field;
            }
            field.append(bytes_.at(pos_++));
        }
    }

    std::nullopt_t fail(QString* error, qsizetype row) const {
        if (error) {
            *error = QStringLiteral("record %1 breaks the format at byte %2").arg(row).arg(pos_);
        }
        return std::nullopt;
    }

    const QByteArray& bytes_;
    qsizetype pos_ = 0;
};

}  // namespace

std::optional<QList<QStringList>> readCsv(const QByteArray& bytes, QString* error) {
    return Reader(bytes).read(error);
}

}  // namespace testing_support
