// The value editor as the settings window drives it: a row's byte goes into the scratch buffer,
// the editor opens for the shown page, and a button leaves the result in the scratch buffer.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "app/interface_text.h"
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

    Editor(int page, const EditDescriptor& edit, std::uint8_t byte, std::uint8_t second = 0)
        : scratch{byte, second}, model(page, edit, "row", scratch) {}
    Editor(int page, const std::string& label, std::uint8_t byte)
        : Editor(page, Row(page, label), byte) {}
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
    struct Case {
        int page;
        const char* label;
        std::uint8_t byte;
        const char* shows;   // nullptr: not checked
        const char* action;  // nullptr: none
        int stored;
    };
    const Case cases[] = {
        {1, "Reading Mode", 10, "Auto Sensing Mode(Laser)", "OK", 10},
        {1, "Reading Mode", 2, nullptr, "Test Mode", 4},
        {1, "Reading Mode", 8, "Auto Sensing Mode(Laser)", nullptr, 8},
        {1, "Reading Mode", 0, "Null", "OK", 0},
        // Interface 2 is corrected to 1 on opening, so even "Cancel" hands 1 back.
        {1, "Interface", 2, "RS232", "Cancel", 1},
        {1, "Interface", 0, nullptr, "USB(Cable)", 3},
        {1, "Code ID", 0, nullptr, "Default", 3},  // "Set ID On", not the factory value
        // A delay above 50 opens as the default and stays so after "Cancel".
        {1, kTimer1, 77, "3", "Cancel", 3},
        {1, kTimer1, 0, nullptr, "OK", 0},
        {1, "Auto Sensing Green-LED", 0xF0, nullptr, "Default", 0xF1},
        {1, "Send Data Length", 0xFF, "On", "Off", 0xF7},
        {1, "Send Data Length", 0xFF, nullptr, "Default", 0xF7},
        {16, "Telepen Code Output", 0x01, nullptr, "ASCII", 0x03},
        {14, "Code11 2/5 digits CD", 0xFF, "1 digit", "Default", 0xF7},
        {22, "Code128 Length Min", 120, "5", "Cancel", 5},
        {22, "Code128 Length Max", 10, nullptr, "99", 99},
        {14, "Code11 2/5 Length Max", 10, nullptr, "Default", 32},
        {8, "Codabar Start - Stop TYPE", 0xE5, "ABCD / TN*E", "abcd / abcd", 0xD5},
        {9, "First / Last digit suppressed", 29, "First", "No digit suppressed", 5},
        {15, "MSI Plessey CDV mod10", 25, "mod11 plus mod10", "double", 9},
        {15, "MSI Plessey CDV mod10", 9, nullptr, "mod11 plus mod10", 25},
        {15, "MSI Plessey CDV mod10", 1, nullptr, "mod11 plus mod10", 17},
        {5, "Baud Rate", 22, "38400 bps", "19200 bps", 7},
        {5, "Baud Rate", 1, nullptr, "38400 bps", 22},
        {5, "Baud Rate", 8, "Null", nullptr, 8},
        {5, "Data Length", 0x13, nullptr, "7 bits", 0x02},  // 8 bits, no parity: now "Even"
        {5, "Data Length", 0x07, nullptr, "7 bits", 0x06},  // "Odd" stays
        {5, "Data Parity", 0x13, nullptr, "Mark", 0x0F},
        {5, "Data Stop Bits", 0x13, nullptr, "2 stop bits", 0x53},
        {5, "Timeout", 0xC0, nullptr, "Unlimited", 0xC3},
        {4, "Capital Lock Mode", 0xF2, "Auto", "On", 0xF1},
        {4, "Capital Lock Mode", 0xF3, "Null", "OK", 0xF3},
        {4, "Capital Lock Mode", 0xF3, nullptr, "Default", 0xF0},
        {3, "Setup Code", 7, "Disable", "Enable", 0},
        {3, "Setup Code", 0, nullptr, "Disable", 204},
        {26, "Force Data Edit", 1, "Enable", nullptr, 1},
        {26, "Force Data Edit", 0, nullptr, "Enable", 1},
        {28, "F-2 Block 2 Find String", 3, "send", nullptr, 3},
        {28, "F-2 Block 2 Find String", 16, "Null", nullptr, 16},
        {28, "F-2 Block 2 Find String", 0, nullptr, "Not send", 15},
        {28, "F-2 Block 2 Find String", 15, nullptr, "send", 0},
        {26, "Format On / Off", 4, "Format 3 On , 1 / 2 Off", nullptr, 4},
        {26, "Format On / Off", 3, "Null", nullptr, 3},
        {26, "Format On / Off", 0, nullptr, "Format 3 On , 1 / 2 Off", 4},
        {26, "F-2 Min Length", 120, "0", "Cancel", 0},
        {27, "F-2 Block 1 Data Length", 0, nullptr, "42", 42},
        {31, "F-2 Output Sequence 1", 0, nullptr, "Block 2", 50},
        {31, "F-2 Output Sequence 1", '4', nullptr, "Null", 0},
        {31, "F-2 Output Sequence 1", 70, nullptr, "OK", 47},  // stored even without a selection
    };
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
    EXPECT_EQ(Editor(1, kTimer1, 0).model.SelectedIndex(), -1);
}

TEST(ValueEditor, HintsExplainAutoSensingAndTheInterfaceCable) {
    const InterfaceText english;
    EXPECT_EQ(Editor(1, "Reading Mode", 10).model.HintText(english),
              "Auto Sensing : " + english.LoadText(207));
    EXPECT_EQ(Editor(1, "Interface", 2).model.HintText(english), english.LoadText(208));
    EXPECT_FALSE(Editor(1, "Computer Type", 0).model.HintVisible());
    EXPECT_TRUE(Editor(3, "Setup Code", 7).model.HintVisible());
}

TEST(ValueEditor, RowZeroEnterAndTypedText) {
    Editor closed(1, EditDescriptor{140, 9, 0}, 2);
    EXPECT_FALSE(closed.model.Opens());
    closed.model.Ok();
    closed.model.Default();
    EXPECT_EQ(closed.scratch[0], 2);

    Editor typed(7, "Code39 State", 0);
    typed.model.SetListText("Enable");
    typed.model.EnterInList();
    EXPECT_EQ(typed.model.SelectedIndex(), 1);
    typed.model.SetListText("enable");
    typed.model.Ok();  // no entry matches: back to the initial "Disable"
    EXPECT_EQ(typed.model.ListText(), "Disable");
    EXPECT_EQ(typed.scratch[0], 0);

    Editor null(2, "Beep Tone", 11);
    null.model.EnterInList();
    EXPECT_EQ(null.model.ListText(), "Null");
    null.model.Default();
    EXPECT_EQ(null.scratch[0], 6);
}

TEST(ValueEditor, TwoCharacterEntry) {
    struct Case {
        std::uint8_t first, second;
        const char* shows;
        const char* typed;  // nullptr: "Default"
        int stored0, stored1;
    };
    const Case cases[] = {
        {255, 'B', "B", "c", 'c', 0xFF},
        {'A', 'B', "AB", "\xC3\xA9xy", 0xE9, 'x'},  // é x y: only two characters are kept
        {'A', 'B', "AB", "", 0xFF, 0xFF},
        {'A', 'B', "AB", nullptr, 0xFF, 0xFF},
    };
    for (const Case& c : cases) {
        Editor editor(7, Row(7, "Set Code ID (Code 39)"), c.first, c.second);
        EXPECT_FALSE(editor.model.UsesList());
        EXPECT_EQ(editor.model.Characters(), c.shows);
        if (c.typed) {
            editor.model.SetCharacters(c.typed);
            editor.model.Ok();
        } else {
            editor.model.Default();
        }
        EXPECT_EQ(editor.scratch[0], c.stored0) << c.shows << " " << (c.typed ? c.typed : "-");
        EXPECT_EQ(editor.scratch[1], c.stored1) << c.shows << " " << (c.typed ? c.typed : "-");
    }
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
                    for (std::string* t : {&listed, &expected}) {
                        for (char& c : *t)
                            c = static_cast<char>(std::tolower(c));
                    }
                }
                EXPECT_EQ(listed, expected) << "page " << page << ": " << row.label;
                ++checked;
                EXPECT_EQ(scratch[0], shown[row.edit.index]) << row.label;
            }
        }
    }
    EXPECT_GT(checked, 200);
}

}  // namespace
}  // namespace qsp
