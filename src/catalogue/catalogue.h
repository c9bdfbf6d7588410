#pragma once
// The parameter catalogue: the pages of the property list, the rows each page shows for a
// parameter image, the row lookup of the settings window, the category tree and the page walk of
// the listing.
//
// Every page is described once, as a table of rows (label, field, how the value is shown, which
// state row gates it); showing a page, looking a label up and walking the pages all read that
// one description.
//
// The row helpers keep the names the rest of the program knows them by, but return the value
// text instead of writing into a list row; the caller puts it into the row it has just added.
// Top-node captions and the page-25 heading are given in English; the settings window shows the
// interface-language texts of the message numbers given in TreeNode::textId instead.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/param_image.h"

namespace qsp {

// The bits of the image a row's value is read from: bytes first..first+count-1, and of a single
// byte only the bits in `mask`. A run of 5 or 16 characters covers its length byte before the
// characters and the padding after them; an action row covers nothing.
struct RowBits {
    std::size_t first = 0;
    std::size_t count = 0;
    std::uint8_t mask = 0xFF;
    bool Covers(std::size_t index) const { return index >= first && index < first + count; }
};

// A row's bits as numbers: each byte of its run, or the value of its field when it covers some
// bits of one byte; the largest number one of them can be; putting them back; whether two
// images agree in them.
std::vector<unsigned> RowBitValues(const ImageBytes& image, const RowBits& bits);
unsigned RowBitLargest(const RowBits& bits);
void PutRowBitValues(ImageBytes& image, const RowBits& bits, const std::vector<unsigned>& values);
bool SameRowBits(const ImageBytes& a, const ImageBytes& b, const RowBits& bits);

struct PropertyRow {
    std::string label;
    std::string value;
    EditDescriptor edit;
    RowBits bits;
};

inline constexpr int kFirstPage = 1;
inline constexpr int kWandPage = 6;
inline constexpr int kFirstSymbologyPage = 7;
inline constexpr int kLastSymbologyPage = 24;
inline constexpr int kDataEditPage = 25;
inline constexpr int kFormatSettingPage = 26;
inline constexpr int kCodeTypePage = 31;
inline constexpr int kLastPage = 31;

// ---- Row helpers -------------------------------------------------------------------------

// One bit of a flag byte as its BitWords word of `kind` (0..3; any other kind gives "").
std::string ShowBitRow(const ImageBytes& image, std::size_t index, int bit, int kind);

// A whole byte in decimal after one blank (" 48").
std::string ShowNumberRow(const ImageBytes& image, std::size_t index);

// A byte compared with `match`: equal gives "Enable" (kind 0) or "Not Send" (kind 1); 0, or 204
// at index 153 (the setup code), gives "Disable" or "Send"; anything else "Null".
std::string ShowMatchRow(const ImageBytes& image, std::size_t index, std::uint8_t match, int kind);

// A run of n character bytes from `index`, each character in braces ("{A}{F1}"). In runs of 5 and
// 16 the first 0 or 255 ends the run and the number of characters before it is stored in the
// length byte at index - 1 (not for the find strings at 279, 359 and 439, whose preceding byte
// is a parameter of its own). In runs of 1 and 2 a 0 or 255 is skipped. Positions outside the
// image end the run.
std::string ShowCharsRow(ImageBytes& image, std::size_t index, int n);

// ---- Data edit formats -------------------------------------------------------------------

struct DataEditFormat {
    std::size_t base;  // 256, 336 or 416
    std::string name;  // "F-1", "F-2", "F-3"
};

// The format the switch (index 256) selects: 1 F-1, 2 F-2, 4 F-3. Nothing for 0 (all off) or
// any other value; then no page reads or rewrites a format field.
std::optional<DataEditFormat> SelectedFormat(const ImageBytes& image);

// How many output sequence entries of the format at `base` are valid ("1".."8") before the
// first invalid one (0..8).
int ValidOutputEntries(const ImageBytes& image, std::size_t base);

// ---- Pages --------------------------------------------------------------------------------

// The rows of a page (1..31) as the property list shows them, each with the edit descriptor the
// row lookup gives it. Showing a page writes its corrections into the image: page 1 its timers
// and computer type, pages with 5- and 16-character runs their length bytes, page 31 its output
// sequence count. Any other page number gives no rows and changes nothing.
std::vector<PropertyRow> ShowPage(ImageBytes& image, int page);

// The rows of a page that belong to it for this image but are hidden behind a state row that
// does not show "Enable" (Code-39 Length Max while Code39 State is Disable), in page order,
// with their edit descriptors and bits and without value texts. The image does not change.
std::vector<PropertyRow> HiddenRows(const ImageBytes& image, int page);

// For each row ShowPage gives for `image` (in the same order), the value text the row would show
// if the bits it is read from held what they hold in `reference`, everything else as in
// `image` (after the page's corrections). With the factory image as the reference this is each
// row's factory value; a row whose value needs no field of its own (Clear Format) keeps its text.
// Neither image changes.
std::vector<std::string> ReferenceValues(const ImageBytes& image, int page,
                                         const ImageBytes& reference);

// The caption of the page's tree node ("Mode and Interface", "Block 2"...); "WAND Emulation"
// for page 6, "Data Edit" for page 25, "" for a page number without a page.
std::string PageHeading(int page);

// The pages a listing walks, in order: 1 to 5 and 7 to 24 (never the WAND page), then page 25
// alone when the format switch is 0, otherwise 26 to 31.
std::vector<int> ListedPages(const ImageBytes& image);

// The edit descriptor of the row labelled `label` (exact, case-sensitive) on `page`: the row's
// field index, its lowest bit or its kind, and its row number. Row numbers count every row a
// state row could hide, so they do not move when a symbology is disabled; on page 1 they follow
// the reading mode. Nothing for a label the page does not have for this image (page 1's timer
// rows under another reading mode, format rows while no format is selected) or for a page
// outside 1..31.
std::optional<EditDescriptor> LookupRow(const ImageBytes& image, int page,
                                        const std::string& label);

// ---- Category tree ------------------------------------------------------------------------

struct TreeNode {
    int number = 0;       // 1-based, in the order the nodes are added
    int parent = 0;       // number of the parent node; 0 for a top node
    std::string key;      // "parent1".."parent4", "child11".."child46"
    std::string caption;  // English caption
    int textId = 0;       // message giving a top node's caption (143..146); 0 for a child
    int page = 0;         // page a click on the node shows; 0 for "General Settings" etc.
    int image = 0;        // image-list images: normal, selected, expanded
    int selectedImage = 0;
    int expandedImage = 0;
};

inline constexpr std::size_t kFixedTreeNodes = 27;     // 4 top nodes and 23 children
inline constexpr std::size_t kDataEditChildCount = 6;  // "Format Setting".."Code Type and Output"
inline constexpr int kDataEditTextId = 146;

// The tree as the settings window builds it: the 4 top nodes, then the 23 fixed children, then
// (when asked) the six data edit children numbered 28 to 33.
std::vector<TreeNode> CategoryTree(bool withDataEditChildren);

// The six data edit children, numbered 28 to 33.
std::vector<TreeNode> DataEditChildren();

// Whether the data edit children belong in the tree for this image (the format switch is not 0),
// as the window decides when it opens.
bool HasDataEditChildren(const ImageBytes& image);

enum class TreeChange { None, AddDataEditChildren, RemoveDataEditChildren };

// What showing `page` does to a tree of `nodeCount` nodes: pages 25 and 26 with the switch at 0
// remove every node after the 27th; with the switch non-zero they add the six children when the
// tree holds exactly 27 nodes (so never twice).
TreeChange DataEditTreeChange(const ImageBytes& image, int page, std::size_t nodeCount);

// Every text the catalogue can show, once each, as the translations key it: page headings, tree
// captions, row labels (a data edit format's rows without the format's name and its blank),
// and the value texts of every enumeration, field and flag word. Numbers and character runs
// are not among them.
std::vector<std::string> CatalogueShownTexts();

// The page a click on a node with this caption gives: a child's page, 25 for the Data Edit
// node's caption (`dataEditCaption`, message 146 in the interface language), 6 for "WAND
// Emulation", 0 for anything else.
int PageForCaption(std::string_view caption, std::string_view dataEditCaption);

}  // namespace qsp
