#pragma once

#include <QStyledItemDelegate>

class QFontMetrics;
class QHelpEvent;
class QString;
class QWidget;

// A cell or an item whose text is cut with an ellipsis shows its whole text as a tooltip.
namespace widgets {

// Whether `line`, drawn on one line `width` pixels wide, loses characters to an ellipsis (or to
// the longest length shown at all).
bool isCutShort(const QFontMetrics& metrics, const QString& line, int width);

// Answers a tooltip request: the whole `text` when it is `cut`, otherwise no tooltip at all.
void answerToolTip(const QHelpEvent& event, QWidget* over, const QString& text, bool cut);

// The item views' usual drawing; a tooltip with the whole text for an item drawn cut short.
class ElidedTipDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

private:
    bool isTextCut(const QStyleOptionViewItem& option, const QWidget* view) const;
};

}  // namespace widgets
