#include "widgets/Appearance.h"

#include <QPalette>
#include <QPushButton>
#include <QStringList>
#include <QWidget>

namespace widgets {
namespace {
const QString FormFamily = QStringLiteral("ＭＳ Ｐゴシック");
const QString MenuFamily = QStringLiteral("MS UI Gothic");
const QStringList GothicStandIns = {QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"),
                                    QStringLiteral("Noto Sans CJK JP"),
                                    QStringLiteral("VL PGothic")};

QFont fontAt12Pixels(const QString& family) {
    QFont font(family);
    font.setPixelSize(12);
    return font;
}
}  // namespace

QFont formFont() {
    return fontAt12Pixels(FormFamily);
}
QFont menuFont() {
    return fontAt12Pixels(MenuFamily);
}

void applyFormLook(QWidget& window) {
    window.setFont(formFont());
    QPalette colors = window.palette();
    colors.setColor(QPalette::Window, Cream);
    window.setPalette(colors);
    window.setAutoFillBackground(true);
}

void installFontSubstitutes() {
    QFont::insertSubstitutions(FormFamily, GothicStandIns);
    QFont::insertSubstitutions(MenuFamily, GothicStandIns);
}

QPushButton* plainButton(QWidget* parent, const char* objectName, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(objectName));
    button->setAutoDefault(false);
    return button;
}

}  // namespace widgets
