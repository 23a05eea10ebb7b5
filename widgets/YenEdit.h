#pragma once

#include <QLineEdit>

#include <optional>

namespace widgets {

// A line edit for an amount of yen: right-aligned, shown with thousands separators, and read as
// a whole number (commas and a leading ¥ allowed).
class YenEdit : public QLineEdit {
    Q_OBJECT
public:
    YenEdit(QWidget* parent, const char* objectName);

    // Nothing when the text is not a whole number of yen.
    std::optional<qint64> yen() const;
    void setYen(qint64 yen);
};

}  // namespace widgets
