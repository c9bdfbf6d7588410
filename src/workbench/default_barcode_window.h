#pragma once
// The "Update Success !" window shown after a successful firmware update: how to finish the
// update (unplug and re-plug the cable, print the default barcode, scan it), the default barcode
// itself, and Print Out, which prints the default-barcode sheet and closes the window.

#include <QDialog>
#include <array>
#include <string>

#include "base/interface_text.h"
#include "base/prompt.h"

class QLabel;
class QPushButton;

namespace qsp {

class DefaultBarcodeWindow : public QDialog {
public:
    static constexpr const char* kCaption = "Update Success !";

    DefaultBarcodeWindow(Prompt& prompt, const InterfaceText& text, QWidget* parent = nullptr);

    // Print Out: the print dialog, then the sheet ("Default" and the barcode) on the chosen
    // printer, then the window closes. A cancelled dialog prints nothing and the window stays.
    void PrintOut();

    QLabel* ProcedureLabel(int index) const { return label2_[index]; }
    QLabel* BarcodeLabel() const { return label1_; }
    QPushButton* PrintOutButton() const { return command1_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    Prompt& prompt_;
    std::array<QLabel*, 4> label2_{};
    QLabel* label1_ = nullptr;
    QPushButton* command1_ = nullptr;
};

// Shows the window modally over `parent` and returns when it has closed.
void ShowUpdateSuccessWindow(Prompt& prompt, const InterfaceText& text, QWidget* parent);

}  // namespace qsp
