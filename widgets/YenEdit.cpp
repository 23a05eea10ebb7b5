#include "widgets/YenEdit.h"

#include "records/Kaikei.h"

namespace widgets {

YenEdit::YenEdit(QWidget* parent, const char* objectName) : QLineEdit(parent) {
    setObjectName(QString::fromLatin1(objectName));
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setMaxLength(12);
}

std::optional<qint64> YenEdit::yen() const {
    return records::kaikei::yenOf(text());
}

void YenEdit::setYen(qint64 yen) {
    setText(records::kaikei::yenText(yen));
}

}  // namespace widgets
