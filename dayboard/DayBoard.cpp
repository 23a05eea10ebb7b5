#include "dayboard/DayBoard.h"

#include "records/RecordFormat.h"
#include "widgets/Appearance.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

namespace dayboard {
namespace {

const QColor GridLine(210, 204, 190);
const QColor HourLine(160, 152, 136);
const QColor HeaderBackground(236, 229, 210);
const QColor BlockBackground(198, 222, 247);
const QColor CancelledBackground(222, 222, 222);
const QColor CancelledText(128, 128, 128);
const QColor OverlapFrame(214, 64, 32);
const QColor DropBackground(255, 236, 170);
constexpr int BlockInset = 2;

QString timeText(int minute) {
    return records::twoDigits(minute / 60) + QLatin1Char(':') + records::twoDigits(minute % 60);
}

}  // namespace

TDayBoard::TDayBoard(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("GridHibetuYotei"));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TDayBoard::setBoard(records::dayboard::Layout layout, QList<BlockText> texts) {
    const qsizetype selectedPosition =
        selected_ >= 0 ? layout_.blocks.at(selected_).position : qsizetype(-1);
    layout_ = std::move(layout);
    texts_ = std::move(texts);
    selected_ = -1;
    for (qsizetype i = 0; i < layout_.blocks.size(); ++i) {
        if (layout_.blocks.at(i).position == selectedPosition) {
            selected_ = i;
        }
    }
    pressed_ = dragging_ = false;
    dropColumn_ = -1;
    setFixedSize(sizeHint());
    update();
    emit selectionChanged();
}

QSize TDayBoard::sizeHint() const {
    return {TimeColumnWidth + static_cast<int>(layout_.columns.size()) * ColumnWidth + 1,
            HeaderHeight + layout_.rowCount() * RowHeight + 1};
}

int TDayBoard::yOf(int minute) const {
    return HeaderHeight +
           (minute - layout_.firstMinute) * RowHeight / records::dayboard::RowMinutes;
}

QRect TDayBoard::blockRect(qsizetype block) const {
    const records::dayboard::Block& b = layout_.blocks.at(block);
    const int left = TimeColumnWidth + b.column * ColumnWidth;
    const int laneLeft = left + b.lane * ColumnWidth / b.laneCount;
    const int laneRight = left + (b.lane + 1) * ColumnWidth / b.laneCount;
    return QRect(QPoint(laneLeft + BlockInset, yOf(b.startMinute) + 1),
                 QPoint(laneRight - BlockInset, yOf(b.endMinute) - 1));
}

qsizetype TDayBoard::blockAt(QPoint point) const {
    for (qsizetype i = layout_.blocks.size() - 1; i >= 0; --i) {
        if (blockRect(i).contains(point)) {
            return i;
        }
    }
    return -1;
}

int TDayBoard::columnAt(QPoint point) const {
    if (point.x() < TimeColumnWidth) {
        return -1;
    }
    const int column = (point.x() - TimeColumnWidth) / ColumnWidth;
    return column < layout_.columns.size() ? column : -1;
}

void TDayBoard::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.setFont(font());
    paintGrid(painter, event->rect());
    for (qsizetype i = 0; i < layout_.blocks.size(); ++i) {
        if (blockRect(i).intersects(event->rect())) {
            paintBlock(painter, i);
        }
    }
}

void TDayBoard::paintGrid(QPainter& painter, const QRect& exposed) const {
    painter.fillRect(exposed, widgets::Cream);
    const int bottom = yOf(layout_.endMinute);
    if (dropColumn_ >= 0) {
        painter.fillRect(TimeColumnWidth + dropColumn_ * ColumnWidth, HeaderHeight, ColumnWidth,
                         bottom - HeaderHeight, DropBackground);
    }
    const int right = TimeColumnWidth + static_cast<int>(layout_.columns.size()) * ColumnWidth;
    painter.fillRect(0, 0, right, HeaderHeight, HeaderBackground);
    for (int minute = layout_.firstMinute; minute <= layout_.endMinute;
         minute += records::dayboard::RowMinutes) {
        const bool hour = minute % 60 == 0;
        painter.setPen(hour ? HourLine : GridLine);
        painter.drawLine(hour ? 0 : TimeColumnWidth, yOf(minute), right, yOf(minute));
        if (hour && minute < layout_.endMinute) {
            painter.setPen(Qt::black);
            painter.drawText(QRect(0, yOf(minute), TimeColumnWidth - 4, RowHeight),
                             Qt::AlignRight | Qt::AlignVCenter, timeText(minute));
        }
    }
    for (int column = 0; column <= layout_.columns.size(); ++column) {
        const int x = TimeColumnWidth + column * ColumnWidth;
        painter.setPen(HourLine);
        painter.drawLine(x, 0, x, bottom);
        if (column < layout_.columns.size()) {
            painter.setPen(Qt::black);
            painter.drawText(QRect(x, 0, ColumnWidth, HeaderHeight), Qt::AlignCenter,
                             layout_.columns.at(column));
        }
    }
    painter.setPen(HourLine);
    painter.drawLine(0, HeaderHeight, right, HeaderHeight);
}

void TDayBoard::paintBlock(QPainter& painter, qsizetype block) const {
    const QRect rect = blockRect(block);
    const BlockText& text = texts_.at(block);
    const bool overlapping = layout_.blocks.at(block).overlapping;
    painter.fillRect(rect, text.cancelled ? CancelledBackground : BlockBackground);
    QPen frame(overlapping ? OverlapFrame : HourLine, overlapping || block == selected_ ? 2 : 1);
    if (block == selected_) {
        frame.setColor(overlapping ? OverlapFrame : palette().color(QPalette::Highlight));
    }
    painter.setPen(frame);
    painter.drawRect(rect.adjusted(0, 0, -1, -1));
    painter.setPen(text.cancelled ? CancelledText : QColor(Qt::black));
    const QRect inside = rect.adjusted(3, 1, -3, -1);
    QString title = overlapping ? QStringLiteral("！") + text.title : text.title;
    if (!text.badge.isEmpty()) {
        title = QStringLiteral("⚠") + text.badge + QLatin1Char(' ') + title;
    }
    painter.drawText(inside, Qt::AlignLeft | Qt::AlignTop | Qt::TextWrapAnywhere,
                     title + QLatin1Char('\n') + text.detail);
}

qsizetype TDayBoard::selectedPosition() const {
    return selected_ >= 0 ? layout_.blocks.at(selected_).position : qsizetype(-1);
}

void TDayBoard::select(qsizetype block) {
    if (selected_ != block) {
        selected_ = block;
        update();
        emit selectionChanged();
    }
}

void TDayBoard::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    select(blockAt(event->position().toPoint()));
    pressed_ = selected_ >= 0;
    pressedAt_ = event->position().toPoint();
}

void TDayBoard::mouseMoveEvent(QMouseEvent* event) {
    if (!pressed_) {
        return;
    }
    const QPoint at = event->position().toPoint();
    if (!dragging_ && (at - pressedAt_).manhattanLength() >= QApplication::startDragDistance()) {
        dragging_ = true;
        setCursor(Qt::ClosedHandCursor);
    }
    if (dragging_ && columnAt(at) != dropColumn_) {
        dropColumn_ = columnAt(at);
        update();
    }
}

void TDayBoard::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !pressed_) {
        return;
    }
    const bool dropped = dragging_;
    pressed_ = dragging_ = false;
    dropColumn_ = -1;
    unsetCursor();
    update();
    const int column = columnAt(event->position().toPoint());
    if (dropped && selected_ >= 0 && column >= 0 && column != layout_.blocks.at(selected_).column) {
        emit this->dropped(layout_.blocks.at(selected_).position, column);
    }
}

void TDayBoard::mouseDoubleClickEvent(QMouseEvent* event) {
    const qsizetype block = blockAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && block >= 0) {
        select(block);
        emit detailsRequested(layout_.blocks.at(block).position);
    }
}

void TDayBoard::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && selected_ >= 0) {
        emit detailsRequested(layout_.blocks.at(selected_).position);
        return;
    }
    const qsizetype last = layout_.blocks.size() - 1;
    if (event->key() == Qt::Key_Down && last >= 0) {
        select(std::min(selected_ + 1, last));
        return;
    }
    if (event->key() == Qt::Key_Up && last >= 0) {
        select(std::max<qsizetype>(selected_ - 1, 0));
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace dayboard
