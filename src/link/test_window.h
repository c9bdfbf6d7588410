#pragma once
// "Test Scanner": the text box that receives what the scanner sends, the Exit button, and the
// status bar with the link, the "Link h:m:s" clock and the item count. The window is thin: what
// received text and typed keys mean is decided by TestSession.

#include <QDialog>
#include <filesystem>
#include <memory>

#include "base/app_state.h"
#include "base/event_pump.h"
#include "base/interface_text.h"
#include "base/main_view.h"
#include "link/scanner_link.h"
#include "link/test_session.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;

namespace qsp {

class FocusColours;

class TestWindow : public QDialog, public TestView {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "Test Scanner";

    TestWindow(AppState& state, EventPump& pump, const InterfaceText& text, SerialLink& serial,
               std::filesystem::path pictureDir, QWidget* parent = nullptr);
    ~TestWindow() override;

    // The activation (the first showing runs it): false when the window closed at once.
    bool Activate();

    TestSession& Session() { return *session_; }
    QPlainTextEdit* Text1() const { return text1_; }
    QPushButton* Command1() const { return command1_; }
    QStatusBar* StatusBar1() const { return statusBar1_; }
    QLabel* LinkIcon() const { return linkIcon_; }
    QLabel* LinkPanel() const { return linkText_; }
    QLabel* ClockPanel() const { return clock_; }
    QLabel* TotalPanel() const { return total_; }

    // TestView
    void ShowLink(int interface, const std::string& text) override;
    void ShowClock(const std::string& text) override;
    void ShowTotal(const std::string& text) override;
    void AppendText(const std::string& text) override;
    void CaretToEnd() override;
    void FocusText() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool TextKey(QKeyEvent* key);
    bool ExitKey(QKeyEvent* key);

    const InterfaceText& text_;
    std::filesystem::path pictureDir_;
    std::unique_ptr<TestSession> session_;
    bool activated_ = false;
    bool open_ = false;

    QPlainTextEdit* text1_ = nullptr;
    QPushButton* command1_ = nullptr;
    QStatusBar* statusBar1_ = nullptr;
    QLabel* linkIcon_ = nullptr;
    QLabel* linkText_ = nullptr;
    QLabel* clock_ = nullptr;
    QLabel* total_ = nullptr;
    FocusColours* focusColours_ = nullptr;
};

// The main window's Test: shows the test window modally on the link's serial port and, when it
// has closed, adds "Test Ends" to the main window's message list.
void ShowTestWindow(AppState& state, EventPump& pump, const InterfaceText& text, ScannerLink& link,
                    MainView& mainView, std::filesystem::path pictureDir, QWidget* parent);

}  // namespace qsp
