#include "printing/Sheet.h"

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>

namespace printing {
namespace {
constexpr int PdfResolution = 300;
}

QByteArray pdfOf(const Sheet& sheet) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(PdfResolution);
        writer.setPageLayout(sheet.pageLayout());
        writer.setCreator(QStringLiteral("trimbook"));
        QPainter painter(&writer);
        sheet.paint(painter, writer);
    }
    return buffer.data();
}

}  // namespace printing
