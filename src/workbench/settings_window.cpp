#include "workbench/settings_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QTreeWidget>

#include "base/qt_text.h"
#include "base/settings_file.h"
#include "base/window_style.h"
#include "catalogue/catalogue_text.h"
#include "editor/value_editor_dialog.h"
#include "editor/value_editor_model.h"
#include "workbench/code_type_dialog.h"
#include "workbench/key_sequence_dialog.h"
#include "workbench/param_search.h"
#include "workbench/print_choice_dialog.h"
#include "workbench/qt_printout.h"
#include "workbench/row_list_dialog.h"

namespace qsp {
namespace {

// Inner size the controls are placed for; everything is scaled with it.
constexpr int kDesignWidth = 840;
constexpr int kDesignHeight = 470;

// The property list's columns, in twips.
constexpr int kPropertyColumnTwips = 4000;
constexpr int kParameterColumnTwips = 4500;

struct MenuItem {
    const char* name;
    const char* caption;
    int page;
};

constexpr MenuItem kCommonItems[] = {
    {"mun01ModeInterface", "Mode and Interface", 1},
    {"mun02DelayBeep", "Buzzer and KB timing", 2},
    {"mun03CommonOthers", "Other", 3},
};
constexpr MenuItem kInterfaceItems[] = {
    {"mun04Keyboard", "Keyboard (PS-2)", 4},
    {"mun05RS232", "RS-232", 5},
    {"mun06WAND", "WAND Emulation", 6},
};
constexpr MenuItem kSymbologyItems[] = {
    {"mun07Code39", "Code 39 -{Code32}", 7},
    {"mun08Codabar", "Codabar", 8},
    {"mun09Interleaved", "Interleaved 2/5", 9},
    {"mun10Toshibe", "Toshibe (China Postal Code)", 10},
    {"mun11IATA", "Standard (IATA)  2/5", 11},
    {"mun12Matrix", "Matrix  2/5", 12},
    {"mun13Industrial", "Industrial  2/5", 13},
    {"mun14Code11", "Code 11  2/5", 14},
    {"mun15MSIPlessey", "Plessey {MSI & UK}", 15},
    {"mun16Telepen", "Telepen", 16},
    {"mun17EAN13", "EAN 13", 17},
    {"mun18UPCA", "UPC A", 18},
    {"mun19EAN8", "EAN 8", 19},
    {"mun20UPCE", "UPC E", 20},
    {"mun21Code93", "Code 93", 21},
    {"mun22Code128", "Code 128 -{EAN128}", 22},
    {"mun23RSS14", "GS1 DataBar", 23},
    {"mun24PDF417", "PDF417", 24},
};
constexpr MenuItem kDataEditItems[] = {
    {"mun25FormatSET", "Format Setting", 26}, {"mun26Block1", "Block 1", 27},
    {"mun27Block2", "Block 2", 28},           {"mun28Block3", "Block 3", 29},
    {"mun29Additional", "Additional", 30},    {"mun30CodeType", "CodeType and Output", 31},
};

// The File menu, by command.
constexpr const char* kFileItemNames[6] = {"munParameters", "munDefault",  "munSaveFile",
                                           "munOpenFile",   "munPrintSet", "munHome"};
constexpr int kFileItemTexts[6] = {142, 141, 140, 139, 200, 106};
constexpr const char* kButtonCaptions[5] = {"Update Scanner Setting", "Default Parameter",
                                            "Save Files", "Open Files", "Print"};
constexpr int kButtonTips[5] = {182, 141, 183, 139, 200};

constexpr const char* kLinkPictures[3] = {"S_RS23201.svg", "S_USB01.svg", "S_Keybrd01.svg"};

// Tree nodes and list rows show their texts in the window's language and keep the English text
// the session knows them by here.
constexpr int kEnglishRole = Qt::UserRole + 1;

std::string EnglishText(const QTreeWidgetItem* item) {
    return S(item->data(0, kEnglishRole).toString());
}

}  // namespace

SettingsWindow::SettingsWindow(AppState& state, EventPump& pump, Prompt& prompt,
                               const InterfaceText& text, ScannerLink& link, MainLock& mainLock,
                               MainView& mainView, std::filesystem::path pictureDir,
                               QWidget* mainWindow)
    : state_(state),
      pump_(pump),
      prompt_(prompt),
      text_(text),
      link_(link),
      pictureDir_(std::move(pictureDir)),
      mainWindow_(mainWindow),
      linkClock_(CatalogueText(text.language())("Link")) {
    setObjectName("SettingsWindow");
    setWindowTitle(Q(CatalogueText(text.language())(kCaption)));
    session_ =
        std::make_unique<SettingsSession>(state, prompt, text, link, mainView, mainLock, *this);
    session_->Open();
    focusColours_ = new FocusColours(this);
    BuildControls();
    BuildMenus();
    BuildFindMenu();
    BuildStatusBar();
    ApplyLanguage();
    SaveLayout(area_, QSize(kDesignWidth, kDesignHeight));
    FitScreen(this);

    for (const TreeNode& node : CategoryTree(session_->DataEditChildrenAtOpen()))
        AddNode(node);
    for (QAction* item : dataEditItems_)
        item->setEnabled(session_->DataEditChildrenAtOpen());

    const int link_number = InterfaceNumber(state_.Settings);
    const auto picture = pictureDir_ / kLinkPictures[link_number];
    if (std::filesystem::exists(picture)) {
        linkIcon_->setPixmap(QIcon(Q(picture.string())).pixmap(16, 16));
    }
    const char* const linkNames[3] = {"RS232  COM", "USB", "Keyboard"};
    linkText_->setText(Q(CatalogueText(text_.language())(linkNames[link_number])) +
                       (link_number == kRs232 ? Q(state_.Settings.CommPort) : QString()));
    linkIcon_->setAccessibleName(linkText_->text());

    link_.SetWriteProgress([this](int value, int maximum) { SetWriteProgress(value, maximum); });
    // The keyboard-wedge exchanges report their stage in the link panel.
    link_.SetStatusText([this](const std::string& status) {
        linkText_->setText(Q(CatalogueText(text_.language())(status)));
    });
}

SettingsWindow::~SettingsWindow() {
    if (timer2_ != 0) pump_.StopTimer(timer2_);
    link_.SetWriteProgress(nullptr);
    link_.SetStatusText(nullptr);
}

void SettingsWindow::BuildControls() {
    area_ = new QWidget(this);
    area_->setObjectName("SettingsArea");
    area_->setMinimumSize(420, 235);
    setCentralWidget(area_);

    tree_ = new QTreeWidget(area_);
    tree_->setObjectName("TreeView1");
    tree_->setGeometry(8, 8, 236, 404);
    tree_->setHeaderHidden(true);
    tree_->setColumnCount(1);
    // A caption wider than the tree scrolls it sideways rather than being cut.
    tree_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    tree_->header()->setStretchLastSection(false);
    connect(tree_, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current, QTreeWidgetItem*) {
                if (!quiet_ && current) TreeItemClicked(current);
            });
    // A click on the node that is already current changes nothing above; it shows the page again.
    connect(tree_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        if (item == clickOnCurrent_) TreeItemClicked(item);
    });
    tree_->viewport()->installEventFilter(this);
    ShowFocusFrame(tree_);
    connect(tree_, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
        const int n = item->data(0, Qt::UserRole).toInt();
        if (n >= 1 && n <= static_cast<int>(treeNodes_.size())) {
            const TreeNode& shown = treeNodes_[static_cast<std::size_t>(n - 1)];
            item->setIcon(0, NodeIcon(shown.expandedImage, shown.selectedImage));
        }
    });
    connect(tree_, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* item) {
        const int n = item->data(0, Qt::UserRole).toInt();
        if (n >= 1 && n <= static_cast<int>(treeNodes_.size())) {
            const TreeNode& shown = treeNodes_[static_cast<std::size_t>(n - 1)];
            item->setIcon(0, NodeIcon(shown.image, shown.selectedImage));
        }
    });

    list_ = new QTreeWidget(area_);
    list_->setObjectName("ListView1");
    list_->setGeometry(252, 8, 580, 404);
    list_->setColumnCount(2);
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setAllColumnsShowFocus(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->header()->setStretchLastSection(false);
    list_->setColumnWidth(0, TwipsToPixels(kPropertyColumnTwips));
    list_->setColumnWidth(1, TwipsToPixels(kParameterColumnTwips));
    list_->installEventFilter(this);
    ShowFocusFrame(list_);
    connect(list_, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { session_->IdentifyRow(EnglishText(item)); });
    // Moving through the rows with the keys picks the row just as a click does.
    connect(list_, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current, QTreeWidgetItem*) {
                if (current && list_->hasFocus() && !quiet_) {
                    session_->IdentifyRow(EnglishText(current));
                }
            });
    connect(list_, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem*) { session_->RowDoubleClick(); });

    for (int i = 0; i < 5; ++i) {
        auto* button =
            new QPushButton(Q(CatalogueText(text_.language())(kButtonCaptions[i])), area_);
        button->setObjectName(QString("Command1_%1").arg(i));
        button->setGeometry(8 + i * 164, 420, 156, 40);
        button->setAutoDefault(false);
        focusColours_->Watch(button);
        connect(button, &QPushButton::clicked, this, [this, i] { RunCommand(i); });
        command1_[static_cast<std::size_t>(i)] = button;
    }
    area_->installEventFilter(this);
    resize(kDesignWidth, kDesignHeight + 60);
}

void SettingsWindow::BuildMenus() {
    munFile_ = menuBar()->addMenu("File(&F)");
    munFile_->setObjectName("munFile");
    for (int c = 0; c < 6; ++c) {
        QAction* item = munFile_->addAction(kFileItemNames[c]);
        item->setObjectName(kFileItemNames[c]);
        connect(item, &QAction::triggered, this, [this, c] { RunCommand(c); });
        fileItems_[static_cast<std::size_t>(c)] = item;
    }
    fileItems_[kExit]->setShortcuts(QKeySequence::Close);  // Ctrl+W, as windows close
    // The profile items stand before the last item (Exit).
    exportProfileItem_ = new QAction("munExportProfile", munFile_);
    exportProfileItem_->setObjectName("munExportProfile");
    connect(exportProfileItem_, &QAction::triggered, this, [this] { session_->ExportProfile(); });
    applyProfileItem_ = new QAction("munApplyProfile", munFile_);
    applyProfileItem_->setObjectName("munApplyProfile");
    connect(applyProfileItem_, &QAction::triggered, this, [this] { session_->ApplyProfileFile(); });
    munFile_->insertActions(fileItems_.back(), {exportProfileItem_, applyProfileItem_});

    const CatalogueText translate(text_.language());
    auto addMenu = [this, &translate](int slot, const char* name, const char* title,
                                      const MenuItem* items, std::size_t n) {
        QMenu* menu = menuBar()->addMenu(title);
        menu->setObjectName(name);
        for (std::size_t i = 0; i < n; ++i) {
            // An "&" in a caption is shown as it is, not taken for the item's key.
            QAction* item = menu->addAction(Q(translate(items[i].caption)).replace("&", "&&"));
            item->setObjectName(items[i].name);
            const int page = items[i].page;
            connect(item, &QAction::triggered, this, [this, page] {
                if (const auto target = MenuTargetForPage(page, state_.ParamImage)) {
                    session_->MenuSelect(*target);
                }
            });
            if (slot == 3) dataEditItems_.push_back(item);
        }
        categoryMenus_[static_cast<std::size_t>(slot)] = menu;
    };
    addMenu(0, "munCommon", "Common(&C)", kCommonItems, std::size(kCommonItems));
    addMenu(1, "munInterface", "Interface(&I)", kInterfaceItems, std::size(kInterfaceItems));
    addMenu(2, "munBaccode", "Barcode(&B)", kSymbologyItems, std::size(kSymbologyItems));
    addMenu(3, "mun24DataEdit", "Data Edit(&D)", kDataEditItems, std::size(kDataEditItems));
    // While every format is off, the Data Edit menu leads to the format switch page through an
    // item of its own; opening or browsing the menu changes nothing.
    dataEditTitleItem_ = new QAction("mun24DataEdit", categoryMenus_[3]);
    dataEditTitleItem_->setObjectName("mun24DataEditTitle");
    categoryMenus_[3]->insertAction(dataEditItems_.front(), dataEditTitleItem_);
    connect(dataEditTitleItem_, &QAction::triggered, this,
            [this] { session_->MenuSelect(*MenuTargetForPage(kDataEditPage, state_.ParamImage)); });
    connect(categoryMenus_[3], &QMenu::aboutToShow, this,
            [this] { dataEditTitleItem_->setVisible(state_.ParamImage[256] == 0); });
}

void SettingsWindow::BuildStatusBar() {
    linkIcon_ = new QLabel(this);
    linkIcon_->setObjectName("LinkIcon");
    linkIcon_->setFixedSize(20, 18);
    linkText_ = new QLabel(this);
    linkText_->setObjectName("LinkPanel");
    linkText_->setMinimumWidth(150);
    clock_ = new QLabel(Q(linkClock_.Text()), this);
    clock_->setObjectName("ClockPanel");
    clock_->setMinimumWidth(120);
    statusBar()->addWidget(linkIcon_);
    statusBar()->addWidget(linkText_);
    statusBar()->addWidget(clock_);

    progressBar_ = new QProgressBar(this);
    progressBar_->setObjectName("ProgressBar1");
    progressBar_->setRange(0, 100);
    progressBar_->setTextVisible(false);
    progressBar_->setFixedWidth(300);
    schedule_ = new QLabel("100%", this);
    schedule_->setObjectName("Schedule");
    schedule_->setMinimumWidth(44);
    schedule_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    statusBar()->addPermanentWidget(progressBar_);
    statusBar()->addPermanentWidget(schedule_);
    progressBar_->setVisible(false);
    schedule_->setVisible(false);
}

void SettingsWindow::ApplyLanguage() {
    auto t = [this](int id) { return Q(text_.LoadText(id)); };
    munFile_->setTitle(t(102) + "(&F)");
    const char* const hotKeys[4] = {"(&C)", "(&I)", "(&B)", "(&D)"};
    for (int i = 0; i < 4; ++i) {
        categoryMenus_[static_cast<std::size_t>(i)]->setTitle(t(143 + i) + hotKeys[i]);
    }
    for (int c = 0; c < 6; ++c)
        fileItems_[static_cast<std::size_t>(c)]->setText(t(kFileItemTexts[c]));
    dataEditTitleItem_->setText(t(146));
    exportProfileItem_->setText(t(209));
    applyProfileItem_->setText(t(210));
    for (int i = 0; i < 5; ++i)
        command1_[static_cast<std::size_t>(i)]->setToolTip(t(kButtonTips[i]));
    list_->setHeaderLabels({t(147), t(148)});
    // Names for a screen reader; the tree's one column is named too, though its header is hidden.
    const CatalogueText translate(text_.language());
    tree_->setAccessibleName(Q(translate("Categories")));
    tree_->setHeaderLabels({tree_->accessibleName()});
    list_->setAccessibleName(Q(translate("Properties")));
    progressBar_->setAccessibleName(Q(translate("Progress")));
    if (text_.Japanese()) {
        ApplyJapaneseFont(this);
        for (int i = 0; i < 4; ++i)
            ApplyJapaneseFont(command1_[static_cast<std::size_t>(i)]);
        ApplyJapaneseFont(tree_);
        ApplyJapaneseFont(list_);
        ApplyJapaneseFont(statusBar());
    }
}

QIcon SettingsWindow::NodeIcon(int image, int selectedImage) const {
    // The image list: 1 a closed folder, 2 a folder, 3 an open folder, 4 a page.
    auto picture = [this](int number) {
        switch (number) {
            case 1:
                return style()->standardIcon(QStyle::SP_DirClosedIcon);
            case 2:
                return style()->standardIcon(QStyle::SP_DirIcon);
            case 3:
                return style()->standardIcon(QStyle::SP_DirOpenIcon);
            default:
                return style()->standardIcon(QStyle::SP_FileIcon);
        }
    };
    QIcon icon = picture(image);
    QIcon selected = picture(selectedImage);
    for (const QSize& size : selected.availableSizes()) {
        icon.addPixmap(selected.pixmap(size), QIcon::Selected);
    }
    return icon;
}

void SettingsWindow::AddNode(const TreeNode& node) {
    QTreeWidgetItem* item = nullptr;
    if (node.parent >= 1 && node.parent <= static_cast<int>(nodes_.size())) {
        item = new QTreeWidgetItem(nodes_[static_cast<std::size_t>(node.parent - 1)]);
    } else {
        item = new QTreeWidgetItem(tree_);
    }
    // A top node shows its message; the session knows it by that text too.
    const std::string known = node.textId != 0 ? text_.LoadText(node.textId) : node.caption;
    item->setText(0, node.textId != 0 ? Q(known) : Q(CatalogueText(text_.language())(known)));
    item->setData(0, kEnglishRole, Q(known));
    item->setData(0, Qt::UserRole, static_cast<int>(nodes_.size()) + 1);
    item->setIcon(0, NodeIcon(node.image, node.selectedImage));
    nodes_.push_back(item);
    treeNodes_.push_back(node);
}

QTreeWidgetItem* SettingsWindow::Node(int number) const {
    if (number < 1 || number > static_cast<int>(nodes_.size())) return nullptr;
    return nodes_[static_cast<std::size_t>(number - 1)];
}

void SettingsWindow::ShowRows(const std::vector<PropertyRow>& rows) {
    quiet_ = true;
    list_->clear();
    const CatalogueText translate(text_.language());
    for (const PropertyRow& row : rows) {
        auto* item = new QTreeWidgetItem(
            list_, QStringList{Q(translate(row.label)), Q(translate(row.value))});
        item->setData(0, kEnglishRole, Q(row.label));
    }
    MarkChangedRows();
    quiet_ = false;
}

std::string SettingsWindow::RowLabel(int row) const {
    QTreeWidgetItem* item = row >= 1 ? list_->topLevelItem(row - 1) : nullptr;
    return item ? EnglishText(item) : std::string();
}

void SettingsWindow::SelectRow(int row) {
    QTreeWidgetItem* item = row >= 1 ? list_->topLevelItem(row - 1) : nullptr;
    if (!item) return;
    quiet_ = true;
    list_->setCurrentItem(item);
    quiet_ = false;
}

void SettingsWindow::ChangeTree(TreeChange change) {
    if (change == TreeChange::AddDataEditChildren) {
        for (const TreeNode& node : DataEditChildren())
            AddNode(node);
    } else if (change == TreeChange::RemoveDataEditChildren) {
        while (nodes_.size() > kFixedTreeNodes) {
            quiet_ = true;
            delete nodes_.back();
            quiet_ = false;
            nodes_.pop_back();
            treeNodes_.pop_back();
        }
    }
    for (QAction* item : dataEditItems_)
        item->setEnabled(nodes_.size() > kFixedTreeNodes);
}

void SettingsWindow::ExpandNode(int node) {
    if (QTreeWidgetItem* item = Node(node)) item->setExpanded(true);
}

void SettingsWindow::SelectNode(int node) {
    quiet_ = true;
    if (QTreeWidgetItem* item = Node(node)) {
        tree_->setCurrentItem(item);
    } else {
        tree_->setCurrentItem(nullptr);
    }
    quiet_ = false;
}

void SettingsWindow::FocusTree() {
    tree_->setFocus();
}

void SettingsWindow::RunValueEditor() {
    if (valueEditor_) {
        valueEditor_(this);
        return;
    }
    ValueEditorModel model(state_, session_->RowLabelInEdit());
    ValueEditorDialog dialog(model, text_, this);
    dialog.exec();
}

void SettingsWindow::RunSpecialKeyboard(const std::string& rowLabel) {
    const int count = std::clamp(state_.Edit.bitOrKind - kEditRunBase, 1, kMaxKeyboardEntries);
    SpecialKeyboardDialog dialog(state_.Scratch, count, state_.ParamImage[kKeyboardLayoutIndex],
                                 rowLabel, text_, this);
    dialog.exec();
}

void SettingsWindow::RunCodeTypes() {
    CodeTypeDialog dialog(state_.ParamImage, state_.Edit.index, text_, this);
    dialog.exec();
}

PrintOutput SettingsWindow::AskPrintOutput() {
    PrintChoiceDialog dialog(text_, this);
    dialog.exec();
    return dialog.Choice() == 1 ? PrintOutput::TextFile : PrintOutput::Printer;
}

bool SettingsWindow::PrintPages(const PrintTarget& target, const std::vector<PrintedPage>& pages) {
    return PrintOperationsOn(target, PrintoutOperations(pages), "QSP parameters");
}

void SettingsWindow::ShowWriteProgress(bool visible) {
    if (visible) SetWriteProgress(0, 100);
    progressBar_->setVisible(visible);
    schedule_->setVisible(visible);
}

void SettingsWindow::SetWriteProgress(int value, int maximum) {
    progressBar_->setRange(0, maximum > 0 ? maximum : 100);
    progressBar_->setValue(value);
    schedule_->setText(QString::number(maximum > 0 ? value * 100 / maximum : 0) + "%");
}

void SettingsWindow::CloseWindow() {
    close();
}

void SettingsWindow::RunCommand(int command) {
    switch (command) {
        case kUpdate:
            session_->ParametersUpdate();
            break;
        case kDefault:
            session_->ResetToDefault();
            break;
        case kSave:
            session_->SaveFile();
            break;
        case kOpen:
            session_->OpenFile();
            break;
        case kPrint:
            session_->Print();
            break;
        case kExit:
            close();
            break;
        default:
            break;
    }
}

void SettingsWindow::TreeItemClicked(QTreeWidgetItem* item) {
    session_->TreeClick(EnglishText(item));
}

void SettingsWindow::Tick() {
    if (const auto shown = linkClock_.Tick(pump_.Now())) clock_->setText(Q(*shown));
}

void SettingsWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (started_) return;
    started_ = true;
    linkClock_.Reset(pump_.Now());
    clock_->setText(Q(linkClock_.Text()));
    timer2_ = pump_.StartTimer(std::chrono::seconds(1), [this] { Tick(); });
}

void SettingsWindow::closeEvent(QCloseEvent* event) {
    session_->Close();
    // The main window comes back in its normal state, from minimised or maximised alike.
    if (mainWindow_ && mainWindow_->isVisible()) mainWindow_->showNormal();
    if (timer2_ != 0) pump_.StopTimer(timer2_);
    timer2_ = 0;
    link_.SetWriteProgress(nullptr);
    link_.SetStatusText(nullptr);
    event->accept();
}

void SettingsWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized() && mainWindow_) {
        mainWindow_->showMinimized();
    }
}

bool SettingsWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == area_ && event->type() == QEvent::Resize) ScaleLayout(area_);
    if (watched == tree_->viewport() && event->type() == QEvent::MouseButtonPress) {
        // The node under the mouse before the press moves the current node.
        const auto* mouse = static_cast<QMouseEvent*>(event);
        QTreeWidgetItem* hit = tree_->itemAt(mouse->position().toPoint());
        clickOnCurrent_ = hit == tree_->currentItem() ? hit : nullptr;
    }
    if (watched == list_) {
        if (event->type() == QEvent::FocusIn) {
            QTreeWidgetItem* item = list_->currentItem();
            session_->ListFocus(item && item->isSelected()
                                    ? std::optional<std::string>(EnglishText(item))
                                    : std::nullopt);
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                session_->EnterKey();
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void SettingsWindow::BuildFindMenu() {
    QAction* exitItem = fileItems_[kExit];
    munFile_->insertSeparator(exitItem);
    const auto add = [this, exitItem](const char* name, int textId, void (SettingsWindow::*run)()) {
        auto* item = new QAction(Q(text_.LoadText(textId)), munFile_);
        item->setObjectName(name);
        munFile_->insertAction(exitItem, item);
        connect(item, &QAction::triggered, this, run);
        return item;
    };
    add("munFind", 220, &SettingsWindow::ShowFind)->setShortcut(QKeySequence::Find);
    add("munChanged", 221, &SettingsWindow::ShowChanged);
    add("munCompare", 222, &SettingsWindow::ShowCompare);
    munFile_->insertSeparator(exitItem);
}

void SettingsWindow::MarkChangedRows() {
    // Rows whose value is not the factory value of this link are shown in bold.
    const int link = InterfaceNumber(state_.Settings);
    for (int row : ChangedRowNumbers(state_.ParamImage, state_.CurrentPage, link)) {
        QTreeWidgetItem* item = list_->topLevelItem(row - 1);
        if (!item) continue;
        QFont font = item->font(0);
        font.setBold(true);
        item->setFont(0, font);
        item->setFont(1, font);
        // The bold mark in words, for the tool tip and for a screen reader.
        for (int column : {0, 1}) {
            item->setToolTip(column, Q(text_.LoadText(237)));
            item->setData(column, Qt::AccessibleDescriptionRole, Q(text_.LoadText(237)));
        }
    }
}

RowListDialog* SettingsWindow::NewRowList(int title, const std::vector<int>& headers,
                                          int emptyText) {
    QStringList captions;
    for (int id : headers)
        captions << Q(text_.LoadText(id));
    auto* dialog = new RowListDialog(text_, Q(text_.LoadText(title)), captions,
                                     Q(text_.LoadText(emptyText)), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &RowListDialog::Chosen, this, &SettingsWindow::GoToRow);
    return dialog;
}

void SettingsWindow::ShowFind() {
    RowListDialog* dialog = NewRowList(223, {224, 147, 148}, 231);
    const CatalogueText shown(text_.language());
    dialog->EnableFind([this, shown](const std::string& query) {
        return FindRows(state_.ParamImage, query, shown);
    });
    dialog->open();
    dialog->FindField()->setFocus();
}

void SettingsWindow::ShowChanged() {
    RowListDialog* dialog = NewRowList(221, {224, 147, 227, 225}, 232);
    dialog->ShowResults(ChangedRows(state_.ParamImage, InterfaceNumber(state_.Settings),
                                    CatalogueText(text_.language())));
    dialog->SetNote(Q(text_.LoadText(238)));
    dialog->open();
    dialog->Results()->setFocus();
}

void SettingsWindow::ShowCompare() {
    const auto compared = session_->CompareWithFile();
    if (!compared) return;
    const ImageDifference& difference = compared->difference;
    RowListDialog* dialog = NewRowList(239, {224, 147, 227, 226}, 233);
    dialog->ShowResults(
        DifferenceRows(difference, CatalogueText(text_.language()), text_.LoadText(229)));
    dialog->SetNote(Q(text_.LoadText(236)) + " " + Q(compared->file) + "\n" +
                    Q(text_.LoadText(228)) + " " + QString::number(difference.unshownBytes.size()));
    dialog->open();
    dialog->Results()->setFocus();
}

void SettingsWindow::GoToRow(int page, int row) {
    QTreeWidgetItem* node = nullptr;
    for (std::size_t i = 0; i < treeNodes_.size() && i < nodes_.size(); ++i) {
        if (treeNodes_[i].page == page) node = nodes_[i];
    }
    if (node) {
        if (node->parent()) node->parent()->setExpanded(true);
        // Selecting the node runs the tree's own click; the current node is clicked again.
        if (tree_->currentItem() == node) {
            TreeItemClicked(node);
        } else {
            tree_->setCurrentItem(node);
        }
    } else if (const auto target = MenuTargetForPage(page, state_.ParamImage)) {
        session_->MenuSelect(*target);  // the WAND page has no node of its own
    }
    if (state_.CurrentPage != page) return;
    list_->setFocus();
    if (QTreeWidgetItem* item = row >= 1 ? list_->topLevelItem(row - 1) : nullptr) {
        list_->setCurrentItem(item);
        list_->scrollToItem(item);
        emit list_->itemClicked(item, 0);  // the row is identified as a click identifies it
    }
}

SettingsWindow* OpenSettingsWindow(AppState& state, EventPump& pump, Prompt& prompt,
                                   const InterfaceText& text, ScannerLink& link, MainLock& mainLock,
                                   MainView& mainView, std::filesystem::path pictureDir,
                                   QWidget* mainWindow) {
    auto* window = new SettingsWindow(state, pump, prompt, text, link, mainLock, mainView,
                                      std::move(pictureDir), mainWindow);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

}  // namespace qsp
