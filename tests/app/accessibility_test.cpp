// What a screen reader finds in every window and dialog, in each language: every control the
// user can reach with Tab or the arrows has a name, and no two controls side by side share one.
// Read in-process through QAccessible on the offscreen platform, as AT-SPI reads it.

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QRadioButton>
#include <QScreen>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <cstdlib>
#include <map>

#include "app/main_window.h"
#include "base/qt_text.h"
#include "editor/value_editor_dialog.h"
#include "link/link_rig.h"
#include "link/test_window.h"
#include "update/update_settings_window.h"
#include "workbench/code_type_dialog.h"
#include "workbench/default_barcode_window.h"
#include "workbench/key_sequence_dialog.h"
#include "workbench/param_search.h"
#include "workbench/print_choice_dialog.h"
#include "workbench/row_list_dialog.h"
#include "workbench/settings_window.h"

namespace qsp {
namespace {

QString Where(QAccessibleInterface* node) {
    const QObject* object = node->object();
    const QString name = object ? object->objectName() : QString();
    return (name.isEmpty() && object ? object->metaObject()->className() : name) + " (role " +
           QString::number(node->role()) + ")";
}

// The name a screen reader gives `node`. A list box is known by its current entry on Linux; what
// it is comes through the label that labels it, as AT-SPI passes the relation on.
QString NameOf(QAccessibleInterface* node) {
    if (node->role() != QAccessible::ComboBox) return node->text(QAccessible::Name).trimmed();
    for (const auto& [label, relation] : node->relations(QAccessible::Label))
        return label->text(QAccessible::Name).trimmed();
    return {};
}

// The faults below `node`: focusable controls without a name, and siblings that share a name.
void Walk(QAccessibleInterface* node, QStringList& faults) {
    std::map<QString, QString> seen;
    for (int i = 0; i < node->childCount(); ++i) {
        QAccessibleInterface* child = node->child(i);
        if (!child || child->state().invisible) continue;
        if (child->state().focusable) {
            const QString name = NameOf(child);
            if (name.isEmpty())
                faults << "no name: " + Where(child);
            else if (seen.count(name) != 0)
                faults << "\"" + name + "\" twice: " + seen[name] + ", " + Where(child);
            else
                seen[name] = Where(child);
        }
        // The rows of a list are its data, named by their own texts; the list is the control.
        const QAccessible::Role role = child->role();
        if (role != QAccessible::List && role != QAccessible::Tree && role != QAccessible::Table &&
            role != QAccessible::ComboBox)
            Walk(child, faults);
    }
}

// Labels whose text does not fit them (wider than a one-line label, taller than a wrapping one),
// and a window larger than its screen's free area.
void CutOrTooLarge(QWidget* window, QStringList& faults) {
    for (QLabel* label : window->findChildren<QLabel*>()) {
        if (!label->isVisibleTo(window) || label->text().isEmpty()) continue;
        const bool cut = label->wordWrap() ? label->heightForWidth(label->width()) > label->height()
                                           : label->fontMetrics().horizontalAdvance(label->text()) >
                                                 label->contentsRect().width();
        if (cut) faults << "cut: " + label->objectName() + " \"" + label->text() + "\"";
    }
    const QRect room = window->screen()->availableGeometry();
    if (window->width() > room.width() || window->height() > room.height())
        faults
            << QString("%1x%2 does not fit its screen").arg(window->width()).arg(window->height());
}

// scripts/screenshots.sh sets QSP_SCREENSHOT_DIR to keep the Japanese windows as pictures.
void SaveScreenshot(QWidget* window, Language language, const char* name) {
    const char* dir = std::getenv("QSP_SCREENSHOT_DIR");
    if (!dir || language != Language::Japanese) return;
    QApplication::processEvents();
    window->grab().save(QString("%1/%2-ja-150.png").arg(dir, name));
}

std::string Faults(QWidget* window) {
    window->show();
    QStringList faults;
    Walk(QAccessible::queryAccessibleInterface(window), faults);
    CutOrTooLarge(window, faults);
    return S(faults.join("\n"));
}

class AccessibilityTest : public ::testing::TestWithParam<Language>, public qsptest::Rig {
protected:
    AccessibilityTest() : shown(GetParam()) {}
    InterfaceText shown;
};

TEST_P(AccessibilityTest, MainAndSettingsWindows) {
    MainWindow main(state, shown, pump, QSP_PICTURE_DIR);
    main.Load();
    EXPECT_EQ(Faults(&main), "");
    SaveScreenshot(&main, GetParam(), "main-window");
    for (int i = 0; i < 3; ++i)  // each picture is named as its link
        EXPECT_EQ(QAccessible::queryAccessibleInterface(
                      main.findChild<QLabel*>(QString("Picture1_%1").arg(i)))
                      ->text(QAccessible::Name),
                  main.Option(i)->text());

    QPointer<SettingsWindow> settings;
    ops.ScannerSetup([&] {
        settings = OpenSettingsWindow(state, pump, prompt, shown, link, lock, view, QSP_PICTURE_DIR,
                                      nullptr);
    });
    ASSERT_TRUE(settings);
    settings->findChild<QAction*>("mun02DelayBeep")->trigger();
    EXPECT_EQ(Faults(settings), "");
    settings->List()->setFocus();
    settings->List()->setCurrentItem(settings->List()->topLevelItem(1));
    SaveScreenshot(settings, GetParam(), "settings-window");
    // Every caption of the tree shows whole (the tree scrolls sideways when it must).
    QTreeWidget* categories = settings->Tree();
    categories->expandAll();
    for (QTreeWidgetItemIterator it(categories); *it; ++it)
        EXPECT_GE(categories->visualItemRect(*it).width(),
                  categories->iconSize().width() +
                      categories->fontMetrics().horizontalAdvance((*it)->text(0)))
            << S((*it)->text(0));

    // The tree's one column is what the tree is; a changed row says so, not only in bold.
    const CatalogueText translate(shown.language());
    QAccessibleInterface* header =
        QAccessible::queryAccessibleInterface(settings->Tree())->child(0);
    EXPECT_EQ(header->role(), QAccessible::ColumnHeader);
    EXPECT_EQ(S(header->text(QAccessible::Name)), translate("Categories"));
    state.ParamImage = FactoryImage(state.ParamImage, kRs232);
    state.ParamImage[142] = 3;  // Baud Rate
    settings->findChild<QAction*>("mun05RS232")->trigger();
    auto* rows = QAccessible::queryAccessibleInterface(settings->List())->tableInterface();
    for (int row = 0; row < rows->rowCount(); ++row) {
        const std::string label = S(settings->List()->topLevelItem(row)->text(0));
        EXPECT_EQ(S(rows->cellAt(row, 1)->text(QAccessible::Description)),
                  label == translate("Baud Rate") ? shown.LoadText(237) : "")
            << label;
    }
    // An "&" in a menu item is shown and read as it is written.
    auto* item = settings->findChild<QAction*>("mun15MSIPlessey");
    QAccessibleInterface* menu =
        QAccessible::queryAccessibleInterface(settings->findChild<QMenu*>("munBaccode"));
    std::string read = "(not in the menu)";
    for (int i = 0; i < menu->childCount(); ++i)
        if (menu->child(i)->object() == item) read = S(menu->child(i)->text(QAccessible::Name));
    EXPECT_EQ(read, translate("Plessey {MSI & UK}"));
    delete settings.data();
}

TEST_P(AccessibilityTest, DialogsAndTestWindow) {
    // A list, a list with its hint, two characters.
    for (auto [page, edit, label] : {std::tuple{1, EditDescriptor{150, 9, 3}, "Reading Mode"},
                                     {1, EditDescriptor{140, 9, 2}, "Interface"},
                                     {7, EditDescriptor{3, 12, 5}, "Set Code ID (Code 39)"}}) {
        ScratchBytes scratch{1, 'A'};
        ValueEditorModel model(page, edit, label, scratch);
        ValueEditorDialog dialog(model, shown);
        EXPECT_EQ(Faults(&dialog), "") << label;
        if (edit.index == 140) SaveScreenshot(&dialog, GetParam(), "value-editor");
    }
    CodeTypeDialog codeTypes(state.ParamImage, 290, shown);
    SpecialKeyboardModel::Scratch keys{};
    SpecialKeyboardDialog special(keys, 16, 0, "Preamble", shown);
    PrintChoiceDialog print(shown);
    DefaultBarcodeWindow success(prompt, shown);
    for (QWidget* dialog :
         {(QWidget*)&codeTypes, (QWidget*)&special, (QWidget*)&print, (QWidget*)&success})
        EXPECT_EQ(Faults(dialog), "") << dialog->metaObject()->className();
    for (int title : {223, 221, 239}) {
        RowListDialog list(shown, Q(shown.LoadText(title)), QStringList{"A", "B", "C"}, "-",
                           nullptr);
        if (title == 223)
            list.EnableFind([](const std::string&) { return std::vector<FoundRow>{}; });
        EXPECT_EQ(Faults(&list), "") << title;
    }
    for (UpdateSettingsMode mode :
         {UpdateSettingsMode::System, UpdateSettingsMode::Update, UpdateSettingsMode::None})
        for (const char* interface : {"0", "1"}) {
            state.Settings.InterfaceIndex = interface;
            UpdateSettingsWindow window(state, prompt, shown, mode);
            EXPECT_EQ(Faults(&window), "") << static_cast<int>(mode) << " link " << interface;
        }
    state.Settings.InterfaceIndex = "1";
    TestWindow test(state, pump, shown, link.Serial(), QSP_PICTURE_DIR);
    EXPECT_EQ(Faults(&test), "");
}

std::string LanguageName(const ::testing::TestParamInfo<Language>& info) {
    const char* const names[] = {"English", "TraditionalChinese", "Japanese", "SimplifiedChinese"};
    return names[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(Languages, AccessibilityTest,
                         ::testing::Values(Language::Neutral, Language::TraditionalChinese,
                                           Language::Japanese, Language::SimplifiedChinese),
                         LanguageName);

}  // namespace
}  // namespace qsp
