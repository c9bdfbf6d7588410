#include "workbench/profile.h"

#include <gtest/gtest.h>

#include <iostream>
#include <random>

#include "catalogue/catalogue.h"
#include "catalogue/reset_values.h"
#include "editor/value_editor_model.h"
#include "workbench/page_report.h"

namespace qsp {
namespace {

ImageBytes Factory(int link) {
    ImageBytes image{};
    int page = 0;
    ResetImage(image, link, page);
    return image;
}

// What a user who edits rows at random in the settings window leaves behind: each shown row
// edited with some chance, lists through the value editor, character runs and code types with
// random bytes, as the dialogs store them.
ImageBytes RandomImage(int link, std::mt19937& random) {
    ImageBytes image = Factory(link);
    const auto chance = [&](int n) {
        return std::uniform_int_distribution<int>(0, n - 1)(random) == 0;
    };
    if (chance(2)) image[256] = std::array<std::uint8_t, 3>{1, 2, 4}[random() % 3];
    for (int round = 0; round < 2; ++round) {
        auto pages = ListedPages(image);
        pages.push_back(kWandPage);
        for (int page : pages) {
            for (const auto& row : ShowPage(image, page)) {
                if (!chance(3)) continue;
                const auto& edit = row.edit;
                const int kind = edit.bitOrKind;
                if (kind == kEditCodeTypes) {
                    for (int i = 0; i < 3; ++i)
                        image[edit.index + i] = static_cast<std::uint8_t>(random());
                } else if (kind > kEditRunBase && kind < kEditClearFormat) {
                    const int n = static_cast<int>(random() % (kind - kEditRunBase + 1));
                    // The value editor's two-character code identifiers take typed characters.
                    const bool keys = kind != kEditRunBase + 2 || edit.index >= 256;
                    for (int i = 0; i < kind - kEditRunBase && InImage(edit.index + i); ++i) {
                        const auto c = keys && chance(4) ? 208 + random() % 36 : 33 + random() % 94;
                        image[edit.index + i] = i < n ? static_cast<std::uint8_t>(c) : 0;
                    }
                } else if (kind <= kEditWholeByte) {
                    ScratchBytes scratch{};
                    scratch[0] = image[edit.index];
                    ValueEditorModel model(page, edit, row.label, scratch);
                    if (!model.Opens() || model.Options().empty()) continue;
                    model.Choose(static_cast<int>(random() % model.Options().size()));
                    model.Ok();
                    image[edit.index] = scratch[0];
                }
            }
        }
    }
    return image;
}

// Whether two images show the same rows with the same values on every page, and hold the same
// bits in every row, hidden rows included; a failure names the first row that differs.
::testing::AssertionResult SameRows(ImageBytes want, ImageBytes got) {
    auto pages = ListedPages(want);
    pages.push_back(kWandPage);
    if (ListedPages(got) != ListedPages(want)) return ::testing::AssertionFailure() << "pages";
    for (int page : pages) {
        auto wantRows = ShowPage(want, page);
        const auto gotRows = ShowPage(got, page);
        if (gotRows.size() != wantRows.size())
            return ::testing::AssertionFailure() << "rows on page " << page;
        for (const auto& hidden : HiddenRows(want, page))
            wantRows.push_back(hidden);
        for (std::size_t r = 0; r < wantRows.size(); ++r) {
            const auto& row = wantRows[r];
            if ((r < gotRows.size() &&
                 (gotRows[r].label != row.label || gotRows[r].value != row.value)) ||
                !SameRowBits(got, want, row.bits))
                return ::testing::AssertionFailure()
                       << "page " << page << " row " << row.label << ": "
                       << RawRowText(got, row.bits) << " instead of " << RawRowText(want, row.bits);
        }
    }
    return ::testing::AssertionSuccess();
}

// Blocks as the settings window leaves them (every other one) and as scanners in the field hold
// them: every parameter byte anything from 0 to 255, gates and lists included. Export then apply
// onto the link's factory file gives back every row with its value and every bit each row reads
// (a key sequence's length byte and padding, rows behind a state row that is off); applying
// again changes nothing, and the changed rows alone give the same block.
TEST(Profile, AnyBlockComesBackRowForRowAndBitForBit) {
    std::mt19937 random(20261207);
#if defined(__SANITIZE_ADDRESS__)
    const int perLink = 40;  // the sanitizers make each round trip some ten times slower
#else
    const int perLink = 300;
#endif
    // Interface byte values that select each link.
    const std::vector<std::vector<std::uint8_t>> interfaces = {{1, 4}, {3, 5}, {0, 2, 6, 200}};
    int blocks = 0, rows = 0, raw = 0;
    for (int link : {kRs232, kUsb, kPs2}) {
        for (int n = 0; n < perLink; ++n, ++blocks) {
            ImageBytes original{};
            if (n % 2 == 0) {
                original = RandomImage(link, random);
            } else {
                for (std::size_t i = 0; i < 512; ++i)
                    original[i] = static_cast<std::uint8_t>(random());
                const auto& values = interfaces[static_cast<std::size_t>(link)];
                original[140] = values[random() % values.size()];
            }
            // The settings window may have changed the interface: its link's factory file.
            const int host = ImageHostLink(original);

            const auto exported = ProfileRows(original, true);
            rows += static_cast<int>(exported.size());
            for (const auto& row : exported)
                raw += row.value.rfind("raw ", 0) == 0 ? 1 : 0;
            const std::string text = ProfileText(exported, "field.Dec");
            ImageBytes applied = Factory(host);
            const auto result = ApplyProfile(applied, text, "field.qsp-profile");
            ASSERT_TRUE(result.ok()) << result.Describe() << "\n" << text;
            ASSERT_TRUE(SameRows(original, applied)) << text;

            ImageBytes twice = applied;
            ASSERT_TRUE(ApplyProfile(twice, text, "p").ok());
            EXPECT_EQ(twice, applied);
            ImageBytes fromChanges = Factory(host);
            ASSERT_TRUE(
                ApplyProfile(fromChanges, ProfileText(ProfileRows(original, false), ""), "p").ok());
            EXPECT_TRUE(SameRows(original, fromChanges));
        }
    }
    std::cout << "round trips: " << blocks << " blocks, " << rows << " rows, " << raw
              << " in the raw form\n";
}

// The raw form stores exactly the bits it names on every kind of row, and export writes it back
// for values no list or range of the editor offers.
TEST(Profile, TheRawFormStoresTheBitsOfEveryKindOfRow) {
    const std::string formatOn = "[Format Setting]\nFormat On / Off = Format 1 On , 2 / 3 Off\n";
    // clang-format off
    struct Case { std::string section, row; std::size_t first; std::vector<std::uint8_t> bytes; bool exported = true; };
    // clang-format on
    const std::vector<Case> cases = {
        {"Mode and Interface", "Reading Mode = raw 13", 150, {13}},              // a list
        {"Code 39 -{Code32}", "Code-39 Length Max = raw 128", 2, {128}},         // a number
        {"RS-232", "Data Stop Bits = raw 3", 143, {0x63}},                       // a field
        {"Mode and Interface", "Send Data Length = raw 1", 149, {0x08}, false},  // a bit
        {"Code 39 -{Code32}", "Set Code ID (Code 39) = raw 0 65", 3, {0, 65}},   // 2 characters
        {"Other",
         "Preamble = raw 2 65 66 0 7 7 0 0 0 0 0 0 0 0 0 0 0",
         105,
         {2, 65, 66, 0, 7, 7, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},  // a key sequence
        {"Code Type and Output", "F-1 Code Type = raw 1 2 255", 274, {1, 2, 255}},  // code types
        {"Format Setting", "F-1 Find String Data = raw 65 0 66 0 0", 279, {65, 0, 66, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        ImageBytes image = Factory(kRs232);
        // Bytes 143 and 149 hold other rows' bits too: only the named ones change.
        image[143] = 0x03;
        image[149] = 0x00;
        const auto result =
            ApplyProfile(image, formatOn + "[" + c.section + "]\n" + c.row + "\n", "p");
        ASSERT_TRUE(result.ok()) << result.Describe();
        for (std::size_t i = 0; i < c.bytes.size(); ++i)
            EXPECT_EQ(int(image[c.first + i]), int(c.bytes[i])) << "byte " << c.first + i;
        // Export writes the raw form where the row's text would not give these bits back.
        const std::string exported = ProfileText(ProfileRows(image, true), "");
        EXPECT_EQ(exported.find(c.row + "\n") != std::string::npos, c.exported) << exported;
    }

    // A row behind a state row that is off keeps its bits in the raw form, in either order.
    for (const std::string text :
         {"[Code 39 -{Code32}]\nCode39 State = Disable\nCode-39 Length Max = raw 77\n",
          "[Code 39 -{Code32}]\nCode-39 Length Max = raw 77\nCode39 State = Disable\n"}) {
        ImageBytes image = Factory(kUsb);
        const auto result = ApplyProfile(image, text, "p");
        ASSERT_TRUE(result.ok()) << result.Describe();
        EXPECT_EQ(image[2], 77);
        EXPECT_EQ(image[0] & 1, 0);
        const std::string exported = ProfileText(ProfileRows(image, false), "");
        EXPECT_NE(exported.find("Code-39 Length Max = raw 77\n"), std::string::npos) << exported;
    }

    // The ordinary form still refuses what the editor refuses; a raw value must fit the row.
    const std::vector<std::pair<std::string, std::string>> bad = {
        {"[Code 39 -{Code32}]\nCode-39 Length Max = 128\n", "is out of range for row"},
        {"[Mode and Interface]\nReading Mode = raw 256\n",
         "\"raw 256\" is not a raw value for row \"Reading Mode\": it takes 1 numbers from 0 to "
         "255"},
        {"[Mode and Interface]\nReading Mode = raw 1 2\n", "takes 1 numbers"},
        {"[RS-232]\nData Stop Bits = raw 4\n", "from 0 to 3"},
        {"[Other]\nPreamble = raw\n", "it takes 17 numbers"},
        {"[Other]\nPreamble = raw 2 x\n", "is not a raw value"},
        // A row number of any size names no row.
        {"[Mode and Interface]\nTerminator #99999999999 = CR\n",
         "no row \"Terminator #99999999999\" on page \"Mode and Interface\""},
    };
    for (const auto& [text, message] : bad) {
        SCOPED_TRACE(text);
        ImageBytes image = Factory(kUsb);
        const ImageBytes before = image;
        const auto result = ApplyProfile(image, text, "bad.qsp-profile");
        ASSERT_FALSE(result.ok());
        EXPECT_TRUE(result.Describe().rfind("bad.qsp-profile:2: ", 0) == 0) << result.Describe();
        EXPECT_NE(result.Describe().find(message), std::string::npos) << result.Describe();
        EXPECT_EQ(image, before);
    }
}

// A difference inside a key sequence belongs to its row: five characters of Preamble are one row
// and no unshown bytes; the same text on other padding is the row again, in the raw form.
TEST(Profile, DifferencesGiveEveryByteOfARowsRunToThatRow) {
    const ImageBytes factory = Factory(kRs232);
    ImageBytes changed = factory;
    ASSERT_TRUE(ApplyProfile(changed, "[Other]\nPreamble = {A}{B}{C}{D}{E}\n", "p").ok());
    auto difference = CompareImages(factory, changed);
    ASSERT_EQ(difference.rows.size(), 1u);
    EXPECT_EQ(difference.rows[0].label, "Preamble");
    EXPECT_EQ(difference.rows[0].second, "{A}{B}{C}{D}{E}");
    EXPECT_TRUE(difference.unshownBytes.empty());

    ImageBytes padded = changed;
    padded[120] = 9;  // after the end of the run: the same text
    difference = CompareImages(changed, padded);
    ASSERT_EQ(difference.rows.size(), 1u);
    EXPECT_EQ(difference.rows[0].first->substr(0, 8), "raw 5 65");
    EXPECT_EQ(difference.rows[0].second->substr(difference.rows[0].second->size() - 4), " 9 0");
    EXPECT_TRUE(difference.unshownBytes.empty());

    ImageBytes unshown = factory;
    unshown[155] ^= 1;  // no row reads this byte
    difference = CompareImages(factory, unshown);
    EXPECT_TRUE(difference.rows.empty());
    ASSERT_EQ(difference.unshownBytes.size(), 1u);
    EXPECT_EQ(difference.unshownBytes[0].index, 155u);
}

// Rows behind a gate (the format rows exist only once the format switch selects one) are reached
// whatever the order of the profile's sections; characters and key names go through the special
// keyboard, code types through their boxes. The export then holds exactly the rows that differ
// from the link's factory values, in page order.
TEST(Profile, ApplyingReachesRowsBehindAGateAndExportHoldsOnlyTheChangedRows) {
    for (int link : {kRs232, kUsb, kPs2})
        EXPECT_TRUE(ProfileRows(Factory(link), false).empty()) << link;
    ImageBytes image = Factory(kRs232);
    const auto result =
        ApplyProfile(image,
                     "# checkout\n[Block 1]\nF-1 Block 1 Find String Data = {F1}{}}\n"
                     "[Code Type and Output]\nF-1 Code Type = UPCA,EAN13,\n\n"
                     "[Format Setting]\nFormat On / Off = Format 1 On , 2 / 3 Off\n"
                     "[Mode and Interface]\nTerminator = CR\n",
                     "p");
    ASSERT_TRUE(result.ok()) << result.Describe();
    EXPECT_EQ(result.changedBytes, 5u);  // the find string is two bytes
    EXPECT_EQ(ProfileText(ProfileRows(image, false), "a.Dec"),
              "# QSP profile of a.Dec\n[Mode and Interface]\nTerminator = CR\n\n"
              "[Format Setting]\nFormat On / Off = Format 1 On , 2 / 3 Off\n\n"
              "[Block 1]\nF-1 Block 1 Find String Data = {F1}{}}\n\n"
              "[Code Type and Output]\nF-1 Code Type = UPCA,EAN13,\n");
    // A parameter file is told from a profile by its extension, in any case.
    EXPECT_TRUE(IsParamFilePath("usb.DEC"));
    EXPECT_FALSE(IsParamFilePath("p.qsp-profile"));
}

TEST(Profile, BadProfilesNameTheirLineAndLeaveTheImageAsItWas) {
    // clang-format off
    struct Case { std::string text; int line; std::string message; };
    // clang-format on
    const std::vector<Case> cases = {
        {"[RS-232]\nBaud Rat = 9600\n", 2, "no row \"Baud Rat\" on page \"RS-232\""},
        {"# c\n[RS232]\nBaud Rate = 9600\n", 2, "no page \"RS232\""},
        {"[Code 128 -{EAN128}]\nCode128 Length Min = 300\n", 2,
         "\"300\" is out of range for row \"Code128 Length Min\""},
        {"[Mode and Interface]\nTerminator = CR\nTerminator = TAB\n", 3,
         "row \"Terminator\" on page \"Mode and Interface\" is set twice (first on line 2)"},
        {"[Mode and Interface]\n\nTerminator CR\n", 3, "not a comment, a [page] section"},
        {"Terminator = CR\n", 1, "a setting before the first [page] section"},
        {"[Mode and Interface]\nReading Mode = Sometimes\n", 2,
         "\"Sometimes\" is not a value row \"Reading Mode\" can take"},
        {"[Code 128 -{EAN128}]\nCode128 State = Disable\nCode128 Length Min = 7\n", 3,
         "row \"Code128 Length Min\" on page \"Code 128 -{EAN128}\" is not shown"},
        {"[Format Setting]\nFormat On / Off = Format 1 On , 2 / 3 Off\nF-1 Min Length = 5\n"
         "[Block 1]\nF-1 Block 1 Find String Data = {A}{B}{C}\n",
         5, "is too long for row"},
        {"[Format Setting]\nFormat On / Off = Format 1 On , 2 / 3 Off\n[Code Type and Output]\n"
         "F-1 Code Type = UPCA,Code 999,\n",
         4, "\"Code 999\" is not a code type"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        ImageBytes image = Factory(kUsb);
        const ImageBytes before = image;
        const auto result = ApplyProfile(image, c.text, "bad.qsp-profile");
        ASSERT_FALSE(result.ok());
        EXPECT_EQ(result.errors.front().line, c.line);
        const std::string first = result.errors.front().Describe();
        EXPECT_EQ(first.rfind("bad.qsp-profile:" + std::to_string(c.line) + ": ", 0), 0u) << first;
        EXPECT_NE(first.find(c.message), std::string::npos) << first;
        EXPECT_EQ(image, before);
    }
}

}  // namespace
}  // namespace qsp
