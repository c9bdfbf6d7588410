#pragma once
// "Code Type": the symbologies one data edit format applies to, a check box per symbology. A
// box's bit is written into the image when the box loses the focus (and, for every box, when the
// dialog closes); All Enable and All Disable write the three bytes at once. There is no cancel.

#include <QDialog>
#include <array>

#include "base/interface_text.h"
#include "workbench/code_type_model.h"

class QCheckBox;
class QPushButton;
class QAction;

namespace qsp {

class CodeTypeDialog : public QDialog {
    Q_OBJECT
public:
    enum Command { kExit = 0, kAllDisable = 1, kAllEnable = 2 };

    CodeTypeDialog(ImageBytes& image, std::size_t first, const InterfaceText& text,
                   QWidget* parent = nullptr);

    QCheckBox* Box(int box) const { return boxes_[static_cast<std::size_t>(box)]; }
    QPushButton* Command1(int index) const { return buttons_[static_cast<std::size_t>(index)]; }

    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void RunCommand(int command);
    void LoadBoxes();

    CodeTypeModel model_;
    QWidget* area_ = nullptr;
    std::array<QCheckBox*, kCodeTypeBoxes> boxes_{};
    std::array<QPushButton*, 3> buttons_{};
};

}  // namespace qsp
