#include "workbench/key_sequence_model.h"

#include <algorithm>

#include "catalogue/key_codes.h"
#include "catalogue/param_image.h"

namespace qsp {
namespace {

constexpr SpecialKey kKeys[kSpecialKeyCount] = {
    {"F1", "munF1Input", ""},
    {"F2", "munF2Input", ""},
    {"F3", "munF3Input", ""},
    {"F4", "munF4Input", ""},
    {"F5", "munF5Input", ""},
    {"F6", "munF6Input", ""},
    {"F7", "munF7Input", ""},
    {"F8", "munF8Input", ""},
    {"F9", "munF9Input", ""},
    {"F10", "munF10Input", ""},
    {"F11", "munF11Input", ""},
    {"F12", "munF12Input", ""},
    {"Home", "munHomeInput", ""},
    {"End", "munEndInput", ""},
    {"Right", "munRightInput", ""},
    {"Left", "munLeftInput", ""},
    {"Up", "munUpInput", ""},
    {"Down", "munDownInput", ""},
    {"Page Up", "munPageUpInput", ""},
    {"Page Down", "munPageDownInput", ""},
    {"Tab", "munTabInput", ""},
    {"BackTab", "munBackTabInput", ""},
    {"Esc", "munEscInput", ""},
    {"Enter", "munEnterInput", ""},
    {"Backspace", "munBackspaceInput", ""},
    {"Insert", "munInsert", ""},
    {"Delete", "munDeleteInput", ""},
    {"Alt_L_Make", "munAlt_L_Make", ""},
    {"Alt_L_Break", "munAlt_L_Break", ""},
    {"Shift_L_Make", "munShift_L_Make", ""},
    {"Shift_L_Break", "munShift_L_Break", ""},
    {"Ctrl_L_Make", "munCtrl_L_Make", ""},
    {"Ctrl_L_Break", "munCtrl_L_Break", ""},
    {"\xEF\xBF\xA1UK", "munUK1Input", "for UK 1"},
    {"\xCF\x84UK", "munUK2Input", "for UK 2"},
    {"NumPadEnter", "munNumPadEnter", ""},
};

}  // namespace

const SpecialKey& SpecialKeyAt(int k) {
    return kKeys[std::clamp(k, 0, kSpecialKeyCount - 1)];
}

SpecialKeyboardModel::SpecialKeyboardModel(Scratch& scratch, int count)
    : scratch_(scratch), count_(std::clamp(count, 1, kMaxKeyboardEntries)) {
    texts_.assign(static_cast<std::size_t>(count_), "");
    enabled_.assign(static_cast<std::size_t>(count_), false);
    enabled_[0] = true;
    for (int i = 0; i < count_; ++i) {
        texts_[Slot(i)] = Shown(scratch_[Slot(i)]);
        if (!texts_[Slot(i)].empty() && i + 1 < count_) enabled_[Slot(i + 1)] = true;
    }
}

std::string SpecialKeyboardModel::Shown(std::uint8_t byte) const {
    return IsCharacterByte(byte) ? KeyName(byte) : std::string();
}

bool SpecialKeyboardModel::Holds(int entry) const {
    return entry >= 0 && entry < count_ && IsCharacterByte(scratch_[Slot(entry)]);
}

void SpecialKeyboardModel::SetCurrent(int entry) {
    if (entry >= 0 && entry < count_) current_ = entry;
}

int SpecialKeyboardModel::InsertKey(int k) {
    if (k < 0 || k >= kSpecialKeyCount) return -1;
    const auto byte = static_cast<std::uint8_t>(kFirstKeyCode + k);
    scratch_[Slot(current_)] = byte;
    texts_[Slot(current_)] = KeyName(byte);
    enabled_[Slot(current_)] = true;
    if (current_ >= count_ - 1) return -1;  // the last entry: the next key overwrites it
    ++current_;
    enabled_[Slot(current_)] = true;
    return current_;
}

void SpecialKeyboardModel::TextChanged(int entry, const std::string& text) {
    if (entry < 0 || entry >= count_) return;
    texts_[Slot(entry)] = text;
    if (!text.empty() && entry + 1 < count_) enabled_[Slot(entry + 1)] = true;
}

int SpecialKeyboardModel::Enter(int entry) {
    if (entry < 0 || entry >= count_) return -1;
    const auto code = KeyCode(texts_[Slot(entry)]);
    if (!code) return -1;
    scratch_[Slot(entry)] = *code;
    if (entry >= count_ - 1) return -1;
    current_ = entry + 1;
    enabled_[Slot(current_)] = true;
    return current_;
}

void SpecialKeyboardModel::Leave(int entry) {
    if (entry < 0 || entry >= count_) return;
    const auto code = KeyCode(texts_[Slot(entry)]);
    if (!code) {
        texts_[Slot(entry)] = Shown(scratch_[Slot(entry)]);
        return;
    }
    if (IsCharacterByte(*code)) {
        scratch_[Slot(entry)] = *code;
        if (entry + 1 < count_) enabled_[Slot(entry + 1)] = true;
        return;
    }
    if (Holds(entry + 1)) {
        // Deleting the entry: every later one moves up by one.
        for (int j = entry + 1; j < count_; ++j) {
            scratch_[Slot(j - 1)] = scratch_[Slot(j)];
            texts_[Slot(j - 1)] = texts_[Slot(j)];
            scratch_[Slot(j)] = 0;
            texts_[Slot(j)].clear();
        }
        const int last = count_ - 1;
        enabled_[Slot(last)] = Holds(last - 1);
        return;
    }
    // The emptied entry stays open for typing (the one before it holds a value, or it is the
    // first); the entries after it are cleared and closed.
    for (int j = entry; j < count_; ++j) {
        scratch_[Slot(j)] = 0;
        texts_[Slot(j)].clear();
        if (j > entry) enabled_[Slot(j)] = false;
    }
}

int SpecialKeyboardModel::AllClear() {
    for (int i = 0; i < count_; ++i) {
        scratch_[Slot(i)] = 0;
        texts_[Slot(i)].clear();
        enabled_[Slot(i)] = false;
    }
    enabled_[0] = true;
    current_ = 0;
    return 0;
}

void SpecialKeyboardModel::Close() {
    for (int i = 0; i < count_; ++i) {
        if (const auto code = KeyCode(texts_[Slot(i)])) scratch_[Slot(i)] = *code;
    }
}

}  // namespace qsp
