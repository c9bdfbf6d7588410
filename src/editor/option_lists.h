#pragma once
// The option lists of the value editor: for every category (the page shown in the settings
// window) the list offered for a parameter byte, how the byte selects an entry when the editor
// opens, the default byte, and how "OK" turns the chosen entry back into the byte.
//
// Each category is one table of ListSpec rows, looked up by address and kind; the symbology
// categories are generated from one small table per symbology. Internal to the editor.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qsp::editor {

inline constexpr int kAnyKind = -1;
inline constexpr int kAnyAddress = -1;

// The text the list shows for a byte that has no entry.
inline constexpr const char* kNullText = "Null";

enum class Builder : std::uint8_t {
    BitPair,     // two words for one bit; the bit is the edited kind
    Range,       // the numbers lowest..highest
    Fixed,       // given entries for a field of the byte (the whole byte: bits 7..0)
    SendEnable,  // "send"/"Not send" or "Disable"/"Enable" against a match value
    Output,      // the output sequence entries, "Null" being an ordinary entry
};

enum class StoreRule : std::uint8_t {
    Bit,     // the chosen index (0 or 1) into the kind's bit, the other bits kept
    Range,   // lowest + index
    Index,   // the index itself
    Mapped,  // the entry's value into the list's field, the other bits kept
    Output,  // 0 for "Null", index + 48 for the others, even with nothing chosen
};

// Which hint line the list shows under it.
enum class Hint : std::uint8_t {
    None,
    Models,       // string 207: only some scanner models support it
    AutoSensing,  // "Auto Sensing : " and string 207
    Cable,        // string 208: use the proper cable after changing the interface
};

struct Entry {
    std::string text;
    std::uint8_t value = 0;  // the field value the entry stands for and stores
    std::uint8_t keep = 0;   // field bits the entry leaves as they are (and ignores when matching)
};

struct ListSpec {
    int address = kAnyAddress;
    int kind = kAnyKind;
    Builder builder = Builder::Fixed;
    StoreRule store = StoreRule::Index;
    int high = 7;  // the field of a fixed list
    int low = 0;
    std::vector<Entry> entries;                            // fixed lists; a bit pair's two words
    std::vector<std::pair<std::uint8_t, int>> alsoSelect;  // further field values -> entry
    // A whole-byte value rewritten when the editor opens, before anything is selected.
    std::optional<std::pair<std::uint8_t, std::uint8_t>> correction;
    int lowest = 1;  // range
    int highest = 99;
    int mode = 0;  // send/enable: 1 "send"/"Not send", 0 and 2 "Disable"/"Enable"
    std::uint8_t match = 0;
    // The default: a bit pair's bit, a range's byte, a fixed list's field value. Nothing: the
    // field's factory value.
    std::optional<int> defaultValue;
    // Choosing "7 bits" while the parity field holds "None" (100) also makes the parity "Even".
    bool sevenBitsCouplesParity = false;
    Hint hint = Hint::None;
};

// The list `category` offers for the byte at `address` edited as `kind`; nullptr when it
// offers none (the list stays empty).
const ListSpec* FindList(int category, int address, int kind);

// What a list shows when the editor opens.
struct OpenedList {
    std::vector<std::string> entries;
    int selected = -1;  // -1: nothing
    std::string text;   // the selected entry's text, kNullText, or "" when nothing is selected
    std::optional<std::uint8_t> defaultByte;
};

// Fills the list for `byte`, edited as `kind`. Corrects `byte` where the list says so (a range
// value above its highest becomes the default; the list's own correction).
OpenedList OpenList(const ListSpec& list, int kind, std::uint8_t& byte);

// The byte after "OK" chose entry `index` (-1 when nothing is chosen; only the output list
// stores then).
std::uint8_t StoreChoice(const ListSpec& list, int kind, std::uint8_t byte, int index);

// The store rules.
std::uint8_t BitStore(std::uint8_t byte, int bit, int index);
std::uint8_t FieldStore(std::uint8_t byte, int high, int low, unsigned value);

}  // namespace qsp::editor
