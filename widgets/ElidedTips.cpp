#include "widgets/ElidedTips.h"

#include "widgets/Appearance.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QStyle>
#include <QToolTip>

namespace widgets {

bool isCutShort(const QFontMetrics& metrics, const QString& line, int width) {
    return line.size() > LongestShownLine || metrics.horizontalAdvance(line) > width;
}

void answerToolTip(const QHelpEvent& event, QWidget* over, const QString& text, bool cut) {
    if (cut) {
        QToolTip::showText(event.globalPos(), text, over);
    } else {
        QToolTip::hideText();
    }
}

bool ElidedTipDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                                  const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (event == nullptr || view == nullptr || event->type() != QEvent::ToolTip) {
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    }
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    answerToolTip(*event, view->viewport(), item.text, isTextCut(item, view));
    return true;
}

bool ElidedTipDelegate::isTextCut(const QStyleOptionViewItem& option, const QWidget* view) const {
    if (option.text.isEmpty()) {
        return false;
    }
    const QStyle* style = view->style();
    // The style draws the text inside its text rectangle, less a margin on either side.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, &option, view) + 1;
    const QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &option, view)
                           .adjusted(margin, 0, -margin, 0);
    if (!option.features.testFlag(QStyleOptionViewItem::WrapText)) {
        return isCutShort(option.fontMetrics, option.text, area.width());
    }
    const QRect needed =
        option.fontMetrics.boundingRect(QRect(area.topLeft(), QSize(area.width(), QWIDGETSIZE_MAX)),
                                        Qt::TextWrapAnywhere, option.text);
    return option.text.size() > LongestShownLine || needed.height() > area.height();
}

}  // namespace widgets
