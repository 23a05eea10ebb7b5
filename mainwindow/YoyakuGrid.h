#pragma once

#include <QColor>
#include <QDate>
#include <QString>
#include <QTableView>

class QAbstractButton;
class QPainter;
class QStyleOption;

namespace mainwindow {

// Background of one cell of the weekly table. `column` and `row` count the fixed column and the
// fixed row as 0; `today` is today's weekday number (1 = Sunday ... 7 = Saturday).
QColor yoyakuCellColor(int column, int row, bool selected, int today);

// Header texts: "05日(日)", "04月", "08 時" ... "24 時".
QString dayHeader(const QDate& date);
QString monthHeader(const QDate& date);
QString hourLabel(int hour);
// The week from `weekStart` with its years: "2026年12月27日(日)〜2027年1月2日(土)".
QString weekSpanText(const QDate& weekStart);

// Height of a row that holds these cell texts (lines separated by CR LF): the default height,
// or the tallest text's height plus its inset when that is more.
int yoyakuRowHeight(const QStringList& cellTexts, int lineHeight);

// Widths of the seven day columns in `available` pixels: equal shares, the first columns a pixel
// wider where the width does not divide evenly, and never narrower than the default width.
QList<int> dayColumnWidths(int available);

// The weekly table: 8 x 18 cells in the coordinates of a string grid, the fixed column 0 (hour
// labels) and the fixed row 0 (dates) being the view's headers, so they stay in view when the
// cells scroll.
class TYoyakuGrid : public QTableView {
    Q_OBJECT
public:
    static constexpr int ColumnCount = 8;
    static constexpr int RowCount = 18;
    static constexpr int DefaultColumnWidth = 80;
    static constexpr int DefaultRowHeight = 26;
    static constexpr int FixedColumnWidth = 50;
    static constexpr int TextInsetX = 15;
    static constexpr int TextInsetY = 7;

    explicit TYoyakuGrid(QWidget* parent = nullptr);

    QString cellText(int column, int row) const;
    void setCellText(int column, int row, const QString& text);
    // Adds a line to a cell, below the lines already there; a struck line (a cancelled booking)
    // is drawn grey and struck through.
    void appendCellLine(int column, int row, const QString& line, bool struck = false);
    // Whether the line at `line` (from 0) of the cell is drawn struck through.
    bool isCellLineStruck(int column, int row, int line) const;
    void clearCells();

    // The current cell in grid coordinates (days 1-7, hours 1-17), -1 when there is none.
    int currentColumn() const;
    int currentRow() const;
    // Makes (column, row) the only selected cell; a cell outside the days and hours selects none.
    void selectCell(int column, int row);

    // Today's weekday number, whose column is drawn green.
    int todayColumn() const { return todayColumn_; }
    void setTodayColumn(int weekday);

    // Back to the default row heights and fixed column width, then every row as tall as its
    // texts need.
    void resetRowHeights();
    // Line pitch of the cell texts.
    int lineHeight() const;

signals:
    // A day cell was double-clicked, or Enter was pressed on the current one.
    void cellChosen();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The day columns share the width of the cells whenever it changes.
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Paints cell (column, row) over whatever was drawn there, on the widget `on`: `option` gives
    // its rectangle and its state (selected, focused); the fixed row and column are painted as
    // fixed cells.
    void StringGridYoyakuDrawCell(QPainter& painter, const QWidget* on, int column, int row,
                                  const QStyleOption& option) const;
    void paintCorner(QAbstractButton* corner);
    void shareWidthAmongDays();

    class Model;
    class Header;
    class CellDelegate;
    Model* model_;
    QAbstractButton* corner_ = nullptr;
    int todayColumn_ = 0;
};

}  // namespace mainwindow
