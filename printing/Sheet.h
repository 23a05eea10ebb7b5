#pragma once

#include <QByteArray>
#include <QPageLayout>

class QPagedPaintDevice;
class QPainter;

namespace printing {

// A printed sheet: its page layout, and its pages painted on a device already set to that
// layout (a printer or a PDF writer), with `painter` begun on it.
class Sheet {
public:
    virtual ~Sheet() = default;
    virtual QPageLayout pageLayout() const = 0;
    virtual void paint(QPainter& painter, QPagedPaintDevice& device) const = 0;
};

// The sheet as a PDF document, its fonts embedded.
QByteArray pdfOf(const Sheet& sheet);

}  // namespace printing
