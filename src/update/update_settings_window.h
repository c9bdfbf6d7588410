#pragma once
// "System Setting": the update settings window. Thin: UpdateSettingsModel decides what is shown
// and saved; the window holds the controls and passes clicks on.

#include <QDialog>
#include <array>
#include <memory>

#include "catalogue/catalogue_text.h"
#include "update/update_settings.h"

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenuBar;
class QPushButton;

namespace qsp {

class UpdateSettingsWindow : public QDialog {
public:
    UpdateSettingsWindow(AppState& state, Prompt& prompt, const InterfaceText& text,
                         UpdateSettingsMode mode, QWidget* parent = nullptr);
    ~UpdateSettingsWindow() override;

    // The window's inner height in twips, as the main window sets it before showing.
    void SetHeightTwips(int twips);

    // "EXIT [OK]", Open Update Path and the hidden switch, as a click would run them.
    void ExitOk();
    void OpenUpdatePath();
    void TestSwitch();

    UpdateSettingsModel& Model() { return *model_; }
    QComboBox* Combo1(int index) const { return combo1_[static_cast<std::size_t>(index)]; }
    QLabel* Label1(int index) const { return label1_[static_cast<std::size_t>(index)]; }
    QLineEdit* Text1(int index) const { return text1_[static_cast<std::size_t>(index)]; }
    QCheckBox* Check1() const { return check1_; }
    QPushButton* Command1(int index) const { return command1_[static_cast<std::size_t>(index)]; }
    QGroupBox* Frame1() const { return frame1_; }
    QLabel* Label2() const { return label2_; }
    QAction* MenuExit() const { return mnuEXIT_; }
    QAction* MenuOpenUpdatePath() const { return mnuOpenUpdatePath_; }
    QWidget* Canvas() const { return canvas_; }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Build(const InterfaceText& text);
    void Activate();
    void ShowValues();
    void TakeValues();
    void Place(QWidget* widget, int left, int top, int width, int height);

    std::unique_ptr<UpdateSettingsModel> model_;
    CatalogueText translate_;  // the window's language
    bool activated_ = false;
    QMenuBar* menuBar_ = nullptr;
    QWidget* canvas_ = nullptr;
    std::array<QLabel*, 9> label1_{};
    std::array<QComboBox*, 6> combo1_{};
    std::array<QLineEdit*, 4> text1_{};
    std::array<QPushButton*, 2> command1_{};
    QCheckBox* check1_ = nullptr;
    QGroupBox* frame1_ = nullptr;
    QLabel* label2_ = nullptr;
    QAction* mnuEXIT_ = nullptr;
    QAction* mnuOpenUpdatePath_ = nullptr;
};

}  // namespace qsp
