#include "editor/value_editor_model.h"

#include <algorithm>
#include <utility>

#include "catalogue/catalogue.h"
#include "catalogue/catalogue_text.h"
#include "catalogue/key_codes.h"
#include "editor/option_lists.h"

namespace qsp {
namespace {

constexpr std::uint16_t kFirstRunKind = kEditRunBase + 1;   // kinds from here on are typed
constexpr std::uint16_t kTwoCharacters = kEditRunBase + 2;  // a code identifier
constexpr std::uint8_t kNoCharacter = 0xFF;

// The first `count` characters of a UTF-8 text, each as its own text.
std::vector<std::string> LeadingCharacters(const std::string& text, std::size_t count) {
    std::vector<std::string> characters;
    std::size_t pos = 0;
    while (pos < text.size() && characters.size() < count) {
        std::size_t end = pos + 1;
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
            ++end;
        }
        characters.push_back(text.substr(pos, end - pos));
        pos = end;
    }
    return characters;
}

}  // namespace

ValueEditorModel::ValueEditorModel(int category, const EditDescriptor& edit, std::string label,
                                   ScratchBytes& scratch)
    : category_(category), edit_(edit), label_(std::move(label)), scratch_(scratch) {
    if (edit_.row < 1) return;
    opens_ = true;
    usesList_ = edit_.bitOrKind < kFirstRunKind;
    const int kind = edit_.bitOrKind;

    if (!usesList_) {
        if (kind == kTwoCharacters) {
            for (int i = 0; i < 2; ++i) {
                if (scratch_[i] < kNoCharacter) characters_ += KeyName(scratch_[i]);
            }
        }
        return;
    }

    list_ = editor::FindList(category_, edit_.index, kind);
    if (!list_) return;
    editor::OpenedList opened = editor::OpenList(*list_, kind, Byte());
    options_ = std::move(opened.entries);
    selected_ = opened.selected;
    listText_ = std::move(opened.text);
    initial_ = selected_;
    defaultByte_ = opened.defaultByte;
}

ValueEditorModel::ValueEditorModel(AppState& state, std::string label)
    : ValueEditorModel(state.CurrentPage, state.Edit, std::move(label), state.Scratch) {}

bool ValueEditorModel::HintVisible() const {
    return opens_ && list_ && list_->hint != editor::Hint::None;
}

std::string ValueEditorModel::HintText(const InterfaceText& text) const {
    if (!HintVisible()) return {};
    switch (list_->hint) {
        case editor::Hint::Models:
            return text.LoadText(207);
        case editor::Hint::AutoSensing:
            return CatalogueText(text.language())("Auto Sensing") + " : " + text.LoadText(207);
        case editor::Hint::Cable:
            return text.LoadText(208);
        case editor::Hint::None:
            break;
    }
    return {};
}

void ValueEditorModel::Select(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= options_.size()) {
        selected_ = -1;
        listText_.clear();
        return;
    }
    selected_ = index;
    listText_ = options_[static_cast<std::size_t>(index)];
}

void ValueEditorModel::Choose(int index) {
    if (usesList_) Select(index);
}

void ValueEditorModel::SetListText(std::string text) {
    if (!usesList_) return;
    // Typing leaves no entry selected until Enter or "OK" looks the text up.
    selected_ = -1;
    listText_ = std::move(text);
}

void ValueEditorModel::SetCharacters(std::string text) {
    characters_ = std::move(text);
}

void ValueEditorModel::EnterInList() {
    if (!usesList_ || listText_ == editor::kNullText) return;
    const auto found = std::find(options_.begin(), options_.end(), listText_);
    Select(found != options_.end() ? static_cast<int>(found - options_.begin()) : initial_);
}

void ValueEditorModel::Ok() {
    if (!opens_) return;
    if (edit_.bitOrKind == kTwoCharacters) {
        const std::vector<std::string> typed = LeadingCharacters(characters_, 2);
        for (std::size_t i = 0; i < 2; ++i) {
            // A character outside the scanner's code page is no character either.
            scratch_[i] =
                i < typed.size() ? KeyCode(typed[i]).value_or(kNoCharacter) : kNoCharacter;
        }
        return;
    }
    if (usesList_) EnterInList();
    if (!list_) return;
    const bool outputList = list_->store == editor::StoreRule::Output;
    if (!outputList && (listText_ == editor::kNullText || selected_ < 0)) return;
    Byte() = editor::StoreChoice(*list_, edit_.bitOrKind, Byte(), selected_);
}

void ValueEditorModel::Default() {
    if (!opens_) return;
    if (edit_.bitOrKind == kTwoCharacters) {
        scratch_[0] = scratch_[1] = kNoCharacter;
    } else if (defaultByte_) {
        Byte() = *defaultByte_;
    }
}

std::vector<std::string> ValueEditorListTexts() {
    std::vector<std::string> texts{editor::kNullText};
    for (int category = kFirstPage; category <= kLastPage; ++category) {
        for (int address = 0; address < static_cast<int>(kParamImageSize); ++address) {
            for (int kind = 0; kind <= kEditRunBase + 2; ++kind) {
                const editor::ListSpec* list = editor::FindList(category, address, kind);
                if (!list || list->builder == editor::Builder::Range) continue;
                for (const editor::Entry& entry : list->entries) {
                    const bool number = std::all_of(entry.text.begin(), entry.text.end(),
                                                    [](char c) { return c >= '0' && c <= '9'; });
                    if (!number &&
                        std::find(texts.begin(), texts.end(), entry.text) == texts.end()) {
                        texts.push_back(entry.text);
                    }
                }
            }
        }
    }
    return texts;
}

}  // namespace qsp
