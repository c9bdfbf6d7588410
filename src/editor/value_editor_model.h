#pragma once
// The value editor without its window: what the "Parameters Setting" dialog shows for one
// parameter and what each of its buttons does to the edit scratch buffer.
//
// The settings window fills the scratch buffer from the parameter image (byte 0, or bytes 0 and
// 1 for a two-character code identifier), builds the model, runs the dialog and copies the
// scratch bytes back whatever closed the dialog. Building the model is the dialog's opening: it
// fills the list for the current category and may already correct scratch byte 0 (a length
// above its highest number, the Interface value 2), so a correction stays even after "Cancel".
//
//   state.Scratch[0] = state.ParamImage[state.Edit.index];
//   ValueEditorModel model(state, label);
//   ValueEditorDialog(model, text, this).exec();
//   state.ParamImage[state.Edit.index] = state.Scratch[0];

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/app_state.h"
#include "base/interface_text.h"
#include "catalogue/param_image.h"

namespace qsp {

namespace editor {
struct ListSpec;
}

// Every text an option list can offer, once each (the number ranges left out), as the
// translations key them.
std::vector<std::string> ValueEditorListTexts();

using ScratchBytes = std::array<std::uint8_t, kScratchSize>;

class ValueEditorModel {
public:
    // `category` is the page shown in the settings window (1..31), `edit` the row's edit
    // descriptor, `label` the row's label. Fills the list at once, writing its corrections into
    // `scratch`, which must outlive the model.
    ValueEditorModel(int category, const EditDescriptor& edit, std::string label,
                     ScratchBytes& scratch);
    // The same from the program-wide records: CurrentPage, Edit and Scratch.
    ValueEditorModel(AppState& state, std::string label);

    // False when the row number is below 1: the dialog closes at once and nothing is filled.
    bool Opens() const { return opens_; }

    const std::string& Label() const { return label_; }
    // The window caption: "Setting : " and the label.
    std::string Caption() const { return "Setting : " + label_; }

    // The option list (kinds below 11), otherwise the two-character entry.
    bool UsesList() const { return usesList_; }
    const std::vector<std::string>& Options() const { return options_; }
    int SelectedIndex() const { return selected_; }  // -1: nothing selected
    // The list's text: the selected entry, "Null" for a byte without an entry, or "".
    const std::string& ListText() const { return listText_; }
    int InitialIndex() const { return initial_; }
    // What "Default" writes into scratch byte 0; nothing when the list sets no default.
    std::optional<std::uint8_t> DefaultByte() const { return defaultByte_; }

    // The character entry's text.
    const std::string& Characters() const { return characters_; }

    bool HintVisible() const;
    // The hint line's text in the interface language; "" when hidden.
    std::string HintText(const InterfaceText& text) const;

    // The user picks entry `index` of the list (-1: none).
    void Choose(int index);
    // The user types into the list's text.
    void SetListText(std::string text);
    // The user types into the character entry.
    void SetCharacters(std::string text);

    // Enter in the list: an entry whose text equals the list text exactly is selected, otherwise
    // the initial selection comes back; "Null" is left as it is.
    void EnterInList();
    // "OK": stores the chosen entry (or the two characters) into the scratch buffer. With "Null"
    // or nothing selected nothing is stored, except on the output sequence page.
    void Ok();
    // "Default": the default byte, or 0xFF 0xFF for the two-character entry.
    void Default();
    // "Cancel": the scratch buffer keeps what opening left in it.
    void Cancel() {}

private:
    void Select(int index);
    std::uint8_t& Byte() { return scratch_[0]; }

    int category_;
    EditDescriptor edit_;
    std::string label_;
    ScratchBytes& scratch_;
    const editor::ListSpec* list_ = nullptr;

    bool opens_ = false;
    bool usesList_ = false;
    std::vector<std::string> options_;
    int selected_ = -1;
    std::string listText_;
    int initial_ = -1;
    std::optional<std::uint8_t> defaultByte_;
    std::string characters_;
};

}  // namespace qsp
