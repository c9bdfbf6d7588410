#pragma once
// The Code 39 symbol of a text, as bars to paint: on paper, in a PDF file and on screen. No
// Code 39 font is needed; the encoder (libzint) gives the bars and they are drawn as rectangles,
// so the symbol stays sharp at any resolution.

#include <QPainter>
#include <QRectF>
#include <QString>
#include <string>
#include <vector>

namespace qsp {

// The narrowest bar on paper: 29 twips, about 0.51 mm. At this width a wide element of twice the
// narrow one is within Code 39's ratio, and a 150 dpi scan still gives three dots per bar.
inline constexpr int kBarcodeModuleTwips = 29;

struct Code39Symbol {
    std::vector<QRectF> bars;  // x and width in modules; y 0 and height 1 (the symbol's height)
    int modules = 0;           // the symbol's width in modules, start and stop characters included
    QString error;             // why the text cannot be encoded (then there are no bars)

    bool ok() const { return modules > 0 && !bars.empty(); }
};

// The symbol of `data` (without the asterisks; the encoder adds the start and stop characters).
Code39Symbol EncodeCode39(const std::string& data);

// Paints the bars in black, the symbol's top-left corner at `topLeft`, each module `moduleWidth`
// wide and the bars `height` high (painter units).
void PaintCode39(QPainter& painter, const Code39Symbol& symbol, const QPointF& topLeft,
                 qreal moduleWidth, qreal height);

}  // namespace qsp
