// The value editor as the settings window drives it: a row's byte goes into the scratch buffer,
// the editor opens for the shown page, and a button leaves the result in the scratch buffer.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "base/interface_text.h"
#include "catalogue/catalogue.h"
#include "catalogue/reset_values.h"
#include "editor/value_editor_model.h"

namespace qsp {
namespace {

// A factory image with every symbology switched on, the CCD auto sensing mode (the timer rows)
// and format 2 with its first output entry, so every page shows all its rows.
ImageBytes FullImage() {
    ImageBytes image{};
    int page = 0;
    ResetImage(image, 0, page);
    for (int flags :
         {0, 9, 18, 23, 28, 33, 38, 43, 48, 53, 58, 63, 67, 71, 75, 79, 84, 93, 96, 99, 156}) {
        image[flags] |= 1;
    }
    image[0] |= 0x20;  // Code 32
    image[84] |= 2;    // EAN-128
    image[150] = 7;
    image[256] = 2;
    image[336 + 76] = '1';
    return image;
}

EditDescriptor Row(int page, const std::string& label) {
    const auto edit = LookupRow(FullImage(), page, label);
    EXPECT_TRUE(edit.has_value()) << label;
    return edit.value_or(EditDescriptor{});
}

// One opening of the editor on `byte` (and `second` for a two-character row).
struct Editor {
    ScratchBytes scratch{};
    ValueEditorModel model;

    Editor(int page, const std::string& label, std::uint8_t byte, std::uint8_t second = 0)
        : scratch{byte, second}, model(page, Row(page, label), "row", scratch) {}
    // The user presses "OK", "Cancel" or "Default", or picks the entry with this text and
    // presses "OK".
    void Press(const std::string& action) {
        if (action == "Cancel") return model.Cancel();
        if (action == "Default") return model.Default();
        if (action != "OK") {
            const auto& options = model.Options();
            const auto found = std::find(options.begin(), options.end(), action);
            EXPECT_NE(found, options.end()) << action;
            model.Choose(static_cast<int>(found - options.begin()));
        }
        model.Ok();
    }
};

constexpr const char* kTimer1 = "Delay timer1, when there was no symbology decoding";

// What the list shows on opening a row on `byte`, and the byte a button leaves behind.
TEST(ValueEditor, ListsShowTheByteAndButtonsStoreOnlyTheirField) {
    // clang-format off
    struct Case { int page; const char* label; std::uint8_t byte; const char *shows, *action; int stored; };
    const Case cases[] = {  // shows, action: nullptr when not checked or no button
        {1, "Reading Mode", 10, "Auto Sensing Mode(Laser)", "OK", 10},
        {1, "Reading Mode", 2, nullptr, "Test Mode", 4},
        {1, "Reading Mode", 0, "Null", "OK", 0}, {2, "Beep Tone", 11, "Null", "Default", 6},
        {1, "Interface", 2, "RS232", "Cancel", 1},  // 2 is corrected to 1 on opening
        {1, "Interface", 0, nullptr, "USB(Cable)", 3},
        {1, "Code ID", 0, nullptr, "Default", 3},  // "Set ID On", not the factory value
        {1, kTimer1, 77, "3", "Cancel", 3},  // above 50 opens as the default
        {1, "Auto Sensing Green-LED", 0xF0, nullptr, "Default", 0xF1},
        {1, "Send Data Length", 0xFF, "On", "Off", 0xF7},
        {22, "Code128 Length Min", 120, "5", "Cancel", 5},
        {22, "Code128 Length Max", 10, nullptr, "99", 99},
        {8, "Codabar Start - Stop TYPE", 0xE5, "ABCD / TN*E", "abcd / abcd", 0xD5},
        {15, "MSI Plessey CDV mod10", 25, "mod11 plus mod10", "double", 9},
        {5, "Baud Rate", 22, "38400 bps", "19200 bps", 7},
        {5, "Data Length", 0x13, nullptr, "7 bits", 0x02},  // 8 bits, no parity: now "Even"
        {4, "Capital Lock Mode", 0xF2, "Auto", "On", 0xF1},
        {3, "Setup Code", 0, nullptr, "Disable", 204},
        {28, "F-2 Block 2 Find String", 0, nullptr, "Not send", 15},
        {26, "Format On / Off", 4, "Format 3 On , 1 / 2 Off", nullptr, 4},
        {26, "F-2 Min Length", 120, "0", "Cancel", 0},
        {31, "F-2 Output Sequence 1", 0, nullptr, "Block 2", 50},
        {31, "F-2 Output Sequence 1", 70, nullptr, "OK", 47},  // stored even without a selection
    };
    // clang-format on
    for (const Case& c : cases) {
        Editor editor(c.page, c.label, c.byte);
        const std::string label = std::string(c.label) + " on " + std::to_string(c.byte);
        if (c.shows) {
            EXPECT_EQ(editor.model.ListText(), c.shows) << label;
        }
        if (c.action) editor.Press(c.action);
        EXPECT_EQ(editor.scratch[0], c.stored) << label << ", " << (c.action ? c.action : "-");
    }
    EXPECT_EQ(Editor(22, "Code128 Length Min", 0).model.Options().size(), 99u);
}

TEST(ValueEditor, HintsExplainAutoSensingAndShowOnlyWhereTheyHelp) {
    const InterfaceText english;
    EXPECT_EQ(Editor(1, "Reading Mode", 10).model.HintText(english),
              "Auto Sensing : " + english.LoadText(207));
    EXPECT_FALSE(Editor(1, "Computer Type", 0).model.HintVisible());
    EXPECT_TRUE(Editor(3, "Setup Code", 7).model.HintVisible());
}

// Every row a page shows that the value editor edits opens with the entry the page shows.
TEST(Pages, EveryEditedRowOpensOnItsShownValue) {
    int checked = 0;
    for (int switchValue : {0, 2}) {
        ImageBytes image = FullImage();
        image[256] = static_cast<std::uint8_t>(switchValue);
        for (int page = 1; page <= kLastPage; ++page) {
            ImageBytes shown = image;
            for (const PropertyRow& row : ShowPage(shown, page)) {
                const bool codeId = row.edit.bitOrKind == kEditRunBase + 2 && row.edit.index < 256;
                if (row.edit.bitOrKind > kEditWholeByte + 1 && !codeId) continue;
                ScratchBytes scratch{};
                scratch[0] = shown[row.edit.index];
                scratch[1] = shown[row.edit.index + 1u];
                ValueEditorModel model(page, row.edit, row.label, scratch);
                std::string expected = row.value;
                if (!expected.empty() && expected[0] == ' ') expected.erase(0, 1);  // numbers
                if (!model.UsesList()) {
                    EXPECT_EQ("{" + model.Characters() + "}", expected.empty() ? "{}" : expected)
                        << row.label;
                    continue;
                }
                std::string listed = model.ListText();
                if (row.label.ends_with(
                        " Find String")) {  // the page writes "Send", the list "send"
                    for (std::string* t : {&listed, &expected})
                        std::transform(t->begin(), t->end(), t->begin(), ::tolower);
                }
                EXPECT_EQ(listed, expected) << "page " << page << ": " << row.label;
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 200);
}

}  // namespace
}  // namespace qsp
