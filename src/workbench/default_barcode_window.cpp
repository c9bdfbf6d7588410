#include "workbench/default_barcode_window.h"

#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>

#include "base/qt_text.h"
#include "base/window_style.h"
#include "catalogue/catalogue_text.h"
#include "workbench/default_barcode_symbol.h"
#include "workbench/printout.h"
#include "workbench/qt_printout.h"

namespace qsp {
namespace {

constexpr int kDesignWidth = 480;
constexpr int kDesignHeight = 300;
constexpr int kScreenModule = 2;  // pixels per module on screen

// The default barcode as a scanner would read it off the screen.
class SymbolView : public QWidget {
public:
    SymbolView(const std::string& data, QWidget* parent)
        : QWidget(parent), symbol_(EncodeCode39(data)) {
        setAutoFillBackground(true);
        QPalette palette = this->palette();
        palette.setColor(QPalette::Window, Qt::white);
        setPalette(palette);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        if (!symbol_.ok()) return;
        QPainter painter(this);
        const qreal module =
            std::max<qreal>(1, std::min<qreal>(kScreenModule, (width() - 8.0) / symbol_.modules));
        const qreal symbolWidth = module * symbol_.modules;
        const QPointF topLeft((width() - symbolWidth) / 2, 6);
        PaintCode39(painter, symbol_, topLeft, module, height() - 12);
    }

private:
    Code39Symbol symbol_;
};

}  // namespace

DefaultBarcodeWindow::DefaultBarcodeWindow(Prompt& prompt, const InterfaceText& text,
                                           QWidget* parent)
    : QDialog(parent), prompt_(prompt) {
    const CatalogueText translate(text.language());
    setWindowTitle(Q(translate(kCaption)));
    setObjectName("DefaultBarcodeWindow");
    resize(kDesignWidth, kDesignHeight);
    auto* focusColours = new FocusColours(this);

    const int tops[4] = {12, 40, 84, 112};
    const int heights[4] = {24, 40, 24, 40};
    for (int i = 0; i < 4; ++i) {
        auto* label = new QLabel(Q(text.LoadText(203 + i)), this);
        label->setObjectName(QString("Label2_%1").arg(i));
        label->setGeometry(16, tops[i], kDesignWidth - 32, heights[i]);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        if (text.Japanese()) ApplyJapaneseFont(label);
        label2_[i] = label;
    }

    auto* symbol = new SymbolView(Code39Data(kDefaultBarcodeText), this);
    symbol->setObjectName("Barcode");
    symbol->setGeometry(16, 162, 300, 76);

    label1_ = new QLabel(kDefaultBarcodeText, this);
    label1_->setObjectName("Label1");
    label1_->setGeometry(16, 242, 300, 28);
    label1_->setAlignment(Qt::AlignCenter);
    QFont arial("Arial");
    arial.setPointSize(14);
    label1_->setFont(arial);

    command1_ = new QPushButton(Q(translate("Print Out")), this);
    command1_->setObjectName("Command1");
    command1_->setGeometry(336, 200, 128, 38);
    focusColours->Watch(command1_);
    connect(command1_, &QPushButton::clicked, this, &DefaultBarcodeWindow::PrintOut);
    command1_->setDefault(true);

    SaveLayout(this, QSize(kDesignWidth, kDesignHeight));
}

void DefaultBarcodeWindow::PrintOut() {
    const auto target = prompt_.PrintDialog("");
    if (!target) return;
    PrintOperationsOn(*target, DefaultBarcodeOperations(S(label1_->text())), "Default");
    accept();
}

void DefaultBarcodeWindow::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    ScaleLayout(this);
}

void ShowUpdateSuccessWindow(Prompt& prompt, const InterfaceText& text, QWidget* parent) {
    DefaultBarcodeWindow window(prompt, text, parent);
    window.exec();
}

}  // namespace qsp
