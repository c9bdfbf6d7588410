#include "workbench/default_barcode_symbol.h"

#include <zint.h>

#include <memory>

namespace qsp {

Code39Symbol EncodeCode39(const std::string& data) {
    Code39Symbol result;
    const std::unique_ptr<zint_symbol, void (*)(zint_symbol*)> symbol(ZBarcode_Create(),
                                                                      ZBarcode_Delete);
    if (!symbol) {
        result.error = "the barcode encoder is not available";
        return result;
    }
    symbol->symbology = BARCODE_CODE39;
    symbol->show_hrt = 0;  // the bars alone; the text is printed apart when wanted
    symbol->whitespace_width = 0;
    symbol->border_width = 0;
    symbol->output_options = BARCODE_NO_QUIET_ZONES;
    const int encoded =
        ZBarcode_Encode(symbol.get(), reinterpret_cast<const unsigned char*>(data.data()),
                        static_cast<int>(data.size()));
    if (encoded >= ZINT_ERROR || ZBarcode_Buffer_Vector(symbol.get(), 0) >= ZINT_ERROR ||
        symbol->vector == nullptr || symbol->width <= 0 || symbol->vector->width <= 0 ||
        symbol->vector->height <= 0) {
        result.error = QString::fromLatin1(symbol->errtxt);
        if (result.error.isEmpty()) result.error = "the text cannot be encoded";
        return result;
    }
    // The vector output counts its own units per module; bring it back to modules and to a
    // height of 1.
    const qreal unitsPerModule = symbol->vector->width / symbol->width;
    const qreal height = symbol->vector->height;
    for (const zint_vector_rect* r = symbol->vector->rectangles; r != nullptr; r = r->next) {
        if (r->colour > 0) continue;  // only the foreground's bars
        result.bars.emplace_back(r->x / unitsPerModule, r->y / height, r->width / unitsPerModule,
                                 r->height / height);
    }
    result.modules = symbol->width;
    return result;
}

void PaintCode39(QPainter& painter, const Code39Symbol& symbol, const QPointF& topLeft,
                 qreal moduleWidth, qreal height) {
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    for (const QRectF& bar : symbol.bars) {
        painter.drawRect(QRectF(topLeft.x() + bar.x() * moduleWidth, topLeft.y() + bar.y() * height,
                                bar.width() * moduleWidth, bar.height() * height));
    }
    painter.restore();
}

}  // namespace qsp
