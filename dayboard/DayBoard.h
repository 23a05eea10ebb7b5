#pragma once

#include "records/DayBoardLayout.h"

#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QWidget>

namespace dayboard {

// What a block shows: "hh:mm 飼主/ペット", then style and status; a pet whose カルテ has flags
// has them as a badge before the title, "⚠噛む・高齢".
struct BlockText {
    QString title;
    QString detail;
    QString badge;  // the flags, empty without any
    bool cancelled = false;
};

// The day's bookings painted as blocks in the groomers' columns. A click selects a block; a
// double-click or Enter asks for its details (Up and Down step through the blocks in time order);
// dragging it into another column asks to give it to that column's groomer.
class TDayBoard : public QWidget {
    Q_OBJECT
public:
    static constexpr int TimeColumnWidth = 48;
    static constexpr int ColumnWidth = 150;
    static constexpr int HeaderHeight = 22;
    static constexpr int RowHeight = 16;

    explicit TDayBoard(QWidget* parent = nullptr);

    // `texts` holds one entry for each of the layout's blocks, in the same order. The selected
    // booking stays selected while it is still on the board.
    void setBoard(records::dayboard::Layout layout, QList<BlockText> texts);
    const records::dayboard::Layout& layout() const { return layout_; }
    const BlockText& blockText(qsizetype block) const { return texts_.at(block); }

    QRect blockRect(qsizetype block) const;
    // The block under `point`, the later one where blocks meet; -1 for none.
    qsizetype blockAt(QPoint point) const;
    // The column under `point`; -1 left of the columns or beyond them.
    int columnAt(QPoint point) const;
    qsizetype selectedBlock() const { return selected_; }
    // The position in the reservation list of the selected booking; -1 for none.
    qsizetype selectedPosition() const;

    QSize sizeHint() const override;

signals:
    void detailsRequested(qsizetype position);
    void dropped(qsizetype position, int column);
    void selectionChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int yOf(int minute) const;
    void paintGrid(QPainter& painter, const QRect& exposed) const;
    void paintBlock(QPainter& painter, qsizetype block) const;
    void select(qsizetype block);

    records::dayboard::Layout layout_;
    QList<BlockText> texts_;
    qsizetype selected_ = -1;
    QPoint pressedAt_;
    bool pressed_ = false;
    bool dragging_ = false;
    int dropColumn_ = -1;
};

}  // namespace dayboard
