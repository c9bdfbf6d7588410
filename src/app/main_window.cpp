#include "app/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QUrl>

#include "base/qt_text.h"
#include "base/settings_file.h"
#include "base/text_number.h"
#include "base/window_style.h"
#include "catalogue/catalogue_text.h"

namespace qsp {
namespace {

// Inner size of the window as designed; everything below is placed in it and scaled with it.
constexpr int kDesignWidth = 600;

const char* const kInterfaceCaptions[3] = {"RS232", "USB", "Keyboard (PS2)"};
const char* const kInterfacePictures[3] = {"S_RS23201", "S_USB01", "S_Keybrd01"};

}  // namespace

MainWindow::MainWindow(AppState& state, const InterfaceText& text, EventPump& pump,
                       std::filesystem::path pictureDir, QWidget* parent)
    : QMainWindow(parent),
      state_(state),
      text_(text),
      pictureDir_(std::move(pictureDir)),
      lock_(*this, pump) {
    setWindowTitle(kCaption);
    focusColours_ = new FocusColours(this);
    BuildControls();
    BuildMenus();
    const auto appIcon = pictureDir_ / "qsp.svg";
    if (std::filesystem::exists(appIcon)) setWindowIcon(QIcon(Q(appIcon.string())));
}

MainWindow::~MainWindow() = default;

void MainWindow::BuildControls() {
    auto* central = new QWidget(this);
    central->setObjectName("MainArea");
    setCentralWidget(central);
    central->setMinimumSize(300, 250);
    resize(kDesignWidth, designHeight_ + menuBar()->sizeHint().height());

    frame1_ = new QGroupBox("Communication Interface", central);
    frame1_->setObjectName("Frame1");
    frame1_->setGeometry(12, 8, 370, 150);
    for (int i = 0; i < 3; ++i) {
        auto* picture = new QLabel(frame1_);
        picture->setObjectName(QString("Picture1_%1").arg(i));
        picture->setGeometry(16, 26 + i * 40, 32, 32);
        const auto file = pictureDir_ / (std::string(kInterfacePictures[i]) + ".svg");
        if (std::filesystem::exists(file))
            picture->setPixmap(QIcon(Q(file.string())).pixmap(32, 32));
        picture->setCursor(Qt::PointingHandCursor);
        picture->installEventFilter(this);
        picture1_[i] = picture;

        auto* option = new QRadioButton(kInterfaceCaptions[i], frame1_);
        option->setObjectName(QString("Option1_%1").arg(i));
        option->setGeometry(58, 30 + i * 40, 180, 24);
        connect(option, &QRadioButton::clicked, this, [this, i] { SelectInterface(i); });
        option1_[i] = option;
    }

    const char* const captions[6] = {"Exit", "Setup", "Update", "Test", "Clear", "More Set"};
    const QRect places[6] = {{400, 196, 184, 36}, {400, 16, 184, 36},  {400, 61, 184, 36},
                             {400, 106, 184, 36}, {400, 151, 184, 36}, {262, 108, 100, 32}};
    for (int i = 0; i < 6; ++i) {
        auto* button = new QPushButton(captions[i], i == kButtonMoreSet ? frame1_ : central);
        button->setObjectName(QString("Command1_%1").arg(i));
        button->setGeometry(places[i]);
        connect(button, &QPushButton::clicked, this, [this, i] { RunCommand(i); });
        focusColours_->Watch(button);
        command1_[i] = button;
    }

    label1_ = new QLabel("COM 1,9600,N,8,1", central);
    label1_->setObjectName("Label1");
    label1_->setGeometry(14, 164, 370, 22);

    label2_ = new QLabel("Communication Message", central);
    label2_->setObjectName("Label2");
    label2_->setGeometry(14, 190, 370, 22);
    label2_->setVisible(false);

    progressBar1_ = new QProgressBar(central);
    progressBar1_->setObjectName("ProgressBar1");
    progressBar1_->setGeometry(14, 242, 500, 20);
    progressBar1_->setRange(0, 100);
    progressBar1_->setValue(0);
    progressBar1_->setTextVisible(false);
    progressBar1_->setVisible(false);

    schedule_ = new QLabel("0%", central);
    schedule_->setObjectName("Schedule");
    schedule_->setGeometry(522, 242, 62, 20);
    schedule_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    schedule_->setVisible(false);

    list1_ = new QListWidget(central);
    list1_->setObjectName("List1");
    list1_->setGeometry(14, 270, 570, 218);
    ShowFocusFrame(list1_);

    // DelayBox only carries a number between the link code and itself.
    text2_ = new QLineEdit(central);
    text2_->setObjectName("Text2");
    text2_->setGeometry(14, 214, 80, 22);
    text2_->setVisible(false);

    central->installEventFilter(this);

    // Tab follows the reading order: the links and More Set in their frame, the commands from
    // the top down, then the messages.
    QWidget* order[] = {option1_[0],
                        option1_[1],
                        option1_[2],
                        command1_[kButtonMoreSet],
                        command1_[kButtonSetup],
                        command1_[kButtonUpdate],
                        command1_[kButtonTest],
                        command1_[kButtonClear],
                        command1_[kButtonExit],
                        list1_};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void MainWindow::BuildMenus() {
    mnuCommon_ = menuBar()->addMenu("Interface(&F)");
    mnuSystem_ = mnuCommon_->addAction("System");
    connect(mnuSystem_, &QAction::triggered, this, [this] {
        if (commands_.system) commands_.system();
        RefreshLinkLabel();
    });
    mnuCommunication_ = mnuCommon_->addMenu("Communication Interface");
    const char* const names[3] = {"RS232", "USB", "Keyboard(PS2)"};
    const QKeySequence keys[3] = {QKeySequence("Ctrl+R"), QKeySequence("Ctrl+B"),
                                  QKeySequence("Ctrl+K")};
    for (int i = 0; i < 3; ++i) {
        mnuInterface_[i] = mnuCommunication_->addAction(names[i]);
        mnuInterface_[i]->setShortcut(keys[i]);
        connect(mnuInterface_[i], &QAction::triggered, this, [this, i] { SelectInterface(i); });
    }
    mnuEXIT_ = mnuCommon_->addAction("Exit");
    mnuEXIT_->setShortcut(QKeySequence("Ctrl+E"));
    connect(mnuEXIT_, &QAction::triggered, this, [this] { MenuCommand(kButtonExit); });

    mnuOperation_ = menuBar()->addMenu("Operation(&O)");
    mnuSetScanner_ = mnuOperation_->addAction("Scanner Setup");
    mnuSetScanner_->setShortcut(QKeySequence("Ctrl+S"));
    connect(mnuSetScanner_, &QAction::triggered, this, [this] { MenuCommand(kButtonSetup); });
    mnuScannerUpdate_ = mnuOperation_->addAction("Scanner Update");
    mnuScannerUpdate_->setShortcut(QKeySequence("Ctrl+U"));
    connect(mnuScannerUpdate_, &QAction::triggered, this, [this] { MenuCommand(kButtonUpdate); });
    mnuTestScanner_ = mnuOperation_->addAction("Test Scanner");
    mnuTestScanner_->setShortcut(QKeySequence("Ctrl+T"));
    connect(mnuTestScanner_, &QAction::triggered, this, [this] { MenuCommand(kButtonTest); });
    mnuClearList_ = mnuOperation_->addAction("Clear Message");
    mnuClearList_->setShortcut(QKeySequence("Ctrl+C"));
    connect(mnuClearList_, &QAction::triggered, this, [this] { MenuCommand(kButtonClear); });

    mnuHelp_ = menuBar()->addAction("Help(F1)");
    connect(mnuHelp_, &QAction::triggered, this, &MainWindow::OpenHelp);
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(f1, &QShortcut::activated, this, &MainWindow::OpenHelp);
}

void MainWindow::ApplyLanguage() {
    auto t = [this](int id) { return Q(text_.LoadText(id)); };
    SetHelpFile(true);
    if (text_.Japanese()) {
        ApplyJapaneseFont(this);
        for (QWidget* w : {static_cast<QWidget*>(frame1_), static_cast<QWidget*>(label2_),
                           static_cast<QWidget*>(list1_)}) {
            ApplyJapaneseFont(w);
        }
        for (QPushButton* b : command1_)
            ApplyJapaneseFont(b);
        // The message list is made 6885 twips high; the window grows to hold it.
        const int listHeight = TwipsToPixels(6885);
        list1_->resize(list1_->width(), listHeight);
        designHeight_ = std::max(designHeight_, list1_->y() + listHeight + 12);
        resize(kDesignWidth, designHeight_ + menuBar()->sizeHint().height());
    }
    mnuCommon_->setTitle(t(188) + "(&F)");
    mnuSystem_->setText(t(189));
    mnuCommunication_->setTitle(t(109));
    mnuEXIT_->setText(t(106));
    mnuOperation_->setTitle(t(190) + "(&O)");
    mnuSetScanner_->setText(t(108));
    mnuScannerUpdate_->setText(t(111));
    mnuTestScanner_->setText(t(105));
    mnuClearList_->setText(t(104));
    mnuHelp_->setText(t(113) + "(F1)");
    command1_[kButtonExit]->setText(t(106));
    command1_[kButtonSetup]->setText(t(107));
    command1_[kButtonSetup]->setToolTip(t(180));
    command1_[kButtonUpdate]->setText(t(110));
    command1_[kButtonUpdate]->setToolTip(t(181));
    command1_[kButtonTest]->setText(t(114));
    command1_[kButtonTest]->setToolTip(t(105));
    command1_[kButtonClear]->setText(t(115));
    command1_[kButtonClear]->setToolTip(t(104));
    command1_[kButtonMoreSet]->setToolTip(t(191));
    // The texts the string table does not hold: the interface names and the More Set button.
    const CatalogueText translate(text_.language());
    const char* const names[3] = {"RS232", "USB", "Keyboard(PS2)"};
    for (int i = 0; i < 3; ++i) {
        option1_[i]->setText(Q(translate(kInterfaceCaptions[i])));
        mnuInterface_[i]->setText(Q(translate(names[i])));
    }
    command1_[kButtonMoreSet]->setText(Q(translate("More Set")));
    frame1_->setTitle(t(109));
    // What a screen reader says for the controls without a caption: each picture is its link.
    for (int i = 0; i < 3; ++i)
        picture1_[i]->setAccessibleName(option1_[i]->text());
    list1_->setAccessibleName(Q(translate("Messages")));
    progressBar1_->setAccessibleName(Q(translate("Progress")));
}

void MainWindow::Load() {
    ApplyLanguage();
    SaveLayout(centralWidget(), QSize(kDesignWidth, designHeight_));
    FitScreen(this);
    state_.ClearWorkBuffers();
    // The stored interface is made current without rewriting InterfaceIndex.
    const int chosen = InterfaceNumber(state_.Settings);
    option1_[chosen]->setChecked(true);
    state_.SecondInstance = false;
    const bool rs232 = chosen == kRs232;
    command1_[kButtonMoreSet]->setVisible(rs232);
    label1_->setVisible(rs232);
    RefreshLinkLabel();
}

void MainWindow::SelectInterface(int index) {
    if (index < 0 || index > 2) return;
    option1_[index]->setChecked(true);
    const bool rs232 = option1_[kRs232]->isChecked();
    command1_[kButtonMoreSet]->setVisible(rs232);
    label1_->setVisible(rs232);
    state_.Settings.InterfaceIndex = NumberText(index);
}

void MainWindow::AddMessage(const std::string& text) {
    list1_->addItem(Q(text));
    list1_->setCurrentRow(list1_->count() - 1);
    list1_->scrollToBottom();
}

void MainWindow::SetLocked(bool locked, int focusButton) {
    for (QPushButton* b : command1_)
        b->setEnabled(!locked);
    mnuCommon_->setEnabled(!locked);
    mnuOperation_->setEnabled(!locked);
    mnuHelp_->setEnabled(!locked);
    // Menu shortcuts follow their actions.
    for (QAction* a : mnuCommon_->actions())
        a->setEnabled(!locked);
    for (QAction* a : mnuCommunication_->actions())
        a->setEnabled(!locked);
    for (QAction* a : mnuOperation_->actions())
        a->setEnabled(!locked);
    frame1_->setEnabled(!locked);
    if (!locked && focusButton >= 0 && focusButton < 6) command1_[focusButton]->setFocus();
    SetHelpFile(!locked);
}

void MainWindow::SetProgress(int value, int maximum) {
    progressBar1_->setVisible(maximum > 0);
    schedule_->setVisible(maximum > 0);
    if (maximum <= 0) return;
    progressBar1_->setRange(0, maximum);
    progressBar1_->setValue(value);
    const int percent = value * 100 / maximum;
    schedule_->setText(QString::number(percent) + "%");
}

void MainWindow::SetSearchText(const std::string& text, bool visible) {
    label2_->setText(Q(text));
    label2_->setVisible(visible);
}

void MainWindow::SetDelayBox(const std::string& text) {
    text2_->setText(Q(text));
}

void MainWindow::RefreshLinkLabel() {
    // The stored words of the serial settings ("None", "8 bits", "1 bit") in the window's
    // language; the settings themselves keep them as stored.
    AppSettings shown = state_.Settings;
    const CatalogueText translate(text_.language());
    for (std::string* word : {&shown.DataParity, &shown.DataLength, &shown.StopBits})
        *word = translate(*word);
    label1_->setText(Q(LinkLabelText(shown)));
}

void MainWindow::F1_ClearList() {
    list1_->clear();
}

void MainWindow::SetHelpFile(bool on) {
    helpFile_ = on ? HelpFilePath(pictureDir_, text_.LanguageTag()) : std::filesystem::path{};
}

void MainWindow::OpenHelp() {
    if (helpFile_.empty() || lock_.Locked()) return;
    if (commands_.openHelp) {
        commands_.openHelp(helpFile_);
    } else {
        QDesktopServices::openUrl(QUrl::fromLocalFile(Q(helpFile_.string())));
    }
}

void MainWindow::MenuCommand(int button) {
    command1_[button]->setFocus();
    RunCommand(button);
}

void MainWindow::RunCommand(int button) {
    switch (button) {
        case kButtonExit:
            SaveSettingsAndExit();
            break;
        case kButtonSetup:
            if (commands_.setup) commands_.setup();
            break;
        case kButtonUpdate:
            if (InterfaceNumber(state_.Settings) != kRs232) {
                AddMessage(text_.LoadText(117));
            } else if (commands_.update) {
                commands_.update();
            }
            break;
        case kButtonTest:
            if (commands_.test) commands_.test();
            break;
        case kButtonClear:
            F1_ClearList();
            break;
        case kButtonMoreSet:
            if (commands_.moreSettings) commands_.moreSettings();
            RefreshLinkLabel();
            break;
        default:
            break;
    }
}

void MainWindow::SaveSettingsAndExit() {
    if (exiting_) return;
    exiting_ = true;
    if (!state_.SecondInstance) {
        if (commands_.closePort) commands_.closePort();
        SaveSettingsFile(state_.SettingsDir, state_.Settings);
    }
    close();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!exiting_ && lock_.Locked()) {
        // An operation is running; it ends first.
        event->ignore();
        return;
    }
    if (!exiting_) SaveSettingsAndExit();
    event->accept();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == centralWidget() && event->type() == QEvent::Resize) {
        ScaleLayout(centralWidget());
    }
    if (event->type() == QEvent::MouseButtonPress && frame1_->isEnabled()) {
        for (int i = 0; i < 3; ++i) {
            if (watched == picture1_[i]) {
                SelectInterface(i);
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace qsp
