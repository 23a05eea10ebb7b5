#include "mainwindow/YoyakuGrid.h"

#include "records/RecordFormat.h"

#include "widgets/Appearance.h"
#include "widgets/ContextMenuKey.h"
#include "widgets/ElidedTips.h"

#include <QAbstractButton>
#include <QAbstractTableModel>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QStyledItemDelegate>

#include <algorithm>
#include <array>

namespace mainwindow {
namespace {

const QString LineBreak = QStringLiteral("\r\n");
const QColor FixedText(Qt::white);
const QColor CellText(Qt::black);
const QColor StruckText(Qt::gray);

struct ColumnColors {
    QColor fixed;
    QColor cell;
};
const ColumnColors SundayColors{QColor(250, 67, 67), QColor(210, 151, 151)};
const ColumnColors SaturdayColors{QColor(74, 60, 213), QColor(152, 143, 231)};
const ColumnColors TodayColors{QColor(88, 177, 58), QColor(220, 250, 205)};
const ColumnColors OtherColors{QColor(97, 115, 220), widgets::Cream};
const QColor SelectedColor(255, 255, 111);

constexpr int SundayColumn = 1;
constexpr int SaturdayColumn = 7;

ColumnColors colorsOfColumn(int column, int today) {
    if (column == SundayColumn) {
        return SundayColors;
    }
    if (column == SaturdayColumn) {
        return SaturdayColors;
    }
    if (column == today) {
        return TodayColors;
    }
    return OtherColors;
}

// Draws the lines of a cell text from the inset corner; a line too wide for the cell ends in an
// ellipsis at the cell's right edge. The lines at `struckLines` are grey and struck through.
void drawCellText(QPainter& painter, const QRect& cell, const QString& text, const QColor& color,
                  int lineHeight, const QList<int>& struckLines = {}) {
    if (text.isEmpty()) {
        return;
    }
    const QRect area = cell.adjusted(TYoyakuGrid::TextInsetX, TYoyakuGrid::TextInsetY, 0, 0);
    if (area.width() <= 0 || area.height() <= 0) {
        return;
    }
    painter.save();
    painter.setClipRect(area);
    painter.setPen(color);
    const QFontMetrics metrics = painter.fontMetrics();
    QFont struckFont = painter.font();
    struckFont.setStrikeOut(true);
    const QFont plainFont = painter.font();
    int top = area.top();
    int number = 0;
    for (const QString& line : text.split(LineBreak)) {
        if (top > area.bottom()) {
            break;
        }
        const bool struck = struckLines.contains(number++);
        painter.setPen(struck ? StruckText : color);
        painter.setFont(struck ? struckFont : plainFont);
        const QRect lineRect(area.left(), top, area.width(), lineHeight);
        painter.drawText(
            lineRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
            metrics.elidedText(line.left(widgets::LongestShownLine), Qt::ElideRight, area.width()));
        top += lineHeight;
    }
    painter.restore();
}

QColor gridLineColor(const QWidget* widget) {
    QStyleOption option;
    option.initFrom(widget);
    return QColor::fromRgba(static_cast<QRgb>(
        widget->style()->styleHint(QStyle::SH_Table_GridLineColor, &option, widget)));
}

void paintFixedCell(QPainter& painter, const QWidget* widget, const QRect& rect, int column,
                    int row, const QString& text, int today, int lineHeight) {
    painter.fillRect(rect, yoyakuCellColor(column, row, false, today));
    drawCellText(painter, rect, text, FixedText, lineHeight);
    painter.setPen(gridLineColor(widget));
    painter.drawLine(rect.topRight(), rect.bottomRight());
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());
}

QString dayWithYear(const QDate& date) {
    return QStringLiteral("%1年%2月%3日(%4)")
        .arg(date.year())
        .arg(date.month())
        .arg(date.day())
        .arg(records::weekdayName(date));
}

}  // namespace

QColor yoyakuCellColor(int column, int row, bool selected, int today) {
    const bool fixed = column == 0 || row == 0;
    if (selected && !fixed) {
        return SelectedColor;
    }
    const ColumnColors colors = colorsOfColumn(column, today);
    return fixed ? colors.fixed : colors.cell;
}

QString dayHeader(const QDate& date) {
    return records::twoDigits(date.day()) + QStringLiteral("日(") + records::weekdayName(date) +
           QLatin1Char(')');
}

QString weekSpanText(const QDate& weekStart) {
    return dayWithYear(weekStart) + QStringLiteral("〜") + dayWithYear(weekStart.addDays(6));
}

QString monthHeader(const QDate& date) {
    return records::twoDigits(date.month()) + QStringLiteral("月");
}

QString hourLabel(int hour) {
    return records::twoDigits(hour) + QStringLiteral(" 時");
}

QList<int> dayColumnWidths(int available) {
    constexpr int Days = TYoyakuGrid::ColumnCount - 1;
    const int share = std::max(available / Days, int(TYoyakuGrid::DefaultColumnWidth));
    const int wider = share > TYoyakuGrid::DefaultColumnWidth ? available % Days : 0;
    QList<int> widths;
    for (int day = 0; day < Days; ++day) {
        widths.append(share + (day < wider ? 1 : 0));
    }
    return widths;
}

int yoyakuRowHeight(const QStringList& cellTexts, int lineHeight) {
    constexpr int Inset = 2 * TYoyakuGrid::TextInsetY;
    int height = TYoyakuGrid::DefaultRowHeight;
    for (const QString& text : cellTexts) {
        if (text.isEmpty()) {
            continue;
        }
        const int measured = static_cast<int>(text.count(LineBreak) + 1) * lineHeight;
        if (measured > TYoyakuGrid::DefaultRowHeight - Inset && measured > height - Inset) {
            height = measured + Inset;
        }
    }
    return height;
}

// The texts of all 8 x 18 cells; the fixed ones are served as header data.
class TYoyakuGrid::Model : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : RowCount - 1;
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : ColumnCount - 1;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole || !index.isValid()) {
            return {};
        }
        return text(index.column() + 1, index.row() + 1);
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (role != Qt::DisplayRole) {
            return {};
        }
        return orientation == Qt::Horizontal ? text(section + 1, 0) : text(0, section + 1);
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }

    const QString& text(int column, int row) const { return cells_[column][row]; }

    void setText(int column, int row, const QString& text) {
        cells_[column][row] = text;
        if (column == 0 && row == 0) {
            return;
        }
        if (row == 0) {
            emit headerDataChanged(Qt::Horizontal, column - 1, column - 1);
        } else if (column == 0) {
            emit headerDataChanged(Qt::Vertical, row - 1, row - 1);
        } else {
            const QModelIndex changed = index(row - 1, column - 1);
            emit dataChanged(changed, changed, {Qt::DisplayRole});
        }
    }

    const QList<int>& struckLines(int column, int row) const { return struck_[column][row]; }
    void strikeLine(int column, int row, int line) { struck_[column][row].append(line); }

    void clearDayCells() {
        for (int column = 1; column < ColumnCount; ++column) {
            for (int row = 1; row < RowCount; ++row) {
                cells_[column][row].clear();
                struck_[column][row].clear();
            }
        }
        emit dataChanged(index(0, 0), index(RowCount - 2, ColumnCount - 2), {Qt::DisplayRole});
    }

private:
    std::array<std::array<QString, RowCount>, ColumnCount> cells_;
    // The lines of each cell, by number from 0, drawn struck through.
    std::array<std::array<QList<int>, RowCount>, ColumnCount> struck_;
};

// The fixed row (horizontal) or the fixed column (vertical), painted like the fixed cells.
class TYoyakuGrid::Header : public QHeaderView {
public:
    Header(Qt::Orientation orientation, TYoyakuGrid* grid)
        : QHeaderView(orientation, grid), grid_(grid) {}

protected:
    void paintSection(QPainter* painter, const QRect& rect, int section) const override {
        const int column = orientation() == Qt::Horizontal ? section + 1 : 0;
        const int row = orientation() == Qt::Horizontal ? 0 : section + 1;
        QStyleOption option;
        option.rect = rect;
        grid_->StringGridYoyakuDrawCell(*painter, this, column, row, option);
    }

private:
    TYoyakuGrid* grid_;
};

class TYoyakuGrid::CellDelegate : public QStyledItemDelegate {
public:
    explicit CellDelegate(TYoyakuGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override {
        if (event == nullptr || event->type() != QEvent::ToolTip) {
            return QStyledItemDelegate::helpEvent(event, view, option, index);
        }
        const QString text = grid_->cellText(index.column() + 1, index.row() + 1);
        const int width = option.rect.width() - TextInsetX;
        const QStringList lines = text.split(LineBreak);
        const bool cut = std::any_of(lines.begin(), lines.end(), [&](const QString& line) {
            return widgets::isCutShort(grid_->fontMetrics(), line, width);
        });
        widgets::answerToolTip(*event, view->viewport(), text, cut);
        return true;
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        grid_->StringGridYoyakuDrawCell(*painter, grid_, index.column() + 1, index.row() + 1,
                                        option);
    }

private:
    TYoyakuGrid* grid_;
};

TYoyakuGrid::TYoyakuGrid(QWidget* parent) : QTableView(parent), model_(new Model(this)) {
    setObjectName(QStringLiteral("StringGridYoyaku"));
    setModel(model_);
    setItemDelegate(new CellDelegate(this));

    auto* top = new Header(Qt::Horizontal, this);
    top->setSectionResizeMode(QHeaderView::Interactive);
    top->setDefaultSectionSize(DefaultColumnWidth);
    top->setFixedHeight(DefaultRowHeight);
    top->setSectionsClickable(false);
    setHorizontalHeader(top);

    auto* left = new Header(Qt::Vertical, this);
    left->setSectionResizeMode(QHeaderView::Interactive);
    left->setMinimumSectionSize(1);
    left->setDefaultSectionSize(DefaultRowHeight);
    left->setFixedWidth(FixedColumnWidth);
    left->setSectionsClickable(false);
    setVerticalHeader(left);

    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setShowGrid(true);
    setWordWrap(false);
    setFrameShape(QFrame::NoFrame);
    setCornerButtonEnabled(false);
    QPalette colors = palette();
    colors.setColor(QPalette::Base, widgets::Cream);
    setPalette(colors);

    corner_ = findChild<QAbstractButton*>(QString(), Qt::FindDirectChildrenOnly);
    if (corner_ != nullptr) {
        corner_->installEventFilter(this);
    }
    connect(this, &QAbstractItemView::doubleClicked, this, &TYoyakuGrid::cellChosen);
}

QString TYoyakuGrid::cellText(int column, int row) const {
    if (column < 0 || column >= ColumnCount || row < 0 || row >= RowCount) {
        return {};
    }
    return model_->text(column, row);
}

void TYoyakuGrid::setCellText(int column, int row, const QString& text) {
    if (column < 0 || column >= ColumnCount || row < 0 || row >= RowCount) {
        return;
    }
    model_->setText(column, row, text);
    if (column == 0 && row == 0 && corner_ != nullptr) {
        corner_->update();
    }
}

void TYoyakuGrid::appendCellLine(int column, int row, const QString& line, bool struck) {
    const QString current = cellText(column, row);
    if (struck && column > 0 && column < ColumnCount && row > 0 && row < RowCount) {
        model_->strikeLine(column, row,
                           current.isEmpty() ? 0 : static_cast<int>(current.count(LineBreak)) + 1);
    }
    setCellText(column, row, current.isEmpty() ? line : current + LineBreak + line);
}

bool TYoyakuGrid::isCellLineStruck(int column, int row, int line) const {
    if (column < 1 || column >= ColumnCount || row < 1 || row >= RowCount) {
        return false;
    }
    return model_->struckLines(column, row).contains(line);
}

void TYoyakuGrid::clearCells() {
    model_->clearDayCells();
}

int TYoyakuGrid::currentColumn() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.column() + 1 : -1;
}

int TYoyakuGrid::currentRow() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() + 1 : -1;
}

void TYoyakuGrid::selectCell(int column, int row) {
    if (column < 1 || column >= ColumnCount || row < 1 || row >= RowCount) {
        selectionModel()->clear();
        return;
    }
    const QModelIndex cell = model_->index(row - 1, column - 1);
    selectionModel()->setCurrentIndex(cell, QItemSelectionModel::ClearAndSelect);
    scrollTo(cell);
}

void TYoyakuGrid::setTodayColumn(int weekday) {
    todayColumn_ = weekday;
    viewport()->update();
    horizontalHeader()->viewport()->update();
}

int TYoyakuGrid::lineHeight() const {
    // The cell font's pixel size is its line pitch, so one line fits the default row height.
    return font().pixelSize() > 0 ? font().pixelSize() : fontMetrics().height();
}

void TYoyakuGrid::resetRowHeights() {
    verticalHeader()->setFixedWidth(FixedColumnWidth);
    const int pitch = lineHeight();
    for (int row = 1; row < RowCount; ++row) {
        QStringList texts;
        for (int column = 1; column < ColumnCount; ++column) {
            texts.append(cellText(column, row));
        }
        setRowHeight(row - 1, yoyakuRowHeight(texts, pitch));
    }
}

bool TYoyakuGrid::eventFilter(QObject* watched, QEvent* event) {
    if (watched == corner_ && event->type() == QEvent::Paint) {
        paintCorner(corner_);
        return true;
    }
    return QTableView::eventFilter(watched, event);
}

void TYoyakuGrid::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    shareWidthAmongDays();
}

void TYoyakuGrid::shareWidthAmongDays() {
    const QList<int> widths = dayColumnWidths(viewport()->width());
    for (int day = 0; day < widths.size(); ++day) {
        setColumnWidth(day, widths.at(day));
    }
}

void TYoyakuGrid::keyPressEvent(QKeyEvent* event) {
    if (widgets::isContextMenuKey(*event)) {
        widgets::openContextMenuFromKeyboard(*this);
        event->accept();
        return;
    }
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && currentIndex().isValid()) {
        emit cellChosen();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void TYoyakuGrid::StringGridYoyakuDrawCell(QPainter& painter, const QWidget* on, int column,
                                           int row, const QStyleOption& option) const {
    painter.save();
    if (column == 0 || row == 0) {
        paintFixedCell(painter, on, option.rect, column, row, cellText(column, row), todayColumn_,
                       lineHeight());
    } else {
        const bool selected = option.state.testFlag(QStyle::State_Selected);
        painter.fillRect(option.rect, yoyakuCellColor(column, row, selected, todayColumn_));
        drawCellText(painter, option.rect, cellText(column, row), CellText, lineHeight(),
                     model_->struckLines(column, row));
        if (option.state.testFlag(QStyle::State_HasFocus)) {
            QStyleOptionFocusRect focus;
            focus.QStyleOption::operator=(option);
            focus.backgroundColor = SelectedColor;
            style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
        }
    }
    painter.restore();
}

void TYoyakuGrid::paintCorner(QAbstractButton* corner) {
    QPainter painter(corner);
    QStyleOption option;
    option.rect = corner->rect();
    StringGridYoyakuDrawCell(painter, corner, 0, 0, option);
}

}  // namespace mainwindow
