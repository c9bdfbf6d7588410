#pragma once
// The entries of the special keyboard dialog: a short run of character bytes (a preamble, a
// postamble, an inserted character, a code identifier) edited one byte per entry. Each entry
// holds a printable character or one of the 36 special keys (bytes 208..243) the scanner sends
// as a keystroke. The entries read and write the edit scratch buffer; closing writes every
// entry back, there is no cancel.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "base/app_state.h"

namespace qsp {

inline constexpr int kSpecialKeyCount = 36;
inline constexpr int kMaxKeyboardEntries = 16;
// The keyboard layout byte and its value for "English (UK)", which alone offers the UK keys.
inline constexpr std::size_t kKeyboardLayoutIndex = 146;
inline constexpr std::uint8_t kUkKeyboardLayout = 8;

struct SpecialKey {
    const char* button;    // caption of its button ("F1", "Page Up", "NumPadEnter")
    const char* menuItem;  // name of its menu item ("munF1Input")
    const char* tip;       // tool tip ("" for none)
};

// Key k (0..35) is the byte 208 + k.
const SpecialKey& SpecialKeyAt(int k);
inline bool IsUkKey(int k) {
    return k == 33 || k == 34;
}

class SpecialKeyboardModel {
public:
    using Scratch = std::array<std::uint8_t, kScratchSize>;

    // `count` entries (1..16) over scratch bytes 0..count-1. An entry shows its byte's name or
    // character (0 and 255 show empty); an entry is enabled once the one before holds a value.
    SpecialKeyboardModel(Scratch& scratch, int count);

    int Count() const { return count_; }
    const std::string& Text(int entry) const { return texts_[Slot(entry)]; }
    bool Enabled(int entry) const { return enabled_[Slot(entry)]; }
    int Current() const { return current_; }

    // The entry was clicked or took the focus: it receives the next key.
    void SetCurrent(int entry);

    // A key button or menu item: the current entry takes key k and, unless it is the last, the
    // next entry becomes current (and enabled). Returns the entry that should take the focus,
    // or -1 to leave the focus where it is.
    int InsertKey(int k);

    // The user edits an entry's text; a non-empty text enables the next entry.
    void TextChanged(int entry, const std::string& text);

    // Enter in an entry: a valid text is stored and the next entry becomes current. Returns the
    // entry to focus, or -1.
    int Enter(int entry);

    // The entry lost the focus: a character or key is stored; an invalid text is replaced by the
    // stored value; an emptied entry is deleted (the later entries move up) when the next entry
    // holds a value, else it and every later entry are cleared and the later ones disabled.
    void Leave(int entry);

    // Every entry empty and cleared, only the first enabled; returns it (0) for the focus.
    int AllClear();

    // Closing: every entry's valid text goes into its scratch byte (an empty text as 0).
    void Close();

private:
    std::size_t Slot(int entry) const { return static_cast<std::size_t>(entry); }
    bool Holds(int entry) const;
    std::string Shown(std::uint8_t byte) const;

    Scratch& scratch_;
    int count_;
    int current_ = 0;
    std::vector<std::string> texts_;
    std::vector<bool> enabled_;
};

}  // namespace qsp
