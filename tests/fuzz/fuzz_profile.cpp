// Applying a profile: a profile with faults changes nothing and names a line of the text; one
// that applies gives an image whose own profile applies onto it without changing a byte, and
// applying it again changes nothing either.

#include <cstdint>
#include <string>

#include "catalogue/reset_values.h"
#include "fuzz_support.h"
#include "workbench/profile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    qsp::ImageBytes image{};
    int page = 0;
    qsp::ResetImage(image, static_cast<int>(size % 3), page);
    const qsp::ImageBytes before = image;

    const auto result = qsp::ApplyProfile(image, text, "f");
    if (!result.ok()) {
        FUZZ_CHECK(image == before);
        int lines = 1;
        for (char c : text)
            lines += c == '\n' ? 1 : 0;
        for (const auto& e : result.errors)
            FUZZ_CHECK(e.line >= 1 && e.line <= lines && !e.message.Text().empty());
        return 0;
    }
    const qsp::ImageBytes applied = image;
    FUZZ_CHECK(qsp::ApplyProfile(image, text, "f").ok());
    FUZZ_CHECK(image == applied);
    const auto own = qsp::ProfileText(qsp::ProfileRows(applied, true), "");
    const auto again = qsp::ApplyProfile(image, own, "own");
    FUZZ_CHECK(again.ok());
    FUZZ_CHECK(again.changedBytes == 0);
    return 0;
}
