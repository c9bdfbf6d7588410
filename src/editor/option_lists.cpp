#include "editor/option_lists.h"

#include <array>
#include <map>

#include "catalogue/param_image.h"
#include "catalogue/reset_values.h"

namespace qsp::editor {
namespace {

// ---- List builders -------------------------------------------------------------------------

// The words of a two-option bit list: the word for 0 first.
std::pair<const char*, const char*> WordPair(int pair) {
    switch (pair) {
        case 0:
            return {"Off", "On"};
        case 1:
            return {"not send CD", "send CD"};
        case 2:
            return {"not send", "send"};
        case 3:
            return {"Disable", "Enable"};
        default:
            return {"Normal", "Fast"};
    }
}

ListSpec BitList(int address, int kind, const char* word0, const char* word1,
                 std::optional<int> defaultBit = {}, Hint hint = Hint::None) {
    ListSpec l;
    l.address = address;
    l.kind = kind;
    l.builder = Builder::BitPair;
    l.store = StoreRule::Bit;
    l.entries = {{word0, 0}, {word1, 1}};
    l.defaultValue = defaultBit;
    l.hint = hint;
    return l;
}

ListSpec PairList(int address, int kind, int wordPair, std::optional<int> defaultBit = {},
                  Hint hint = Hint::None) {
    const auto [word0, word1] = WordPair(wordPair);
    return BitList(address, kind, word0, word1, defaultBit, hint);
}

ListSpec RangeList(int address, int lowest, int highest, int defaultByte,
                   StoreRule store = StoreRule::Range, Hint hint = Hint::None) {
    ListSpec l;
    l.address = address;
    l.builder = Builder::Range;
    l.store = store;
    l.lowest = lowest;
    l.highest = highest;
    l.defaultValue = defaultByte;
    l.hint = hint;
    return l;
}

// A whole-byte list whose entry i stands for the byte value i.
ListSpec IndexList(int address, std::vector<const char*> texts, std::optional<int> defaultByte,
                   Hint hint = Hint::None) {
    ListSpec l;
    l.address = address;
    l.builder = Builder::Fixed;
    l.store = StoreRule::Index;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        l.entries.push_back({texts[i], static_cast<std::uint8_t>(i)});
    }
    l.defaultValue = defaultByte;
    l.hint = hint;
    return l;
}

// A list whose entries store given values into bits high..low of the byte.
ListSpec MappedList(int address, int kind, int high, int low, std::vector<Entry> entries,
                    std::optional<int> defaultValue = {}, Hint hint = Hint::None) {
    ListSpec l;
    l.address = address;
    l.kind = kind;
    l.builder = Builder::Fixed;
    l.store = StoreRule::Mapped;
    l.high = high;
    l.low = low;
    l.entries = std::move(entries);
    l.defaultValue = defaultValue;
    l.hint = hint;
    return l;
}

// Mode 1: "send" (stores 0) and "Not send" (stores the match value); modes 0 and 2: "Disable"
// and "Enable" (the match value). Mode 2 is the setup code, whose "Disable" is 204.
ListSpec SendEnableList(int address, int mode, std::uint8_t match, std::uint8_t defaultByte,
                        Hint hint = Hint::None) {
    ListSpec l;
    l.address = address;
    l.builder = Builder::SendEnable;
    l.store = StoreRule::Mapped;
    l.mode = mode;
    l.match = match;
    const std::uint8_t off = mode == 2 ? 204 : 0;
    if (mode == 1) {
        l.entries = {{"send", off}, {"Not send", match}};
    } else {
        l.entries = {{"Disable", off}, {"Enable", match}};
    }
    l.defaultValue = defaultByte;
    l.hint = hint;
    return l;
}

ListSpec OutputList() {
    ListSpec l;
    l.builder = Builder::Output;
    l.store = StoreRule::Output;
    for (const char* text : {"Null", "Block 1", "Block 2", "Block 3", "Additional 1",
                             "Additional 2", "Additional 3", "Additional 4", "Additional 5"}) {
        l.entries.push_back({text, 0});
    }
    l.defaultValue = 0;
    return l;
}

std::vector<const char*> Digits() {
    return {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
}

// ---- General and interface categories ------------------------------------------------------

std::vector<ListSpec> ModeAndInterface() {
    ListSpec interface = MappedList(
        140, kAnyKind, 7, 0, {{"Keyboard", 0}, {"RS232", 1}, {"USB(Cable)", 3}}, 1, Hint::Cable);
    interface.correction = std::pair<std::uint8_t, std::uint8_t>{2, 1};

    ListSpec readingMode = MappedList(150, kAnyKind, 7, 0,
                                      {{"Flash Mode", 1},
                                       {"Trigger Mode", 2},
                                       {"Toggle Mode", 3},
                                       {"Test Mode", 4},
                                       {"Continuous Mode", 5},
                                       {"Continuous Auto Off Mode", 6},
                                       {"Auto Sensing Mode(CCD)", 7},
                                       {"Auto Sensing Mode(Laser)", 10}},
                                      2, Hint::AutoSensing);
    readingMode.alsoSelect = {{8, 7}};

    return {
        IndexList(104, {"Disable Code ID", "Factory ID On", "AIM ID On", "Set ID On"}, 3),
        IndexList(139, {"PC - AT", "Notebook PC"}, 0),
        interface,
        IndexList(141, {"None", "LF", "CR", "CR + LF", "TAB", "SPACE", "ESC"}, 2),
        PairList(149, kAnyKind, 0, 0),
        readingMode,
        RangeList(171, 1, 50, 3, StoreRule::Range, Hint::Models),
        RangeList(172, 1, 50, 30, StoreRule::Range, Hint::Models),
        PairList(173, kAnyKind, 0, 1, Hint::Models),
    };
}

std::vector<ListSpec> BuzzerAndTiming() {
    return {
        IndexList(152,
                  {"Beep Off", "(2K Hz)Beep Medium", "(2K Hz)Beep High", "(2K Hz)Beep Low-High",
                   "(2K Hz)Beep High-Low", "(2K Hz)Beep Low", "(2.7K Hz)Beep Medium",
                   "(2.7K Hz)Beep High", "(2.7K Hz)Beep Low-High", "(2.7K Hz)Beep High-Low",
                   "(2.7K Hz)Beep Low"},
                  6),
        IndexList(147, {"0 ms", "10 ms", "50 ms", "100 ms", "200 ms", "500 ms"}, 0),
        IndexList(148, {"140 us", "500 us", "1 ms", "4 ms", "16 ms"}, 0),
        IndexList(151, Digits(), 0),
    };
}

std::vector<ListSpec> Other() {
    return {
        BitList(149, kAnyKind, "Positive", "Positive & Negative", {}, Hint::Models),
        SendEnableList(153, 2, 0, 0, Hint::Models),
        PairList(159, 0, 3, 0, Hint::Models),
        IndexList(161, Digits(), 0, Hint::Models),
    };
}

std::vector<ListSpec> Keyboard() {
    return {
        MappedList(149, 0, 1, 0, {{"Off", 0}, {"On", 1}, {"Auto", 2}}, 0),
        PairList(149, kAnyKind, 0),
        IndexList(
            146,
            {"English (USA)", "Universal Code", "German", "French", "Spanish", "Italian", "Swiss",
             "Czech (Qwerty)", "English (UK)", "Japanese(For 106 Key)", "Hungary", "Czech"},
            0),
    };
}

std::vector<ListSpec> Rs232() {
    ListSpec dataLength = MappedList(143, 0, 1, 0, {{"7 bits", 2}, {"8 bits", 3}});
    dataLength.sevenBitsCouplesParity = true;
    return {
        MappedList(142, kAnyKind, 7, 0,
                   {{"300 bps", 1},
                    {"600 bps", 2},
                    {"1200 bps", 3},
                    {"2400 bps", 4},
                    {"4800 bps", 5},
                    {"9600 bps", 6},
                    {"19200 bps", 7},
                    {"38400 bps", 22}},
                   6),
        dataLength,
        MappedList(143, 2, 4, 2, {{"Even", 0}, {"Odd", 1}, {"Space", 2}, {"Mark", 3}, {"None", 4}}),
        MappedList(143, 5, 6, 5, {{"1 stop bit", 0}, {"2 stop bits", 2}}),
        IndexList(144, {"None", "at Power up", "in Communication"}, {}),
        MappedList(145, 0, 1, 0, {{"1 sec", 0}, {"3 sec", 1}, {"10 sec", 2}, {"Unlimited", 3}}, 0),
        PairList(145, kAnyKind, 0),
    };
}

std::vector<ListSpec> Wand() {
    return {
        BitList(154, 0, "200us", "600us"),
        BitList(154, 1, "Low", "High"),
        BitList(154, 2, "Bar High & Space Low", "Bar Low & Space High"),
        BitList(154, 3, "Pen Type", "Full ASCII Code 39"),
    };
}

// ---- Symbologies ---------------------------------------------------------------------------

// A flag byte of a symbology: for bits 0 to 7, the word pair of its two-option list ('0'..'3'),
// '*' for a bit with a list of its own, '-' for a bit no row shows.
struct FlagByte {
    int address;
    const char* words;
};

struct Symbology {
    int category;
    std::vector<FlagByte> flags;
    int minAddress = -1;
    int minDefault = 0;
    int maxAddress = -1;
    int maxDefault = 0;
    std::vector<ListSpec> own;  // tried before the two-option bit lists
};

std::vector<Symbology> Symbologies() {
    ListSpec interleaved =
        MappedList(18, 3, 4, 3, {{"No digit suppressed", 0}, {"Last", 1}, {"First", 3}}, 0);
    // Bit 3 clear is no suppression, whatever bit 4 holds.
    interleaved.alsoSelect = {{2, 0}};
    const ListSpec startStop = MappedList(
        9, 4, 5, 4,
        {{"ABCD / ABCD", 0}, {"abcd / abcd", 1}, {"ABCD / TN*E", 2}, {"abcd / tn*e", 3}}, 0);
    // "mod11 plus mod10" sets bit 4 and leaves bit 3 as it is.
    const ListSpec msiCheck =
        MappedList(48, 3, 4, 3, {{"mod11 plus mod10", 2, 1}, {"single", 0}, {"double", 1}}, 0);
    return {
        {7, {{0, "33123322"}}, 1, 1, 2, 48, {}},
        {8, {{9, "3312**0-"}, {10, "0000000-"}}, 11, 6, 12, 48, {startStop}},
        {9, {{18, "331**---"}}, 19, 6, 20, 48, {interleaved}},
        {10, {{23, "331-----"}}, 24, 11, 25, 48, {}},
        {11, {{28, "331-----"}}, 29, 6, 30, 48, {}},
        {12, {{33, "331-----"}}, 34, 6, 35, 48, {}},
        {13, {{38, "331-----"}}, 39, 6, 40, 48, {}},
        {14, {{43, "331*----"}}, 44, 6, 45, 32, {BitList(43, 3, "2 digits", "1 digit", 0)}},
        {15, {{48, "3-1**---"}, {53, "3-1-----"}}, 49, 6, 50, 48, {msiCheck}},
        {16, {{58, "3*------"}}, -1, 0, -1, 0, {BitList(58, 1, "Number", "ASCII", 1)}},
        {17, {{63, "321000--"}, {64, "0000----"}}, -1, 0, -1, 0, {}},
        {18, {{67, "3210----"}, {68, "0000----"}}, -1, 0, -1, 0, {}},
        {19, {{71, "321-----"}, {72, "0000----"}}, -1, 0, -1, 0, {}},
        {20, {{75, "321000--"}, {76, "0000----"}}, -1, 0, -1, 0, {}},
        {21, {{79, "3-------"}}, 80, 6, 81, 48, {}},
        {22, {{84, "3332----"}}, 86, 5, 87, 48, {}},
        {23, {{93, "3123----"}, {96, "312-----"}, {99, "3--3----"}}, 100, 1, 101, 74, {}},
        {24, {{156, "3-------"}}, -1, 0, -1, 0, {}},
    };
}

std::vector<ListSpec> SymbologyLists(const Symbology& s) {
    std::vector<ListSpec> lists = s.own;
    if (s.minAddress >= 0) lists.push_back(RangeList(s.minAddress, 1, 99, s.minDefault));
    if (s.maxAddress >= 0) lists.push_back(RangeList(s.maxAddress, 1, 99, s.maxDefault));
    for (const FlagByte& flags : s.flags) {
        for (int bit = 0; bit < 8; ++bit) {
            const char w = flags.words[bit];
            if (w >= '0' && w <= '3') lists.push_back(PairList(flags.address, bit, w - '0'));
        }
    }
    return lists;
}

// ---- Data edit categories ------------------------------------------------------------------

std::vector<ListSpec> FormatSetting() {
    return {
        MappedList(256, kAnyKind, 7, 0,
                   {{"Format All Off", 0},
                    {"Format 1 On , 2 / 3 Off", 1},
                    {"Format 2 On , 1 / 3 Off", 2},
                    {"Format 3 On , 1 / 2 Off", 4}},
                   0),
        SendEnableList(260, 0, 1, 0),
        RangeList(kAnyAddress, 0, 99, 0, StoreRule::Index),
    };
}

std::vector<ListSpec> Blocks() {
    std::vector<ListSpec> lists;
    for (int address : {289, 294, 299, 369, 374, 379, 449, 454, 459}) {
        lists.push_back(SendEnableList(address, 1, 15, 0));
    }
    lists.push_back(RangeList(kAnyAddress, 0, 99, 0, StoreRule::Index));
    return lists;
}

std::map<int, std::vector<ListSpec>> AllCategories() {
    std::map<int, std::vector<ListSpec>> all;
    all[1] = ModeAndInterface();
    all[2] = BuzzerAndTiming();
    all[3] = Other();
    all[4] = Keyboard();
    all[5] = Rs232();
    all[6] = Wand();
    for (const Symbology& s : Symbologies())
        all[s.category] = SymbologyLists(s);
    all[25] = all[26] = FormatSetting();
    all[27] = all[28] = all[29] = Blocks();
    all[31] = {OutputList()};
    return all;
}

// The factory value of a field, the default of lists whose default the option tables leave open.
int FactoryField(int address, int high, int low) {
    if (address < 0) return 0;
    return static_cast<int>(FieldValue(ResetValue(static_cast<std::size_t>(address)), high, low));
}

std::uint8_t FieldMask(int high, int low) {
    return static_cast<std::uint8_t>(((1u << (high - low + 1)) - 1u) << low);
}

}  // namespace

const ListSpec* FindList(int category, int address, int kind) {
    static const std::map<int, std::vector<ListSpec>> kCategories = AllCategories();
    const auto found = kCategories.find(category);
    if (found == kCategories.end()) return nullptr;
    for (const ListSpec& l : found->second) {
        if ((l.address == kAnyAddress || l.address == address) &&
            (l.kind == kAnyKind || l.kind == kind)) {
            return &l;
        }
    }
    return nullptr;
}

std::uint8_t BitStore(std::uint8_t byte, int bit, int index) {
    if (bit < 0 || bit > 7) return byte;
    const auto mask = static_cast<std::uint8_t>(1u << bit);
    return static_cast<std::uint8_t>(index == 1 ? (byte | mask) : (byte & ~mask));
}

std::uint8_t FieldStore(std::uint8_t byte, int high, int low, unsigned value) {
    const std::uint8_t mask = FieldMask(high, low);
    return static_cast<std::uint8_t>((byte & ~mask) | ((value << low) & mask));
}

OpenedList OpenList(const ListSpec& list, int kind, std::uint8_t& byte) {
    OpenedList opened;
    auto select = [&](int index) {
        opened.selected = index;
        opened.text = index >= 0 ? opened.entries[static_cast<std::size_t>(index)] : "";
    };
    auto showNull = [&] {
        opened.selected = -1;
        opened.text = kNullText;
    };
    switch (list.builder) {
        case Builder::BitPair: {
            // The bit is the kind; a kind outside 0..7 names no bit of a byte.
            if (kind < 0 || kind > 7) return opened;
            for (const Entry& e : list.entries)
                opened.entries.push_back(e.text);
            const std::string digits = BinaryText(byte);
            select(digits[static_cast<std::size_t>(7 - kind)] == '1' ? 1 : 0);
            const int bit = list.defaultValue.value_or(FactoryField(list.address, kind, kind));
            opened.defaultByte = BitStore(byte, kind, bit);
            break;
        }
        case Builder::Range: {
            for (int n = list.lowest; n <= list.highest; ++n) {
                opened.entries.push_back(std::to_string(n));
            }
            const auto fallback = static_cast<std::uint8_t>(list.defaultValue.value_or(0));
            if (byte > list.highest) byte = fallback;
            select(byte >= list.lowest ? byte - list.lowest : -1);
            opened.defaultByte = fallback;
            break;
        }
        case Builder::Fixed: {
            for (const Entry& e : list.entries)
                opened.entries.push_back(e.text);
            if (list.correction && byte == list.correction->first) byte = list.correction->second;
            const unsigned field = FieldValue(byte, list.high, list.low);
            showNull();
            bool found = false;
            for (std::size_t i = 0; i < list.entries.size() && !found; ++i) {
                const Entry& e = list.entries[i];
                if ((field & ~static_cast<unsigned>(e.keep)) == e.value) {
                    select(static_cast<int>(i));
                    found = true;
                }
            }
            for (const auto& [value, index] : list.alsoSelect) {
                if (!found && field == value) {
                    select(index);
                    found = true;
                }
            }
            const int value =
                list.defaultValue.value_or(FactoryField(list.address, list.high, list.low));
            opened.defaultByte =
                FieldStore(byte, list.high, list.low, static_cast<unsigned>(value));
            break;
        }
        case Builder::SendEnable: {
            for (const Entry& e : list.entries)
                opened.entries.push_back(e.text);
            if (byte == list.match) {
                select(1);
            } else if (list.mode == 2 || byte < list.match) {
                select(0);
            } else {
                showNull();
            }
            opened.defaultByte = static_cast<std::uint8_t>(list.defaultValue.value_or(0));
            break;
        }
        case Builder::Output: {
            for (const Entry& e : list.entries)
                opened.entries.push_back(e.text);
            if (byte == 0) {
                select(0);
            } else if (byte >= '1' && byte <= '8') {
                select(byte - '0');
            } else {
                showNull();
            }
            opened.defaultByte = static_cast<std::uint8_t>(list.defaultValue.value_or(0));
            break;
        }
    }
    return opened;
}

std::uint8_t StoreChoice(const ListSpec& list, int kind, std::uint8_t byte, int index) {
    const bool chosen = index >= 0;
    switch (list.store) {
        case StoreRule::Output:
            if (index == 0) return 0;
            return static_cast<std::uint8_t>(index + '0');
        case StoreRule::Bit:
            return chosen ? BitStore(byte, kind, index) : byte;
        case StoreRule::Range:
            return chosen ? static_cast<std::uint8_t>(list.lowest + index) : byte;
        case StoreRule::Index:
            return chosen ? static_cast<std::uint8_t>(index) : byte;
        case StoreRule::Mapped: {
            if (!chosen || static_cast<std::size_t>(index) >= list.entries.size()) return byte;
            const Entry& e = list.entries[static_cast<std::size_t>(index)];
            if (list.builder == Builder::SendEnable) return e.value;
            const unsigned field = FieldValue(byte, list.high, list.low);
            const unsigned value = (field & e.keep) | e.value;
            std::uint8_t stored = FieldStore(byte, list.high, list.low, value);
            // 7 data bits without parity cannot be sent: "None" becomes "Even".
            if (list.sevenBitsCouplesParity && value == 2 && FieldValue(stored, 4, 2) == 4) {
                stored = FieldStore(stored, 4, 4, 0);
            }
            return stored;
        }
    }
    return byte;
}

}  // namespace qsp::editor
