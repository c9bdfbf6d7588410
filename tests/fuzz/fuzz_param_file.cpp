// Opening a *.Dec file: a broken file changes nothing and says which line is wrong; a good one
// sets bytes 0..514 and saves back to the same bytes.

#include <cstdint>
#include <string_view>

#include "base/text_number.h"
#include "fuzz_support.h"
#include "workbench/param_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    qsp::ImageBytes image{};
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i * 7 + 3);
    const qsp::ImageBytes before = image;

    const qsp::ParamLoadResult r = qsp::ParseParamFile(text, image);
    if (!r.ok) {
        FUZZ_CHECK(image == before);
        FUZZ_CHECK(!r.why.Text().empty() && !r.Describe().empty());
        FUZZ_CHECK(r.line >= 1 && r.line <= qsp::kParamFileLines + 1);
        return 0;
    }
    FUZZ_CHECK(r.Describe().empty());
    FUZZ_CHECK(image[qsp::kParamFileLines] == before[qsp::kParamFileLines]);
    for (std::size_t i = qsp::kParamFileLines + 1; i < image.size(); ++i)
        FUZZ_CHECK(image[i] == before[i]);

    // What Save writes opens again as the same image.
    const std::string saved = qsp::FormatParamFile(image);
    qsp::ImageBytes reopened = before;
    FUZZ_CHECK(qsp::ParseParamFile(saved, reopened).ok);
    FUZZ_CHECK(reopened == image);
    return 0;
}
