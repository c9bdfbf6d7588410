#include "catalogue/catalogue.h"

#include <algorithm>
#include <map>

#include "base/text_number.h"
#include "catalogue/key_codes.h"
#include "catalogue/page_table.h"
#include "catalogue/value_texts.h"

namespace qsp {

namespace {

using pages::PageDef;
using pages::RowDef;
using pages::Show;
using pages::When;

constexpr std::size_t kComputerTypeIndex = 139;
constexpr std::size_t kInterfaceIndex = 140;
constexpr std::size_t kReadingModeIndex = 150;
constexpr std::size_t kSetupCodeIndex = 153;
constexpr std::uint8_t kUsbCable = 3;
constexpr std::uint8_t kNotebookPc = 1;
constexpr std::uint8_t kSetupCodeOff = 204;
constexpr std::uint8_t kLaserAutoSensing = 10;
constexpr std::uint8_t kLastPlainReadingMode = 6;

constexpr std::size_t kOutputCountOffset = 75;  // number of entries; entry i at +75+i
constexpr int kOutputEntries = 8;

// The value text of a Clear Format row: the row is an action, not a value.
constexpr const char* kClearFormatText = " ( Double Click )";

// The find strings of the three formats: the byte before each is "Find Data Length", not the
// run's length.
bool IsFindString(std::size_t index) {
    return index == 279 || index == 359 || index == 439;
}

bool IsOutputEntry(std::uint8_t b) {
    return b >= '1' && b <= '8';
}

// Whether a row belongs to the page for this image (before any state gate).
bool Applies(const RowDef& row, const ImageBytes& image,
             const std::optional<DataEditFormat>& format) {
    if (row.inFormat && !format) return false;
    const std::uint8_t mode = image[kReadingModeIndex];
    switch (row.when) {
        case When::Always:
            return true;
        case When::TimerRows:
            return mode > kLastPlainReadingMode;
        case When::GreenLedRow:
            return mode > kLastPlainReadingMode && mode != kLaserAutoSensing;
        case When::LingerRow:
            return mode == kLaserAutoSensing;
        case When::SwitchOff:
            return image[kFormatSwitchIndex] == 0;
        case When::OutputEntryRow: {
            const int entry = row.index - static_cast<int>(kOutputCountOffset);
            return entry <= ValidOutputEntries(image, format->base) + 1;
        }
    }
    return false;
}

std::size_t FieldIndex(const RowDef& row, const std::optional<DataEditFormat>& format) {
    return row.inFormat ? format->base + row.index : row.index;
}

std::string Label(const RowDef& row, const std::optional<DataEditFormat>& format) {
    return row.inFormat ? format->name + row.label : row.label;
}

EditDescriptor Descriptor(const RowDef& row, const ImageBytes& image,
                          const std::optional<DataEditFormat>& format, int rowNumber) {
    EditDescriptor d;
    d.index = static_cast<std::uint16_t>(FieldIndex(row, format));
    d.row = static_cast<std::uint16_t>(rowNumber);
    switch (row.show) {
        case Show::Bit:
        case Show::Field:
            d.bitOrKind = row.low;
            break;
        case Show::Chars:
            d.bitOrKind = kEditRunBase + row.arg;
            break;
        case Show::ClearFormat:
            d.index = image[kFormatSwitchIndex];
            d.bitOrKind = kEditClearFormat;
            break;
        case Show::CodeTypes:
            d.bitOrKind = kEditCodeTypes;
            break;
        default:
            d.bitOrKind = kEditWholeByte;
            break;
    }
    return d;
}

RowBits Bits(const RowDef& row, const std::optional<DataEditFormat>& format) {
    const std::size_t index = FieldIndex(row, format);
    RowBits bits{index, 1, 0xFF};
    switch (row.show) {
        case Show::Bit:
        case Show::Field: {
            const unsigned width = row.high - row.low + 1u;
            bits.mask = static_cast<std::uint8_t>(((1u << width) - 1u) << row.low);
            break;
        }
        case Show::Chars:
            bits.count = row.arg;
            if ((row.arg == 5 || row.arg == 16) && !IsFindString(index)) {
                --bits.first;
                ++bits.count;
            }
            break;
        case Show::CodeTypes:
            bits.count = 3;
            break;
        case Show::ClearFormat:
            bits.count = 0;
            break;
        default:
            break;
    }
    if (bits.first + bits.count > kParamImageSize) bits.count = kParamImageSize - bits.first;
    return bits;
}

std::string ValueText(const RowDef& row, ImageBytes& image,
                      const std::optional<DataEditFormat>& format) {
    const std::size_t index = FieldIndex(row, format);
    switch (row.show) {
        case Show::Bit:
            return ShowBitRow(image, index, row.low, row.arg);
        case Show::Field:
            return row.text(FieldValue(image[index], row.high, row.low), image);
        case Show::Enumeration:
            return row.text(image[index], image);
        case Show::Number:
            return ShowNumberRow(image, index);
        case Show::CappedNumber:
            if (image[index] > row.arg) image[index] = row.arg2;
            return ShowNumberRow(image, index);
        case Show::Match:
            return ShowMatchRow(image, index, row.arg, row.arg2);
        case Show::Chars:
            return ShowCharsRow(image, index, row.arg);
        case Show::ClearFormat:
            return kClearFormatText;
        case Show::CodeTypes:
            return CodeTypeText(image, index);
        case Show::OutputEntry:
            return OutputSequenceText(image[index]);
    }
    return "";
}

// Clears the entries from the first invalid one up to entry 7 and stores how many are valid.
void CorrectOutputSequence(ImageBytes& image, std::size_t base) {
    const int valid = ValidOutputEntries(image, base);
    for (int entry = valid + 1; entry < kOutputEntries; ++entry) {
        image[base + kOutputCountOffset + entry] = 0;
    }
    image[base + kOutputCountOffset] = static_cast<std::uint8_t>(valid);
}

void ApplyCorrection(const PageDef& page, ImageBytes& image,
                     const std::optional<DataEditFormat>& format) {
    switch (page.correction) {
        case pages::Correction::None:
            break;
        case pages::Correction::ComputerType:
            if (image[kInterfaceIndex] == kUsbCable) image[kComputerTypeIndex] = kNotebookPc;
            break;
        case pages::Correction::OutputSequence:
            if (format) CorrectOutputSequence(image, format->base);
            break;
    }
}

struct NodeDef {
    int parent;
    const char* key;
    const char* caption;
    int page;
};

constexpr int kTopNodeCount = 4;
constexpr int kTopNodeTextId = 143;

constexpr NodeDef kTopNodes[kTopNodeCount] = {
    {0, "parent1", "General Settings", 0},
    {0, "parent2", "Interface Settings", 0},
    {0, "parent3", "Symbologies", 0},
    {0, "parent4", "Data Edit", kDataEditPage},
};

constexpr NodeDef kFixedChildren[] = {
    {1, "child11", "Mode and Interface", 1},
    {1, "child12", "Buzzer and KB timing", 2},
    {1, "child13", "Other", 3},
    {2, "child21", "Keyboard (PS-2)", 4},
    {2, "child22", "RS-232", 5},
    {3, "child301", "Code 39 -{Code32}", 7},
    {3, "child302", "Codabar", 8},
    {3, "child303", "Interleaved 2/5", 9},
    {3, "child304", "Toshiba 2/5", 10},
    {3, "child305", "Standard (IATA) 2/5", 11},
    {3, "child306", "Matrix 2/5", 12},
    {3, "child307", "Industrial 2/5", 13},
    {3, "child308", "Code 11 2/5", 14},
    {3, "child309", "Plessey {MSI & UK}", 15},
    {3, "child310", "Telepen", 16},
    {3, "child311", "EAN-13", 17},
    {3, "child312", "UPC-A", 18},
    {3, "child313", "EAN-8", 19},
    {3, "child314", "UPC-E", 20},
    {3, "child315", "Code 93", 21},
    {3, "child316", "Code 128 -{EAN128}", 22},
    {3, "child317", "GS1 DataBar", 23},
    {3, "child318", "PDF417", 24},
};

constexpr NodeDef kDataEditNodes[kDataEditChildCount] = {
    {4, "child41", "Format Setting", 26}, {4, "child42", "Block 1", 27},
    {4, "child43", "Block 2", 28},        {4, "child44", "Block 3", 29},
    {4, "child45", "Additional", 30},     {4, "child46", "Code Type and Output", 31},
};

constexpr int kChildImage = 3;
constexpr int kChildSelectedImage = 4;
constexpr int kTopImage = 1;
constexpr int kTopSelectedImage = 3;

TreeNode ChildNode(const NodeDef& def, int number) {
    TreeNode node;
    node.number = number;
    node.parent = def.parent;
    node.key = def.key;
    node.caption = def.caption;
    node.page = def.page;
    node.image = kChildImage;
    node.selectedImage = kChildSelectedImage;
    node.expandedImage = kChildImage;
    return node;
}

}  // namespace

std::string ShowBitRow(const ImageBytes& image, std::size_t index, int bit, int kind) {
    if (!InImage(index) || bit < 0 || bit > 7) return "";
    return BitWords(kind, BinaryText(image[index])[8 - bit - 1] == '1');
}

std::string ShowNumberRow(const ImageBytes& image, std::size_t index) {
    if (!InImage(index)) return "";
    return NumberText(image[index]);
}

std::string ShowMatchRow(const ImageBytes& image, std::size_t index, std::uint8_t match, int kind) {
    if (!InImage(index)) return "";
    const std::uint8_t b = image[index];
    if (b == match) return kind == 0 ? "Enable" : kind == 1 ? "Not Send" : "";
    if (b == 0 || (b == kSetupCodeOff && index == kSetupCodeIndex)) {
        return kind == 0 ? "Disable" : kind == 1 ? "Send" : "";
    }
    return "Null";
}

std::string ShowCharsRow(ImageBytes& image, std::size_t index, int n) {
    const bool counted = n == 5 || n == 16;
    std::string text;
    int count = n;
    for (int k = 0; k < n; ++k) {
        const std::size_t position = index + k;
        if (!InImage(position)) {
            count = k;
            break;
        }
        const std::uint8_t b = image[position];
        if (IsCharacterByte(b)) {
            text += "{" + KeyName(b) + "}";
        } else if (counted) {
            count = k;
            break;
        }
    }
    if (counted && index >= 1 && InImage(index - 1) && !IsFindString(index)) {
        image[index - 1] = static_cast<std::uint8_t>(count);
    }
    return text;
}

std::optional<DataEditFormat> SelectedFormat(const ImageBytes& image) {
    switch (image[kFormatSwitchIndex]) {
        case 1:
            return DataEditFormat{256, "F-1"};
        case 2:
            return DataEditFormat{336, "F-2"};
        case 4:
            return DataEditFormat{416, "F-3"};
        default:
            return std::nullopt;
    }
}

int ValidOutputEntries(const ImageBytes& image, std::size_t base) {
    for (int entry = 1; entry <= kOutputEntries; ++entry) {
        const std::size_t index = base + kOutputCountOffset + entry;
        if (!InImage(index) || !IsOutputEntry(image[index])) return entry - 1;
    }
    return kOutputEntries;
}

namespace {

// A row as shown, with the description it was made from.
struct ShownRow {
    const RowDef* def = nullptr;
    PropertyRow row;
};

// Builds the rows of a page: its corrections first, then every row that applies to the image
// and is not hidden by its state row.
std::vector<ShownRow> BuildPage(ImageBytes& image, int page, std::optional<DataEditFormat>& format,
                                std::vector<PropertyRow>* hidden = nullptr) {
    const PageDef* def = pages::FindPage(page);
    if (!def) return {};
    format = SelectedFormat(image);
    ApplyCorrection(*def, image, format);

    std::vector<ShownRow> rows;
    std::map<std::string, std::string> shown;  // label -> value text, for the state gates
    int rowNumber = 0;
    for (const RowDef& row : def->rows) {
        if (!Applies(row, image, format)) continue;
        ++rowNumber;
        if (!row.gate.empty()) {
            const auto gate = shown.find(row.gate);
            if (gate == shown.end() || gate->second != "Enable") {
                if (hidden) {
                    hidden->push_back({Label(row, format), "",
                                       Descriptor(row, image, format, rowNumber),
                                       Bits(row, format)});
                }
                continue;
            }
        }
        PropertyRow out;
        out.label = Label(row, format);
        out.value = ValueText(row, image, format);
        out.edit = Descriptor(row, image, format, rowNumber);
        out.bits = Bits(row, format);
        shown[row.label] = out.value;
        rows.push_back({&row, std::move(out)});
    }
    return rows;
}

// Puts the bits of `from` that the row's value is read from into `to`.
void CopyField(const RowDef& row, const std::optional<DataEditFormat>& format,
               const ImageBytes& from, ImageBytes& to) {
    const std::size_t index = FieldIndex(row, format);
    const auto copyBytes = [&](std::size_t count) {
        for (std::size_t i = index; i < index + count && InImage(i); ++i)
            to[i] = from[i];
    };
    switch (row.show) {
        case Show::Bit:
        case Show::Field: {
            if (!InImage(index)) return;
            const unsigned width = row.high - row.low + 1u;
            const auto mask = static_cast<std::uint8_t>(((1u << width) - 1u) << row.low);
            to[index] = static_cast<std::uint8_t>((to[index] & ~mask) | (from[index] & mask));
            break;
        }
        case Show::Chars:
            copyBytes(row.arg);
            break;
        case Show::CodeTypes:
            copyBytes(3);
            break;
        case Show::ClearFormat:
            break;
        default:
            copyBytes(1);
            break;
    }
}

}  // namespace

namespace {

int LowBit(std::uint8_t mask) {
    int low = 0;
    while (low < 7 && (mask & (1u << low)) == 0)
        ++low;
    return low;
}

bool IsField(const RowBits& bits) {
    return bits.count == 1 && bits.mask != 0xFF;
}

}  // namespace

std::vector<unsigned> RowBitValues(const ImageBytes& image, const RowBits& bits) {
    if (IsField(bits))
        return {static_cast<unsigned>(image[bits.first] & bits.mask) >> LowBit(bits.mask)};
    return {image.begin() + static_cast<std::ptrdiff_t>(bits.first),
            image.begin() + static_cast<std::ptrdiff_t>(bits.first + bits.count)};
}

unsigned RowBitLargest(const RowBits& bits) {
    return IsField(bits) ? static_cast<unsigned>(bits.mask >> LowBit(bits.mask)) : 255u;
}

void PutRowBitValues(ImageBytes& image, const RowBits& bits, const std::vector<unsigned>& values) {
    if (IsField(bits)) {
        const auto field = static_cast<std::uint8_t>(values.at(0) << LowBit(bits.mask));
        image[bits.first] =
            static_cast<std::uint8_t>((image[bits.first] & ~bits.mask) | (field & bits.mask));
        return;
    }
    for (std::size_t i = 0; i < bits.count; ++i)
        image[bits.first + i] = static_cast<std::uint8_t>(values.at(i));
}

bool SameRowBits(const ImageBytes& a, const ImageBytes& b, const RowBits& bits) {
    const std::uint8_t mask = bits.count == 1 ? bits.mask : 0xFF;
    for (std::size_t i = bits.first; i < bits.first + bits.count; ++i) {
        if (((a[i] ^ b[i]) & mask) != 0) return false;
    }
    return true;
}

std::vector<PropertyRow> ShowPage(ImageBytes& image, int page) {
    std::optional<DataEditFormat> format;
    std::vector<PropertyRow> rows;
    for (auto& shown : BuildPage(image, page, format))
        rows.push_back(std::move(shown.row));
    return rows;
}

std::vector<PropertyRow> HiddenRows(const ImageBytes& image, int page) {
    ImageBytes shown = image;
    std::optional<DataEditFormat> format;
    std::vector<PropertyRow> hidden;
    BuildPage(shown, page, format, &hidden);
    return hidden;
}

std::vector<std::string> ReferenceValues(const ImageBytes& image, int page,
                                         const ImageBytes& reference) {
    ImageBytes shownImage = image;
    std::optional<DataEditFormat> format;
    std::vector<std::string> values;
    for (const auto& shown : BuildPage(shownImage, page, format)) {
        ImageBytes probe = shownImage;
        CopyField(*shown.def, format, reference, probe);
        values.push_back(ValueText(*shown.def, probe, format));
    }
    return values;
}

std::optional<EditDescriptor> LookupRow(const ImageBytes& image, int page,
                                        const std::string& label) {
    const PageDef* def = pages::FindPage(page);
    if (!def) return std::nullopt;
    const std::optional<DataEditFormat> format = SelectedFormat(image);
    int rowNumber = 0;
    for (const RowDef& row : def->rows) {
        if (!Applies(row, image, format)) continue;
        ++rowNumber;
        if (Label(row, format) == label) return Descriptor(row, image, format, rowNumber);
    }
    return std::nullopt;
}

std::string PageHeading(int page) {
    const PageDef* def = pages::FindPage(page);
    return def ? def->heading : std::string();
}

std::vector<int> ListedPages(const ImageBytes& image) {
    std::vector<int> listed;
    for (int page = kFirstPage; page <= kLastSymbologyPage; ++page) {
        if (page != kWandPage) listed.push_back(page);
    }
    if (image[kFormatSwitchIndex] == 0) {
        listed.push_back(kDataEditPage);
    } else {
        for (int page = kFormatSettingPage; page <= kLastPage; ++page)
            listed.push_back(page);
    }
    return listed;
}

std::vector<TreeNode> DataEditChildren() {
    std::vector<TreeNode> nodes;
    int number = static_cast<int>(kFixedTreeNodes);
    for (const NodeDef& def : kDataEditNodes)
        nodes.push_back(ChildNode(def, ++number));
    return nodes;
}

std::vector<TreeNode> CategoryTree(bool withDataEditChildren) {
    std::vector<TreeNode> nodes;
    int number = 0;
    for (const NodeDef& def : kTopNodes) {
        TreeNode node;
        node.number = ++number;
        node.key = def.key;
        node.caption = def.caption;
        node.textId = kTopNodeTextId + number - 1;
        node.page = def.page;
        node.image = kTopImage;
        node.selectedImage = kTopSelectedImage;
        node.expandedImage = kTopSelectedImage;
        nodes.push_back(std::move(node));
    }
    for (const NodeDef& def : kFixedChildren)
        nodes.push_back(ChildNode(def, ++number));
    if (withDataEditChildren) {
        for (TreeNode& node : DataEditChildren())
            nodes.push_back(std::move(node));
    }
    return nodes;
}

bool HasDataEditChildren(const ImageBytes& image) {
    return image[kFormatSwitchIndex] != 0;
}

TreeChange DataEditTreeChange(const ImageBytes& image, int page, std::size_t nodeCount) {
    if (page != kDataEditPage && page != kFormatSettingPage) return TreeChange::None;
    if (HasDataEditChildren(image)) {
        return nodeCount == kFixedTreeNodes ? TreeChange::AddDataEditChildren : TreeChange::None;
    }
    return nodeCount > kFixedTreeNodes ? TreeChange::RemoveDataEditChildren : TreeChange::None;
}

std::vector<std::string> CatalogueShownTexts() {
    std::vector<std::string> texts;
    auto add = [&texts](std::string text) {
        const std::size_t first = text.find_first_not_of(' ');
        if (first == std::string::npos) return;
        text = text.substr(first, text.find_last_not_of(' ') - first + 1);
        if (std::find(texts.begin(), texts.end(), text) == texts.end()) {
            texts.push_back(std::move(text));
        }
    };
    for (const TreeNode& node : CategoryTree(true))
        add(node.caption);
    ImageBytes image{};
    for (int page = kFirstPage; page <= kLastPage; ++page) {
        const PageDef* def = pages::FindPage(page);
        add(def->heading);
        for (const RowDef& row : def->rows) {
            add(row.label);
            switch (row.show) {
                case Show::Bit:
                    add(BitWords(row.arg, true));
                    add(BitWords(row.arg, false));
                    break;
                case Show::Field:
                case Show::Enumeration: {
                    const unsigned top =
                        row.show == Show::Field ? 1u << (row.high - row.low + 1) : 256u;
                    for (unsigned value = 0; value < top; ++value) {
                        // Data parity depends on the data length bits: try both lengths.
                        image[143] = 0x02;
                        add(row.text(value, image));
                        image[143] = 0x03;
                        add(row.text(value, image));
                    }
                    break;
                }
                case Show::Match:
                    for (std::uint8_t b : {row.arg, std::uint8_t{0}, std::uint8_t{77}}) {
                        image[row.index] = b;
                        add(ShowMatchRow(image, row.index, row.arg, row.arg2));
                    }
                    break;
                case Show::ClearFormat:
                    add(kClearFormatText);
                    break;
                case Show::OutputEntry:
                    for (unsigned entry = 0; entry < 256; ++entry)
                        add(OutputSequenceText(static_cast<std::uint8_t>(entry)));
                    break;
                default:
                    break;
            }
        }
    }
    return texts;
}

int PageForCaption(std::string_view caption, std::string_view dataEditCaption) {
    for (const NodeDef& def : kFixedChildren) {
        if (caption == def.caption) return def.page;
    }
    for (const NodeDef& def : kDataEditNodes) {
        if (caption == def.caption) return def.page;
    }
    if (caption == dataEditCaption) return kDataEditPage;
    if (caption == PageHeading(kWandPage)) return kWandPage;
    return 0;
}

}  // namespace qsp
