#pragma once
// The declarative description of the property-list pages, shared by the page builder, the row
// lookup and the tree. Internal to the catalogue.

#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/param_image.h"

namespace qsp::pages {

// How a row's value text is made.
enum class Show : std::uint8_t {
    Bit,           // BitWords of bit `low`, kind `arg`
    Field,         // bits high..low through `text`
    Enumeration,   // the whole byte through `text`
    Number,        // the whole byte in decimal
    CappedNumber,  // a number, after storing `arg2` when the byte held more than `arg`
    Match,         // the byte compared with `arg`, match kind `arg2`
    Chars,         // a run of `arg` characters
    ClearFormat,   // the fixed action text; the descriptor carries the switch value
    CodeTypes,     // the names of the set code type bits of three bytes
    OutputEntry,   // one output sequence entry
};

// Conditions on the image under which a row belongs to the page at all (and is counted in the
// row numbers). A state row's gate only hides rows; it does not renumber them.
enum class When : std::uint8_t {
    Always,
    TimerRows,       // reading mode (150) above 6
    GreenLedRow,     // reading mode above 6 but not 10
    LingerRow,       // reading mode 10
    SwitchOff,       // format switch 0
    OutputEntryRow,  // output entry i (index b+75+i) up to the first invalid one
};

using FieldText = std::string (*)(unsigned value, const ImageBytes& image);

struct RowDef {
    std::string label;        // on format rows, the text after the format's name
    std::uint16_t index = 0;  // absolute, or the offset from the format base on format rows
    Show show = Show::Number;
    std::uint8_t high = 0;
    std::uint8_t low = 0;
    std::uint8_t arg = 0;
    std::uint8_t arg2 = 0;
    FieldText text = nullptr;
    std::string gate;  // label of the state row that must show "Enable"; empty: none
    When when = When::Always;
    bool inFormat = false;  // needs a selected format; index is relative to its base

    RowDef If(When w) const {
        RowDef r = *this;
        r.when = w;
        return r;
    }
    RowDef InFormat() const {
        RowDef r = *this;
        r.inFormat = true;
        return r;
    }
};

// What showing a page writes before its rows are built.
enum class Correction : std::uint8_t { None, ComputerType, OutputSequence };

struct PageDef {
    int page = 0;
    std::string heading;
    std::vector<RowDef> rows;
    Correction correction = Correction::None;
};

// Pages 1..31; nullptr for any other number.
const PageDef* FindPage(int page);

}  // namespace qsp::pages
