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

std::string AllPages(ImageBytes image) {
    auto pages = ListedPages(image);
    pages.push_back(kWandPage);
    return PageRowsText(ShowPages(image, pages));
}

TEST(Profile, ExportThenApplyOntoTheFactoryFileShowsTheSamePagesOnEveryLink) {
    std::mt19937 random(20261206);
    int images = 0, rows = 0;
    for (int link : {kRs232, kUsb, kPs2}) {
        for (int n = 0; n < 100; ++n, ++images) {
            const ImageBytes original = RandomImage(link, random);
            const auto exported = ProfileRows(original, true);
            rows += static_cast<int>(exported.size());
            const std::string text = ProfileText(exported, "random.Dec");
            ImageBytes applied = Factory(ImageHostLink(original));
            const auto result = ApplyProfile(applied, text, "random.qsp-profile");
            ASSERT_TRUE(result.ok()) << result.Describe() << "\n" << text;
            ASSERT_EQ(AllPages(applied), AllPages(original)) << text;

            // Applying again changes nothing; only the changed rows give the same file.
            ImageBytes twice = applied;
            ASSERT_TRUE(ApplyProfile(twice, text, "p").ok());
            EXPECT_EQ(twice, applied);
            ImageBytes fromChanges = Factory(ImageHostLink(original));
            ASSERT_TRUE(
                ApplyProfile(fromChanges, ProfileText(ProfileRows(original, false), ""), "p").ok());
            EXPECT_EQ(AllPages(fromChanges), AllPages(original));
        }
    }
    std::cout << "round trips: " << images << " images, " << rows << " rows\n";
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
