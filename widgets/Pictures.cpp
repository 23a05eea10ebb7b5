#include "widgets/Pictures.h"

#include <QString>
#include <array>

namespace widgets {
namespace {

const std::array<QIcon, PictureCount>& pictures() {
    static const std::array<QIcon, PictureCount> icons = {
        QIcon(QStringLiteral(":/images/yoyaku.svg")),
        QIcon(QStringLiteral(":/images/touroku.svg")),
        QIcon(QStringLiteral(":/images/version.svg")),
        QIcon(QStringLiteral(":/images/dog.svg")),
        QIcon(QStringLiteral(":/images/cat.svg")),
        QIcon(QStringLiteral(":/images/other.svg")),
        QIcon(QStringLiteral(":/images/homepage.svg"))};
    return icons;
}

}  // namespace

QIcon picture(Picture which) {
    return picture(static_cast<int>(which));
}

QIcon picture(int index) {
    if (index < 0 || index >= PictureCount) {
        return {};
    }
    return pictures()[static_cast<std::size_t>(index)];
}

QIcon applicationIcon() {
    static const QIcon icon(QStringLiteral(":/trimbook.svg"));
    return icon;
}

}  // namespace widgets
