#include <gtest/gtest.h>

#include "base/app_state.h"
#include "workbench/code_type_model.h"
#include "workbench/key_sequence_model.h"
#include "workbench/settings_session.h"

namespace qsp {
namespace {

// Ticking a box is checked through the dialog in the settings window tests, with the caption of
// format 3.
TEST(CodeTypeModel, AllDisableClearsTheSpareBitsButNotTheNextByte) {
    ImageBytes image;
    image.fill(0xFF);
    CodeTypeModel model(image, 274);
    model.AllDisable();
    EXPECT_EQ((std::array<int, 4>{image[274], image[275], image[276], image[277]}),
              (std::array<int, 4>{0, 0, 0, 0xFF}));
    model.AllEnable();
    model.StoreBox(0, false);
    EXPECT_EQ(image[274], 254);
    EXPECT_EQ(CodeTypeDialogCaption(274), "Format 1 Code Type");
}

TEST(SpecialKeyboardModel, TypingKeysAndEmptyingEntries) {
    std::array<std::uint8_t, kScratchSize> scratch{};
    scratch[0] = 'x';
    scratch[1] = 208 + 23;  // "ENT"
    scratch[2] = 255;
    SpecialKeyboardModel model(scratch, 5);
    EXPECT_EQ(model.Text(1), "ENT");
    EXPECT_EQ(model.Text(2), "");
    EXPECT_TRUE(model.Enabled(2));
    EXPECT_FALSE(model.Enabled(3));
    model.TextChanged(0, "ab");  // neither one character nor a key name
    EXPECT_EQ(model.Enter(0), -1);
    model.Leave(0);
    EXPECT_EQ(scratch[0], 'x');
    model.TextChanged(2, "F5");  // a key name
    EXPECT_EQ(model.Enter(2), 3);
    EXPECT_EQ(model.InsertKey(0), 4);  // F1 into the next entry
    model.TextChanged(1, "");          // emptying a middle entry moves the later ones up
    model.Leave(1);
    EXPECT_EQ(model.Text(1), "F5");
    EXPECT_EQ(model.Text(2), "F1");
    model.TextChanged(2, "");  // emptying the last filled entry closes the ones after it
    model.Leave(2);
    EXPECT_FALSE(model.Enabled(3));
    model.Close();
    EXPECT_EQ((std::array<int, 4>{scratch[0], scratch[1], scratch[2], scratch[3]}),
              (std::array<int, 4>{'x', 212, 0, 0}));

    SpecialKeyboardModel full(scratch, 16);
    for (int i = 0; i < 17; ++i)
        full.InsertKey(i);
    EXPECT_EQ(full.Current(), 15);
    EXPECT_EQ(scratch[15], 208 + 16);  // "Up" replaced "Left"
    scratch.fill('q');
    SpecialKeyboardModel cleared(scratch, 5);
    EXPECT_EQ(cleared.AllClear(), 0);
    EXPECT_FALSE(cleared.Enabled(1));
    EXPECT_EQ(scratch[4], 0);
    EXPECT_EQ(scratch[5], 'q');  // beyond the entries: untouched
}

// The settings window's link clock.
TEST(LinkClock, CountsWholeSecondsWithCarries) {
    LinkClock clock;
    clock.Reset(std::chrono::seconds(5));
    EXPECT_FALSE(clock.Tick(std::chrono::milliseconds(5900)));
    EXPECT_EQ(clock.Tick(std::chrono::seconds(6)), "Link 0: 0: 1");
    EXPECT_EQ(clock.Tick(std::chrono::seconds(6 + 3599)), "Link 1: 0: 0");
    EXPECT_EQ(clock.Tick(std::chrono::seconds(6 + 3599 + 65)), "Link 1: 1: 5");
}

}  // namespace
}  // namespace qsp
