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

// A factory image with every symbology switched on, so every page shows all its rows.
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
    return image;
}

EditDescriptor Row(int page, const std::string& label, const ImageBytes& image = FullImage()) {
    const auto edit = LookupRow(image, page, label);
    EXPECT_TRUE(edit.has_value()) << label;
    return edit.value_or(EditDescriptor{});
}

// One opening of the editor on `byte` (and `second` for a two-character row).
struct Editor {
    ScratchBytes scratch{};
    ValueEditorModel model;

    Editor(int page, const EditDescriptor& edit, std::uint8_t byte, std::uint8_t second = 0)
        : scratch(Start(byte, second)), model(page, edit, "row", scratch) {}
    Editor(int page, const std::string& label, std::uint8_t byte)
        : Editor(page, Row(page, label), byte) {}
    static ScratchBytes Start(std::uint8_t byte, std::uint8_t second) { return {byte, second}; }
    std::uint8_t Byte() const { return scratch[0]; }
    std::string Text() const { return model.ListText(); }
    // The user picks the entry with this text and presses "OK".
    std::uint8_t OkOn(const std::string& text) {
        const auto& options = model.Options();
        const auto found = std::find(options.begin(), options.end(), text);
        EXPECT_NE(found, options.end()) << text;
        model.Choose(static_cast<int>(found - options.begin()));
        model.Ok();
        return Byte();
    }
};

TEST(ModeAndInterface, ReadingModeInterfaceAndTimers) {
    Editor laser(1, "Reading Mode", 10);
    EXPECT_EQ(laser.Text(), "Auto Sensing Mode(Laser)");
    laser.model.Ok();
    EXPECT_EQ(laser.Byte(), 10);
    EXPECT_EQ(Editor(1, "Reading Mode", 2).OkOn("Test Mode"), 4);
    EXPECT_EQ(Editor(1, "Reading Mode", 8).Text(), "Auto Sensing Mode(Laser)");
    Editor none(1, "Reading Mode", 0);
    EXPECT_EQ(none.Text(), "Null");
    none.model.Ok();
    EXPECT_EQ(none.Byte(), 0);
    const InterfaceText english;
    EXPECT_EQ(laser.model.HintText(english), "Auto Sensing : " + english.LoadText(207));

    // Interface 2 is corrected to 1 on opening, so even "Cancel" hands 1 back.
    Editor wand(1, "Interface", 2);
    EXPECT_EQ(wand.Byte(), 1);
    EXPECT_EQ(wand.Text(), "RS232");
    wand.model.Cancel();
    EXPECT_EQ(wand.Byte(), 1);
    EXPECT_EQ(wand.model.HintText(english), english.LoadText(208));
    EXPECT_EQ(Editor(1, "Interface", 0).OkOn("USB(Cable)"), 3);

    EXPECT_FALSE(Editor(1, "Computer Type", 0).model.HintVisible());
    Editor codeId(1, "Code ID", 0);
    codeId.model.Default();
    EXPECT_EQ(codeId.Byte(), 3);  // "Set ID On", not the factory value

    // A delay above 50 opens as the default and stays so after "Cancel".
    ImageBytes timers = FullImage();
    timers[150] = 7;
    Editor delay(1, Row(1, "Delay timer1, when there was no symbology decoding", timers), 77);
    EXPECT_EQ(delay.Byte(), 3);
    EXPECT_EQ(delay.Text(), "3");
    delay.model.Cancel();
    EXPECT_EQ(delay.Byte(), 3);
    Editor zero(1, Row(1, "Delay timer1, when there was no symbology decoding", timers), 0);
    EXPECT_EQ(zero.model.SelectedIndex(), -1);
    zero.model.Ok();
    EXPECT_EQ(zero.Byte(), 0);
    Editor green(1, Row(1, "Auto Sensing Green-LED", timers), 0xF0);
    green.model.Default();
    EXPECT_EQ(green.Byte(), 0xF1);
}

TEST(BitLists, ChangeOnlyTheirBit) {
    Editor sendLength(1, "Send Data Length", 0xFF);
    EXPECT_EQ(sendLength.Text(), "On");
    EXPECT_EQ(sendLength.OkOn("Off"), 0xF7);
    Editor withDefault(1, "Send Data Length", 0xFF);
    withDefault.model.Default();
    EXPECT_EQ(withDefault.Byte(), 0xF7);
    EXPECT_EQ(Editor(16, "Telepen Code Output", 0x01).OkOn("ASCII"), 0x03);
    Editor code11(14, "Code11 2/5 digits CD", 0xFF);
    EXPECT_EQ(code11.Text(), "1 digit");
    code11.model.Default();
    EXPECT_EQ(code11.Byte(), 0xF7);
}

TEST(Symbologies, LengthsAndMultiBitFields) {
    Editor minimum(22, "Code128 Length Min", 120);
    EXPECT_EQ(minimum.Byte(), 5);
    EXPECT_EQ(minimum.Text(), "5");
    EXPECT_EQ(minimum.model.Options().size(), 99u);
    EXPECT_EQ(Editor(22, "Code128 Length Max", 10).OkOn("99"), 99);
    Editor maximum(14, "Code11 2/5 Length Max", 10);
    maximum.model.Default();
    EXPECT_EQ(maximum.Byte(), 32);

    Editor startStop(8, "Codabar Start - Stop TYPE", 0xE5);  // bits 5..4 = 10
    EXPECT_EQ(startStop.Text(), "ABCD / TN*E");
    EXPECT_EQ(startStop.OkOn("abcd / abcd"), 0xD5);

    EXPECT_EQ(Editor(9, "First / Last digit suppressed", 13).Text(), "Last");
    EXPECT_EQ(Editor(9, "First / Last digit suppressed", 29).OkOn("No digit suppressed"), 5);

    EXPECT_EQ(Editor(15, "MSI Plessey CDV mod10", 25).Text(), "mod11 plus mod10");
    EXPECT_EQ(Editor(15, "MSI Plessey CDV mod10", 25).OkOn("double"), 9);
    EXPECT_EQ(Editor(15, "MSI Plessey CDV mod10", 9).OkOn("mod11 plus mod10"), 25);
    EXPECT_EQ(Editor(15, "MSI Plessey CDV mod10", 1).OkOn("mod11 plus mod10"), 17);
}

TEST(Rs232AndKeyboard, FieldsKeepTheirNeighbours) {
    Editor baud(5, "Baud Rate", 22);
    EXPECT_EQ(baud.Text(), "38400 bps");
    EXPECT_EQ(baud.OkOn("19200 bps"), 7);
    EXPECT_EQ(Editor(5, "Baud Rate", 1).OkOn("38400 bps"), 22);
    EXPECT_EQ(Editor(5, "Baud Rate", 8).Text(), "Null");

    // 8 bits, no parity: 7 bits brings the parity to "Even".
    EXPECT_EQ(Editor(5, "Data Length", 0x13).OkOn("7 bits"), 0x02);
    EXPECT_EQ(Editor(5, "Data Length", 0x07).OkOn("7 bits"), 0x06);  // "Odd" stays
    EXPECT_EQ(Editor(5, "Data Parity", 0x13).OkOn("Mark"), 0x0F);
    EXPECT_EQ(Editor(5, "Data Stop Bits", 0x13).OkOn("2 stop bits"), 0x53);
    EXPECT_EQ(Editor(5, "Timeout", 0xC0).OkOn("Unlimited"), 0xC3);

    Editor caps(4, "Capital Lock Mode", 0xF2);
    EXPECT_EQ(caps.Text(), "Auto");
    EXPECT_EQ(caps.OkOn("On"), 0xF1);
    Editor unknown(4, "Capital Lock Mode", 0xF3);
    EXPECT_EQ(unknown.Text(), "Null");
    unknown.model.Ok();
    EXPECT_EQ(unknown.Byte(), 0xF3);
    unknown.model.Default();
    EXPECT_EQ(unknown.Byte(), 0xF0);
}

TEST(SendEnableLists, SetupCodeForceDataEditAndBlockSwitches) {
    Editor setup(3, "Setup Code", 7);
    EXPECT_EQ(setup.Text(), "Disable");
    EXPECT_TRUE(setup.model.HintVisible());
    EXPECT_EQ(setup.OkOn("Enable"), 0);
    EXPECT_EQ(Editor(3, "Setup Code", 0).OkOn("Disable"), 204);

    EXPECT_EQ(Editor(26, "Force Data Edit", 1).Text(), "Enable");
    EXPECT_EQ(Editor(26, "Force Data Edit", 0).OkOn("Enable"), 1);

    const EditDescriptor blockSwitch{374, 9, 4};  // F-2, block 2
    EXPECT_EQ(Editor(28, blockSwitch, 3).Text(), "send");
    EXPECT_EQ(Editor(28, blockSwitch, 16).Text(), "Null");
    EXPECT_EQ(Editor(28, blockSwitch, 0).OkOn("Not send"), 15);
    EXPECT_EQ(Editor(28, blockSwitch, 15).OkOn("send"), 0);
}

TEST(DataEdit, FormatSwitchRangesAndOutputSequence) {
    EXPECT_EQ(Editor(25, "Format On / Off", 4).Text(), "Format 3 On , 1 / 2 Off");
    EXPECT_EQ(Editor(25, "Format On / Off", 3).Text(), "Null");
    EXPECT_EQ(Editor(25, "Format On / Off", 0).OkOn("Format 3 On , 1 / 2 Off"), 4);

    Editor length(26, EditDescriptor{272, 9, 4}, 120);
    EXPECT_EQ(length.Byte(), 0);
    EXPECT_EQ(length.model.Options().front(), "0");
    EXPECT_EQ(Editor(27, EditDescriptor{285, 9, 1}, 0).OkOn("42"), 42);

    const EditDescriptor entry{332, 9, 2};  // F-1 output sequence entry 1
    EXPECT_EQ(Editor(31, entry, 0).OkOn("Block 2"), 50);
    EXPECT_EQ(Editor(31, entry, '4').OkOn("Null"), 0);
    Editor nothing(31, entry, 70);
    EXPECT_EQ(nothing.model.SelectedIndex(), -1);
    nothing.model.Ok();
    EXPECT_EQ(nothing.Byte(), 47);  // stored even without a selection
}

TEST(Dialog, RowZeroEnterAndTypedText) {
    Editor closed(1, EditDescriptor{140, 9, 0}, 2);
    EXPECT_FALSE(closed.model.Opens());
    closed.model.Ok();
    closed.model.Default();
    EXPECT_EQ(closed.Byte(), 2);

    Editor typed(7, "Code39 State", 0);
    typed.model.SetListText("Enable");
    typed.model.EnterInList();
    EXPECT_EQ(typed.model.SelectedIndex(), 1);
    typed.model.SetListText("enable");
    typed.model.Ok();  // no entry matches: back to the initial "Disable"
    EXPECT_EQ(typed.Text(), "Disable");
    EXPECT_EQ(typed.Byte(), 0);

    Editor null(2, "Beep Tone", 11);
    null.model.EnterInList();
    EXPECT_EQ(null.Text(), "Null");
    null.model.Default();
    EXPECT_EQ(null.Byte(), 6);
}

TEST(Dialog, TwoCharacterEntry) {
    const EditDescriptor codeId = Row(7, "Set Code ID (Code 39)");
    Editor shown(7, codeId, 255, 'B');
    EXPECT_FALSE(shown.model.UsesList());
    EXPECT_EQ(shown.model.Characters(), "B");
    shown.model.SetCharacters("c");
    shown.model.Ok();
    EXPECT_EQ(shown.scratch[0], 'c');
    EXPECT_EQ(shown.scratch[1], 0xFF);

    Editor longer(7, codeId, 'A', 'B');
    EXPECT_EQ(longer.model.Characters(), "AB");
    longer.model.SetCharacters("\xC3\xA9xy");  // é x y: only two characters are kept
    longer.model.Ok();
    EXPECT_EQ(longer.scratch[0], 0xE9);
    EXPECT_EQ(longer.scratch[1], 'x');

    Editor cleared(7, codeId, 'A', 'B');
    cleared.model.SetCharacters("");
    cleared.model.Ok();
    EXPECT_EQ(cleared.scratch[0], 0xFF);
    EXPECT_EQ(cleared.scratch[1], 0xFF);
    Editor reset(7, codeId, 'A', 'B');
    reset.model.Default();
    EXPECT_EQ(reset.scratch[0], 0xFF);
    EXPECT_EQ(reset.scratch[1], 0xFF);
}

// Every row a page shows that the value editor edits opens with the entry the page shows.
TEST(Pages, EveryEditedRowOpensOnItsShownValue) {
    int checked = 0;
    for (int switchValue : {0, 2}) {
        ImageBytes image = FullImage();
        image[256] = static_cast<std::uint8_t>(switchValue);
        image[416 + 76] = '3';  // F-2's first output entry
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
