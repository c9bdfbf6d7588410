#pragma once
// The main window: the choice of host link, the commands that start every operation, the
// message list, and the end of the program.

#include <QMainWindow>
#include <array>
#include <filesystem>
#include <functional>

#include "base/app_state.h"
#include "base/event_pump.h"
#include "base/interface_text.h"
#include "base/main_lock.h"
#include "base/main_view.h"
#include "base/prompt.h"

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace qsp {

class FocusColours;

// The operations the main window starts; each is given the window and does its own locking.
struct MainWindowCommands {
    std::function<void()> setup;         // Scanner setup
    std::function<void()> test;          // Scanner test
    std::function<void()> update;        // Scanner update (RS-232 only)
    std::function<void()> moreSettings;  // Advanced settings button
    std::function<void()> system;        // System menu
    std::function<void()> closePort;     // closes the serial port if it is open (at exit)
    std::function<void(const std::filesystem::path&)> openHelp;  // opens a help file
};

class MainWindow : public QMainWindow, public MainView {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "QSP - v2.01";

    MainWindow(AppState& state, const InterfaceText& text, EventPump& pump,
               std::filesystem::path pictureDir, QWidget* parent = nullptr);
    ~MainWindow() override;

    void SetCommands(MainWindowCommands commands) { commands_ = std::move(commands); }

    // The start-up of the window: language, layout, settings, interface choice, LinkLabel.
    void Load();

    // MainView
    void AddMessage(const std::string& text) override;
    void SetLocked(bool locked, int focusButton) override;
    void SetProgress(int value, int maximum) override;
    void SetSearchText(const std::string& text, bool visible) override;
    void SetDelayBox(const std::string& text) override;
    void RefreshLinkLabel() override;

    void SelectInterface(int index);
    void LockMainWindow() { lock_.LockMainWindow(); }
    void UnlockMainWindow(int focusButton) { lock_.UnlockMainWindow(focusButton); }
    MainLock& Lock() { return lock_; }
    void F1_ClearList();

    // Closes the port, writes HW_Path.int (not for a second copy) and ends the program.
    void SaveSettingsAndExit();

    // The help file F1 opens now; empty while an operation runs.
    const std::filesystem::path& HelpFile() const { return helpFile_; }
    void OpenHelp();

    QListWidget* MessageList() const { return list1_; }
    QPushButton* Command(int index) const { return command1_[index]; }
    QRadioButton* Option(int index) const { return option1_[index]; }
    QLabel* LinkLabel() const { return label1_; }
    QLineEdit* DelayBox() const { return text2_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void BuildMenus();
    void ApplyLanguage();
    void SetHelpFile(bool on);
    void RunCommand(int button);
    void MenuCommand(int button);

    AppState& state_;
    const InterfaceText& text_;
    std::filesystem::path pictureDir_;
    MainLock lock_;
    MainWindowCommands commands_;
    std::filesystem::path helpFile_;
    bool exiting_ = false;
    int designHeight_ = 500;  // inner height the controls are placed for

    QGroupBox* frame1_ = nullptr;
    std::array<QRadioButton*, 3> option1_{};
    std::array<QLabel*, 3> picture1_{};
    std::array<QPushButton*, 6> command1_{};
    QLabel* label1_ = nullptr;
    QListWidget* list1_ = nullptr;
    QProgressBar* progressBar1_ = nullptr;
    QLabel* schedule_ = nullptr;
    QLabel* label2_ = nullptr;
    QLineEdit* text2_ = nullptr;
    QMenu* mnuCommon_ = nullptr;
    QMenu* mnuOperation_ = nullptr;
    QMenu* mnuCommunication_ = nullptr;
    QAction* mnuHelp_ = nullptr;
    QAction* mnuSystem_ = nullptr;
    QAction* mnuEXIT_ = nullptr;
    std::array<QAction*, 3> mnuInterface_{};
    QAction* mnuSetScanner_ = nullptr;
    QAction* mnuScannerUpdate_ = nullptr;
    QAction* mnuTestScanner_ = nullptr;
    QAction* mnuClearList_ = nullptr;
    FocusColours* focusColours_ = nullptr;
};

}  // namespace qsp
