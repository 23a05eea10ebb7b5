#pragma once

#include <QDate>
#include <QDateTime>
#include <QFont>
#include <QList>
#include <QRectF>
#include <QString>
#include <QStringList>

class QPaintDevice;
class QPainter;

// What both sheets share: the font, wrapping text into lines that fit a width, the lines of a
// cell that go onto one page, the page header and footer.
namespace printing {

// Millimetres in the device's pixels.
double mm(const QPaintDevice& device, double millimetres);

// The Japanese Gothic font at `points`.
QFont sheetFont(double points, bool bold = false);

// `text` broken into lines no wider than `width` on `device`: at line breaks, between words,
// or anywhere when a word is wider. An empty text gives no line.
QStringList wrapText(const QString& text, const QFont& font, const QPaintDevice& device,
                     double width);

// The lines of a cell that may be spread over several pages. Each entry starts a new line;
// a page cuts the cell before an entry that would not fit whole, unless that entry is the
// first on the page, which then continues on the next.
class FlowingLines {
public:
    void addEntry(const QStringList& lines);
    qsizetype remaining() const { return lines_.size() - next_; }
    // The next lines that go into `room` lines, at least one while any remain.
    QStringList take(qsizetype room);

private:
    QStringList lines_;
    QList<bool> startsEntry_;
    qsizetype next_ = 0;
};

// Draws `lines` from the top left of `area`, one line spacing apart.
void drawLines(QPainter& painter, const QRectF& area, const QStringList& lines);

// A date as 2026年12月06日(日).
QString longDate(const QDate& date);
// A date as 12/06(日).
QString shortDate(const QDate& date);

// The title and dates at the top left, the printing date at the top right; returns the height.
double drawPageHeader(QPainter& painter, const QPaintDevice& device, const QString& title,
                      const QDateTime& printedAt);
// "page / pages" at the bottom right, and `note` at the bottom left.
void drawPageFooter(QPainter& painter, const QPaintDevice& device, int page, int pages,
                    const QString& note = {});
// The height the footer takes.
double footerHeight(const QPaintDevice& device);

}  // namespace printing
