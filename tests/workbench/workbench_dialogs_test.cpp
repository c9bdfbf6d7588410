#include <gtest/gtest.h>

#include "app/app_state.h"
#include "workbench/code_type_model.h"
#include "workbench/settings_session.h"
#include "workbench/key_sequence_model.h"

namespace qsp {
namespace {

// Ticking boxes and All Enable are checked through the dialog in the settings window tests.
TEST(CodeTypeModel, AllDisableClearsTheSpareBitsButNotTheNextByte) {
    ImageBytes image;
    image.fill(0xFF);
    CodeTypeModel model(image, 274);
    model.AllDisable();
    EXPECT_EQ((std::array<int, 4>{image[274], image[275], image[276], image[277]}),
              (std::array<int, 4>{0, 0, 0, 0xFF}));
    EXPECT_EQ(CodeTypeDialogCaption(434), "Format 3 Code Type");
    EXPECT_EQ(CodeTypeDialogCaption(300), "");
}

class KeyboardTest : public ::testing::Test {
protected:
    std::array<std::uint8_t, kScratchSize> scratch{};
};

TEST_F(KeyboardTest, OpeningShowsTheEntriesAndAllClearStartsAgain) {
    scratch[0] = 'A';
    scratch[1] = 208 + 23;  // "ENT"
    scratch[2] = 255;
    SpecialKeyboardModel model(scratch, 5);
    EXPECT_EQ(model.Text(0), "A");
    EXPECT_EQ(model.Text(1), "ENT");
    EXPECT_EQ(model.Text(2), "");
    EXPECT_TRUE(model.Enabled(2));
    EXPECT_FALSE(model.Enabled(3));
    model.Close();
    EXPECT_EQ(scratch[2], 0);  // an empty entry closes as 0

    scratch.fill('q');
    SpecialKeyboardModel cleared(scratch, 5);
    cleared.SetCurrent(3);
    EXPECT_EQ(cleared.AllClear(), 0);
    EXPECT_EQ(cleared.Current(), 0);
    EXPECT_FALSE(cleared.Enabled(1));
    EXPECT_EQ(scratch[4], 0);
    EXPECT_EQ(scratch[5], 'q');
}

TEST_F(KeyboardTest, KeysFillEntriesAndOverwriteTheLast) {
    SpecialKeyboardModel model(scratch, 16);
    for (int i = 0; i < 17; ++i)
        model.InsertKey(i);
    EXPECT_EQ(model.Current(), 15);
    EXPECT_EQ(scratch[14], 208 + 14);
    EXPECT_EQ(scratch[15], 208 + 16);  // "Up" replaced "Left"
    EXPECT_EQ(model.Text(15), "Up");

    SpecialKeyboardModel one(scratch, 1);
    EXPECT_EQ(one.InsertKey(0), -1);
    EXPECT_EQ(one.InsertKey(35), -1);
    EXPECT_EQ(scratch[0], 243);
    EXPECT_EQ(scratch[1], 208 + 1);  // beyond the entry: untouched
}

// Emptying an entry that has later ones moves them up (see the settings window tests); emptying
// the last filled entry clears it and closes the ones after it.
TEST_F(KeyboardTest, EmptyingTheLastEntryClosesTheOnesAfterIt) {
    scratch[0] = 'A', scratch[1] = 'B', scratch[2] = 'C';
    SpecialKeyboardModel model(scratch, 4);
    model.TextChanged(2, "");
    model.Leave(2);
    EXPECT_EQ(scratch[2], 0);
    EXPECT_TRUE(model.Enabled(2));
    EXPECT_FALSE(model.Enabled(3));
}

TEST_F(KeyboardTest, TypingAcceptsOneCharacterOrAKeyName) {
    scratch[0] = 'x';
    SpecialKeyboardModel model(scratch, 3);
    model.TextChanged(0, "ab");
    EXPECT_EQ(model.Enter(0), -1);
    model.Leave(0);
    EXPECT_EQ(model.Text(0), "x");
    EXPECT_EQ(scratch[0], 'x');

    model.TextChanged(0, "F5");
    EXPECT_TRUE(model.Enabled(1));
    EXPECT_EQ(model.Enter(0), 1);
    EXPECT_EQ(scratch[0], 212);
    model.TextChanged(1, "#");
    model.Close();
    EXPECT_EQ(scratch[1], '#');
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
