#include "workbench/qt_printout.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <algorithm>
#include <cmath>
#include <memory>

#include "base/qt_text.h"
#include "workbench/default_barcode_symbol.h"

namespace qsp {
namespace {

constexpr qreal kTwipsPerInch = 1440;
constexpr qreal kTwipsPerPoint = 20;

// The painter works in twips, so a font is sized in twips too (as pixels of that system).
QFont FontFor(const std::string& name, double points, bool bold) {
    QFont font(Q(name));
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(points * kTwipsPerPoint))));
    font.setBold(bold);
    // A listing is read as text too (copied, searched in a PDF): no ligatures, so "Off" stays
    // three letters. Any letter spacing turns them off.
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0.1);
    return font;
}

// Follows the operations' font and bold state, and calls `text` or `barcode` with the font each
// is printed in.
template <typename TextFn, typename BarcodeFn, typename PageFn>
void Walk(const PrintOperations& operations, TextFn text, BarcodeFn barcode, PageFn newPage) {
    std::string name = kPrintoutFont;
    double points = kPrintoutPoints;
    bool bold = false;
    for (const auto& op : operations) {
        switch (op.kind) {
            case PrintOperation::Kind::Font:
                name = op.text;
                points = op.points;
                break;
            case PrintOperation::Kind::Bold:
                bold = op.bold;
                break;
            case PrintOperation::Kind::Text:
                text(op, FontFor(name, points, bold));
                break;
            case PrintOperation::Kind::Barcode:
                barcode(op);
                break;
            case PrintOperation::Kind::NewPage:
                newPage();
                break;
        }
    }
}

qreal BarcodeHeight(const PrintOperation& op) {
    return op.points * kTwipsPerPoint;
}

// The size, in twips, that every page's content fits in.
QSizeF Extent(const PrintOperations& operations) {
    QSizeF extent;
    const auto grow = [&extent](qreal right, qreal bottom) {
        extent = extent.expandedTo(QSizeF(right, bottom));
    };
    Walk(
        operations,
        [&](const PrintOperation& op, const QFont& font) {
            const QFontMetricsF metrics(font);
            grow(op.x + metrics.horizontalAdvance(Q(op.text)),
                 op.y + std::max<qreal>(metrics.height(), kPrintoutLineHeight));
        },
        [&](const PrintOperation& op) {
            const Code39Symbol symbol = EncodeCode39(Code39Data(op.text));
            grow(op.x + symbol.modules * kBarcodeModuleTwips, op.y + BarcodeHeight(op));
        },
        [] {});
    return extent;
}

}  // namespace

bool PaintOperations(const PrintOperations& operations, QPagedPaintDevice& device) {
    QPainter painter;
    if (!painter.begin(&device)) return false;
    const qreal toDeviceX = device.logicalDpiX() / kTwipsPerInch;
    const qreal toDeviceY = device.logicalDpiY() / kTwipsPerInch;
    const QSizeF available(device.width() / toDeviceX, device.height() / toDeviceY);
    const QSizeF needed = Extent(operations);
    qreal fit = 1;
    if (needed.width() > available.width()) fit = available.width() / needed.width();
    if (needed.height() > available.height())
        fit = std::min(fit, available.height() / needed.height());
    painter.scale(toDeviceX * fit, toDeviceY * fit);
    painter.setPen(Qt::black);

    Walk(
        operations,
        [&](const PrintOperation& op, const QFont& font) {
            painter.setFont(font);
            const QFontMetricsF metrics(font);
            painter.drawText(QPointF(op.x, op.y + metrics.ascent()), Q(op.text));
        },
        [&](const PrintOperation& op) {
            const Code39Symbol symbol = EncodeCode39(Code39Data(op.text));
            PaintCode39(painter, symbol, QPointF(op.x, op.y), kBarcodeModuleTwips,
                        BarcodeHeight(op));
        },
        [&] { device.newPage(); });
    return painter.end();
}

bool PrintOperationsOn(const PrintTarget& target, const PrintOperations& operations,
                       const std::string& documentName) {
    if (!target.outputFile.empty() && target.pageWidthPoints <= 0) {
        return WritePdf(target.outputFile, operations, documentName);
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(Q(documentName));
    if (!target.outputFile.empty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(Q(target.outputFile));
    } else if (!target.printerName.empty()) {
        printer.setPrinterName(Q(target.printerName));
    }
    if (target.pageWidthPoints > 0 && target.pageHeightPoints > 0) {
        printer.setPageSize(
            QPageSize(QSizeF(target.pageWidthPoints, target.pageHeightPoints), QPageSize::Point));
    }
    printer.setPageOrientation(target.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    printer.setCopyCount(std::max(1, target.copies));
    if (!printer.isValid()) return false;
    return PaintOperations(operations, printer);
}

bool WritePdf(const std::filesystem::path& path, const PrintOperations& operations,
              const std::string& documentName) {
    QPdfWriter writer(Q(path.string()));
    writer.setTitle(Q(documentName));
    writer.setCreator("QSP");
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
    return PaintOperations(operations, writer);
}

}  // namespace qsp
