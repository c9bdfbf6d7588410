#include "link/test_window.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>
#include <optional>

#include "base/qt_text.h"
#include "base/window_style.h"
#include "catalogue/catalogue_text.h"

namespace qsp {
namespace {

constexpr int kTextPleaseScan = 184;
constexpr int kTextExit = 106;
constexpr int kTextTestScanner = 105;
constexpr int kTextTestEnds = 186;

constexpr const char* kLinkPictures[3] = {"S_RS23201.svg", "S_USB01.svg", "S_Keybrd01.svg"};

// The character a key press types, as the scanner's terminators name them; none for keys that
// type nothing or type a character beyond ASCII.
std::optional<char> KeyChar(const QKeyEvent* key) {
    const QString typed = key->text();
    if (!typed.isEmpty()) {
        const char16_t c = typed.at(0).unicode();
        if (c < 0x80) return static_cast<char>(c);
        return std::nullopt;
    }
    switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return '\r';
        case Qt::Key_Escape:
            return '\x1B';
        case Qt::Key_Tab:
            return '\t';
        default:
            return std::nullopt;
    }
}

bool IsTabKey(const QKeyEvent* key) {
    return key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
}

}  // namespace

TestWindow::TestWindow(AppState& state, EventPump& pump, const InterfaceText& text,
                       SerialLink& serial, std::filesystem::path pictureDir, QWidget* parent)
    : QDialog(parent), text_(text), pictureDir_(std::move(pictureDir)) {
    setObjectName("TestWindow");
    setWindowTitle(Q(text.LoadText(kTextTestScanner)));  // "Test Scanner"
    resize(480, 320);

    text1_ = new QPlainTextEdit(this);
    text1_->setObjectName("Text1");
    text1_->setTabChangesFocus(true);
    text1_->setToolTip(Q(text.LoadText(kTextPleaseScan)));
    text1_->setAccessibleName(Q(CatalogueText(text.language())("Scanned data")));
    command1_ = new QPushButton(Q(text.LoadText(kTextExit)), this);
    command1_->setObjectName("Command1");
    command1_->setToolTip(Q(text.LoadText(kTextExit)));
    command1_->setAutoDefault(false);
    command1_->setDefault(false);

    statusBar1_ = new QStatusBar(this);
    statusBar1_->setObjectName("StatusBar1");
    statusBar1_->setSizeGripEnabled(false);
    linkIcon_ = new QLabel(this);
    linkIcon_->setObjectName("LinkIcon");
    linkIcon_->setFixedSize(20, 18);
    linkText_ = new QLabel(this);
    linkText_->setObjectName("LinkPanel");
    linkText_->setMinimumWidth(200);
    clock_ = new QLabel(this);
    clock_->setObjectName("ClockPanel");
    clock_->setMinimumWidth(110);
    total_ = new QLabel(this);
    total_->setObjectName("TotalPanel");
    total_->setMinimumWidth(110);
    statusBar1_->addWidget(linkIcon_);
    statusBar1_->addWidget(linkText_, 1);
    statusBar1_->addWidget(clock_);
    statusBar1_->addWidget(total_);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(command1_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 0);
    layout->addWidget(text1_, 1);
    layout->addLayout(buttons);
    layout->addWidget(statusBar1_);
    setTabOrder(text1_, command1_);

    focusColours_ = new FocusColours(this);
    focusColours_->Watch(text1_);
    focusColours_->Watch(command1_);
    text1_->installEventFilter(this);
    command1_->installEventFilter(this);
    connect(command1_, &QPushButton::clicked, this, &QWidget::close);

    if (text.Japanese()) {
        ApplyJapaneseFont(this);
        ApplyJapaneseFont(text1_);
        ApplyJapaneseFont(command1_);
        ApplyJapaneseFont(statusBar1_);
    }
    session_ = std::make_unique<TestSession>(state, pump, text, serial, *this);
}

TestWindow::~TestWindow() {
    session_->Close();
}

bool TestWindow::Activate() {
    if (activated_) return open_;
    activated_ = true;
    open_ = session_->Activate();
    text1_->setFocus();
    if (!open_) close();
    return open_;
}

void TestWindow::ShowLink(int interface, const std::string& text) {
    if (interface >= 0 && interface < 3) {
        const auto picture = pictureDir_ / kLinkPictures[interface];
        linkIcon_->setPixmap(std::filesystem::exists(picture)
                                 ? QIcon(Q(picture.string())).pixmap(16, 16)
                                 : QPixmap());
    }
    linkText_->setText(Q(CatalogueText(text_.language())(text)));  // "USB  Please Scanner"...
}

void TestWindow::ShowClock(const std::string& text) {
    clock_->setText(Q(text));
}

void TestWindow::ShowTotal(const std::string& text) {
    total_->setText(Q(text));
}

void TestWindow::AppendText(const std::string& text) {
    text1_->moveCursor(QTextCursor::End);
    text1_->insertPlainText(Q(text));
    text1_->moveCursor(QTextCursor::End);
}

void TestWindow::CaretToEnd() {
    text1_->moveCursor(QTextCursor::End);
}

void TestWindow::FocusText() {
    text1_->setFocus(Qt::OtherFocusReason);
}

void TestWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!activated_) QTimer::singleShot(0, this, [this] { Activate(); });
}

void TestWindow::closeEvent(QCloseEvent* event) {
    session_->Close();
    QDialog::closeEvent(event);
}

void TestWindow::keyPressEvent(QKeyEvent* event) {
    // The escape key is a terminator the scanner may send: it never closes the window.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TestWindow::TextKey(QKeyEvent* key) {
    if (key->key() == Qt::Key_Q && (key->modifiers() & Qt::AltModifier)) {
        close();
        return true;
    }
    if (IsTabKey(key)) return false;  // the focus moves to Exit
    if (const auto c = KeyChar(key)) session_->Typed(*c);
    return key->key() == Qt::Key_Escape;
}

bool TestWindow::ExitKey(QKeyEvent* key) {
    // Tab moves on; shortcuts type nothing.
    if (IsTabKey(key) || (key->modifiers() & (Qt::AltModifier | Qt::ControlModifier))) return false;
    const auto c = KeyChar(key);
    if (!c) return false;
    session_->TypedOnExit(*c);
    return true;
}

bool TestWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (watched == text1_) return TextKey(key);
        if (watched == command1_) return ExitKey(key);
    }
    return QDialog::eventFilter(watched, event);
}

void ShowTestWindow(AppState& state, EventPump& pump, const InterfaceText& text, ScannerLink& link,
                    MainView& mainView, std::filesystem::path pictureDir, QWidget* parent) {
    {
        TestWindow window(state, pump, text, link.Serial(), std::move(pictureDir), parent);
        window.setWindowModality(Qt::ApplicationModal);
        window.exec();
    }
    mainView.AddMessage(text.LoadText(kTextTestEnds));
}

}  // namespace qsp
