#include <gtest/gtest.h>

#include "app/app_state.h"
#include "workbench/code_type_model.h"
#include "workbench/special_keyboard_model.h"

namespace qsp {
namespace {

TEST(CodeTypeModel, BoxesMapToThreeBytesAndKeepTheSpareBits) {
    ImageBytes image{};
    image[434 + 2] = 192;  // bits 6 and 7: no box
    CodeTypeModel model(image, 434);
    EXPECT_EQ(CodeTypeDialogCaption(434), "Format 3 Code Type");
    EXPECT_EQ(CodeTypeDialogCaption(300), "");
    for (int box = 16; box < kCodeTypeBoxes; ++box)
        EXPECT_FALSE(model.Ticked(box));

    model.StoreBox(21, true);  // "Industial 2 of 5", bit 5 of the third byte
    model.StoreBox(12, true);  // "Code 39", bit 4 of the second byte
    EXPECT_EQ(image[436], 192 + 32);
    EXPECT_EQ(image[435], 16);
    model.StoreBox(21, false);
    EXPECT_EQ(image[436], 192);
    EXPECT_TRUE(model.Ticked(12));
    EXPECT_EQ(CodeTypeCaption(12), "Code 39");
}

TEST(CodeTypeModel, AllEnableThenClearingUpcaLeaves254) {
    ImageBytes image{};
    CodeTypeModel model(image, 274);
    model.AllEnable();
    model.StoreBox(0, false);
    EXPECT_EQ(image[274], 254);
    EXPECT_EQ(image[275], 255);
    EXPECT_EQ(image[276], 255);
    model.AllDisable();
    EXPECT_EQ(image[276], 0);  // All Disable writes the spare bits too
    EXPECT_EQ(image[277], 0);
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

TEST_F(KeyboardTest, EmptyingAnEntryMovesTheLaterOnesUp) {
    scratch[0] = 'A', scratch[1] = 'B', scratch[2] = 'C', scratch[3] = 'D';
    SpecialKeyboardModel model(scratch, 4);
    model.TextChanged(2, "");
    model.Leave(2);
    EXPECT_EQ(model.Text(2), "D");
    EXPECT_EQ(model.Text(3), "");
    model.Close();
    EXPECT_EQ((std::array<int, 4>{scratch[0], scratch[1], scratch[2], scratch[3]}),
              (std::array<int, 4>{65, 66, 68, 0}));

    // Emptying the last filled entry clears it and closes the ones after it.
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

}  // namespace
}  // namespace qsp
