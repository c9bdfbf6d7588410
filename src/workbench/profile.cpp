#include "workbench/profile.h"

#include <algorithm>
#include <map>
#include <optional>

#include "base/file_io.h"
#include "base/settings_file.h"
#include "base/text_ids.h"
#include "catalogue/catalogue.h"
#include "catalogue/key_codes.h"
#include "catalogue/reset_values.h"
#include "catalogue/value_texts.h"
#include "editor/value_editor_model.h"
#include "workbench/code_type_model.h"
#include "workbench/key_sequence_model.h"
#include "workbench/param_file.h"

namespace qsp {

namespace {

constexpr std::size_t kInterfaceByte = 140;
constexpr std::size_t kFileBytes = 515;  // bytes 0..514 are what a file and a scanner hold
constexpr int kApplyRounds = 8;          // passes over the settings while gates open

std::string Trim(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

bool IsAction(const EditDescriptor& edit) {
    return edit.bitOrKind == kEditClearFormat;
}

constexpr const char* kRawWord = "raw";

bool IsRawText(const std::string& value) {
    return value == kRawWord || value.rfind(std::string(kRawWord) + " ", 0) == 0;
}

// The numbers of a raw value for a row with these bits; nothing when they are not exactly as
// many as the row covers, each within what its bits can hold.
std::optional<std::vector<unsigned>> ParseRaw(const std::string& value, const RowBits& bits) {
    const unsigned largest = RowBitLargest(bits);
    std::vector<unsigned> values;
    std::size_t at = std::char_traits<char>::length(kRawWord);
    while (at < value.size()) {
        at = value.find_first_not_of(" \t", at);
        if (at == std::string::npos) break;
        const auto end = std::min(value.find_first_of(" \t", at), value.size());
        const std::string number = value.substr(at, end - at);
        at = end;
        if (number.empty() || number.size() > 3 ||
            number.find_first_not_of("0123456789") != std::string::npos)
            return std::nullopt;
        const auto v = static_cast<unsigned>(std::stoi(number));
        if (v > largest) return std::nullopt;
        values.push_back(v);
    }
    if (values.size() != bits.count || bits.count == 0) return std::nullopt;
    return values;
}

// The pages a profile covers, in page order: the listed pages with the WAND page among them.
std::vector<int> ProfilePages(const ImageBytes& image) {
    auto pages = ListedPages(image);
    pages.insert(std::upper_bound(pages.begin(), pages.end(), kWandPage - 1), kWandPage);
    return pages;
}

// The n-th row (1-based) labelled `label`, or nothing.
const PropertyRow* FindRow(const std::vector<PropertyRow>& rows, const std::string& label,
                           int nth) {
    for (const auto& row : rows) {
        if (row.label == label && --nth == 0) return &row;
    }
    return nullptr;
}

// A row's value as a profile writes it.
std::optional<std::string> ShownValue(ImageBytes& image, int page, const std::string& label,
                                      int nth) {
    const auto rows = ShowPage(image, page);
    const PropertyRow* row = FindRow(rows, label, nth);
    if (row == nullptr) return std::nullopt;
    return Trim(row->value);
}

// A second row of the same label on a page is written "Label #2".
std::string RowKey(const std::string& label, int nth) {
    return nth == 1 ? label : label + " #" + std::to_string(nth);
}
// A row number no page reaches: a key whose number is this large names no row.
constexpr int kNoSuchRow = 1 << 20;

std::pair<std::string, int> SplitRowKey(const std::string& key) {
    const auto hash = key.rfind(" #");
    if (hash != std::string::npos && hash + 2 < key.size() &&
        key.find_first_not_of("0123456789", hash + 2) == std::string::npos) {
        const std::string digits = key.substr(hash + 2);
        const int nth = digits.size() > 6 ? kNoSuchRow : std::stoi(digits);
        if (nth > 1) return {key.substr(0, hash), nth};
    }
    return {key, 1};
}

int PageForHeading(const std::string& heading) {
    for (int page = kFirstPage; page <= kLastPage; ++page) {
        if (PageHeading(page) == heading) return page;
    }
    return 0;
}

// "{A}{CR}{}}" as its character and key names; nothing when the text is not such a run.
std::optional<std::vector<std::string>> CharacterNames(const std::string& value) {
    std::vector<std::string> names;
    std::size_t at = 0;
    while (at < value.size()) {
        if (value[at] != '{') return std::nullopt;
        // The shortest name that is a character or key and is closed by a brace.
        std::size_t close = std::string::npos;
        for (std::size_t end = value.find('}', at + 2); end != std::string::npos;
             end = value.find('}', end + 1)) {
            const auto code = KeyCode(value.substr(at + 1, end - at - 1));
            if (code && IsCharacterByte(*code)) {
                close = end;
                break;
            }
        }
        if (close == std::string::npos) return std::nullopt;
        names.push_back(value.substr(at + 1, close - at - 1));
        at = close + 1;
    }
    return names;
}

bool IsNumber(const std::string& s) {
    return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos;
}

struct Setting {
    int line = 0;
    int page = 0;
    std::string heading;
    std::string key;  // as the profile writes it: the label and "#n" for a later row
    std::string label;
    int nth = 1;
    std::string value;
    bool reached = false;
    bool failed = false;  // for good: a raw value that does not fit the row
    // Why the row's editor could not take the value in the last pass; another row set later in
    // that pass may still make it possible (7 data bits before parity, an interface before the
    // computer type it allows).
    std::optional<TextMessage> fault;
};

using Fault = std::optional<TextMessage>;

class Applier {
public:
    Applier(ImageBytes& image, const Setting& s) : image_(image), s_(s) {}

    // Sets the row to the setting's value; nothing on success, otherwise why not.
    Fault Set(const PropertyRow& row) {
        const auto& edit = row.edit;
        const int kind = edit.bitOrKind;
        if (IsAction(edit)) return TextMessage{kTextProfileAction, {s_.label}};
        if (kind == kEditCodeTypes) return SetCodeTypes(edit);
        if (kind < kEditRunBase + 1 || (kind == kEditRunBase + 2 && edit.index < 256))
            return SetByValueEditor(edit);
        return SetByKeyboard(edit);
    }

private:
    // Whether the page now shows the wanted value on `image`.
    bool Shows(ImageBytes image) const {
        const auto shown = ShownValue(image, s_.page, s_.label, s_.nth);
        return shown && *shown == s_.value;
    }
    // "The value is not one the row can take", in the form of text `id`, and `more` after.
    TextMessage CannotTake(int id = kTextProfileCannotTake, std::string more = "") const {
        TextMessage m{id, {s_.value, s_.label}};
        if (!more.empty()) m.args.push_back(std::move(more));
        return m;
    }

    Fault SetCodeTypes(const EditDescriptor& edit) {
        std::vector<bool> boxes(kCodeTypeBoxes, false);
        std::string rest = s_.value;
        std::size_t at = 0;
        while (at < rest.size()) {
            auto comma = rest.find(',', at);
            if (comma == std::string::npos) comma = rest.size();
            const std::string name = Trim(rest.substr(at, comma - at));
            at = comma + 1;
            if (name.empty()) continue;
            int found = -1;
            for (int box = 0; box < kCodeTypeBoxes; ++box) {
                std::string known = CodeTypeNames()[static_cast<std::size_t>(box)];
                if (!known.empty() && known.back() == ',') known.pop_back();
                if (known == name) found = box;
            }
            if (found < 0) {
                std::string names;
                for (const char* n : CodeTypeNames())
                    names += std::string(names.empty() ? "" : " ") + n;
                return TextMessage{kTextProfileNotCodeType, {name, names}};
            }
            boxes[static_cast<std::size_t>(found)] = true;
        }
        ImageBytes trial = image_;
        CodeTypeModel model(trial, edit.index);
        for (int box = 0; box < kCodeTypeBoxes; ++box)
            model.StoreBox(box, boxes[static_cast<std::size_t>(box)]);
        if (!Shows(trial)) return CannotTake();
        image_ = trial;
        return std::nullopt;
    }

    // The value editor opened on the row, `act` done in it, "OK" pressed, as the settings window
    // runs it; the image is kept when the row then shows the value.
    template <typename Act>
    bool TryValueEditor(const EditDescriptor& edit, Act act) {
        ImageBytes trial = image_;
        const std::size_t n = edit.bitOrKind == kEditRunBase + 2 ? 2 : 1;
        if (!InImage(edit.index + n - 1)) return false;
        ScratchBytes scratch{};
        std::copy_n(trial.begin() + static_cast<std::ptrdiff_t>(edit.index), n, scratch.begin());
        ValueEditorModel model(s_.page, edit, s_.label, scratch);
        if (!model.Opens()) return false;
        act(model);
        model.Ok();
        std::copy_n(scratch.begin(), n, trial.begin() + static_cast<std::ptrdiff_t>(edit.index));
        if (!Shows(trial)) return false;
        image_ = trial;
        return true;
    }

    Fault SetByValueEditor(const EditDescriptor& edit) {
        ScratchBytes probeScratch{};
        probeScratch[0] = image_[edit.index];
        const ValueEditorModel probe(s_.page, edit, s_.label, probeScratch);
        if (!probe.UsesList()) {
            const auto names = CharacterNames(s_.value);
            std::string characters;
            for (const auto& name : names.value_or(std::vector<std::string>{}))
                characters += name;
            if (names &&
                TryValueEditor(edit, [&](ValueEditorModel& m) { m.SetCharacters(characters); }))
                return std::nullopt;
            return CannotTake(kTextProfileTwoCharacters);
        }
        const auto& options = probe.Options();
        // The entry that reads as the value first, then every other one: the row's text is what
        // counts.
        std::vector<int> order;
        for (std::size_t i = 0; i < options.size(); ++i) {
            if (Trim(options[i]) == s_.value)
                order.insert(order.begin(), static_cast<int>(i));
            else
                order.push_back(static_cast<int>(i));
        }
        for (int i : order) {
            if (TryValueEditor(edit, [i](ValueEditorModel& m) { m.Choose(i); }))
                return std::nullopt;
        }
        if (!options.empty() && IsNumber(s_.value) && IsNumber(Trim(options.front())) &&
            IsNumber(Trim(options.back()))) {
            return TextMessage{kTextProfileOutOfRange,
                               {s_.value, s_.label, Trim(options.front()), Trim(options.back())}};
        }
        std::string choices;
        for (const auto& o : options)
            choices += (choices.empty() ? "" : ", ") + Trim(o);
        return options.size() <= 24 ? CannotTake(kTextProfileCannotTakeChoices, choices)
                                    : CannotTake();
    }

    Fault SetByKeyboard(const EditDescriptor& edit) {
        const auto names = CharacterNames(s_.value);
        if (!names) {
            return CannotTake(kTextProfileKeyNames);
        }
        const int count = edit.bitOrKind - kEditRunBase;
        const std::size_t room =
            std::min<std::size_t>(static_cast<std::size_t>(count), image_.size() - edit.index);
        if (names->size() > room) {
            return TextMessage{kTextProfileTooLong, {s_.value, s_.label, std::to_string(room)}};
        }
        ImageBytes trial = image_;
        SpecialKeyboardModel::Scratch scratch{};
        const auto at = trial.begin() + static_cast<std::ptrdiff_t>(edit.index);
        std::copy_n(at, room, scratch.begin());
        SpecialKeyboardModel model(scratch, static_cast<int>(room));
        model.AllClear();
        for (std::size_t i = 0; i < names->size(); ++i)
            model.TextChanged(static_cast<int>(i), (*names)[i]);
        model.Close();
        std::copy_n(scratch.begin(), room, at);
        if (!Shows(trial)) return CannotTake();
        image_ = trial;
        return std::nullopt;
    }

    ImageBytes& image_;
    const Setting& s_;
};

// Whether the row's text, set through the row's editor on `shown` with the row's bits at their
// factory values, gives back exactly the bits the row holds in `shown`.
bool TextGivesBits(const ImageBytes& shown, const ImageBytes& factory, int page,
                   const PropertyRow& row, int nth) {
    ImageBytes base = shown;
    PutRowBitValues(base, row.bits, RowBitValues(factory, row.bits));
    const auto rows = ShowPage(base, page);
    const PropertyRow* there = FindRow(rows, row.label, nth);
    if (there == nullptr) return false;
    Setting s;
    s.page = page;
    s.label = row.label;
    s.key = RowKey(row.label, nth);
    s.nth = nth;
    s.value = Trim(row.value);
    if (Trim(there->value) != s.value && Applier(base, s).Set(*there)) return false;
    return SameRowBits(base, shown, row.bits);
}

// The settings of a profile text; syntax faults go into `errors`.
std::vector<Setting> ParseSettings(const std::string& text, const std::string& source,
                                   std::vector<ProfileError>& errors) {
    std::vector<Setting> settings;
    std::map<std::pair<int, std::string>, int> firstLine;
    int page = -1;  // -1: no section yet; 0: a section naming no page
    std::string heading;
    std::size_t at = 0;
    if (text.rfind("\xEF\xBB\xBF", 0) == 0) at = 3;  // a byte order mark
    for (int line = 1; at < text.size(); ++line) {
        auto end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        const std::string content = Trim(text.substr(at, end - at));
        at = end + 1;
        const auto fail = [&](int id, std::vector<std::string> args) {
            errors.push_back({source, line, {id, std::move(args)}});
        };
        if (content.empty() || content[0] == '#') continue;
        if (content.front() == '[' && content.back() == ']') {
            heading = Trim(content.substr(1, content.size() - 2));
            page = PageForHeading(heading);
            if (page == 0) fail(kTextProfileNoPage, {heading});
            continue;
        }
        const auto equals = content.find('=');
        if (equals == std::string::npos || equals == 0) {
            fail(kTextProfileNotASetting, {content});
            continue;
        }
        if (page < 0) {
            fail(kTextProfileBeforeSection, {content});
            continue;
        }
        if (page == 0) continue;  // the section's fault is reported once
        Setting s;
        s.line = line;
        s.page = page;
        s.heading = heading;
        s.key = Trim(content.substr(0, equals));
        std::tie(s.label, s.nth) = SplitRowKey(s.key);
        s.value = Trim(content.substr(equals + 1));
        const auto key = std::make_pair(page, s.nth == kNoSuchRow ? s.key : RowKey(s.label, s.nth));
        if (const auto it = firstLine.find(key); it != firstLine.end()) {
            fail(kTextProfileSetTwice, {key.second, heading, std::to_string(it->second)});
            continue;
        }
        firstLine[key] = line;
        settings.push_back(std::move(s));
    }
    return settings;
}

}  // namespace

int ImageHostLink(const ImageBytes& image) {
    switch (image[kInterfaceByte]) {
        case 3:
        case 5:
            return kUsb;
        case 1:
        case 4:
            return kRs232;
        default:
            return kPs2;
    }
}

namespace {

// The profile text of `rows`; `lines`, when given, gets the line each row stands on.
std::string WriteProfile(const std::vector<ProfileRow>& rows, const std::string& source,
                         std::vector<int>* lines) {
    std::string out;
    int line = 0;
    if (!source.empty()) {
        out += "# QSP profile of " + source + "\n";
        ++line;
    }
    int page = 0;
    for (const auto& row : rows) {
        if (row.page != page) {
            out += (page == 0 ? "[" : "\n[") + row.heading + "]\n";
            line += page == 0 ? 1 : 2;
            page = row.page;
        }
        out += row.label + " =" + (row.value.empty() ? "" : " " + row.value) + "\n";
        if (lines) lines->push_back(++line);
    }
    return out;
}

}  // namespace

std::vector<ProfileRow> ProfileRows(const ImageBytes& image, bool all) {
    ImageBytes shown = image;
    // The factory file of the image's host link, as "qspctl reset" writes it, with the
    // corrections its pages make when shown.
    ImageBytes factoryFile{};
    int currentPage = 0;
    ResetImage(factoryFile, ImageHostLink(image), currentPage);
    ImageBytes factory = factoryFile;
    const auto pages = ProfilePages(image);
    for (int page : pages)
        ShowPage(factory, page);
    // Every row of every page, shown or behind a state row that is off; without `all` only those
    // whose bits differ from the factory values are written, unless the check below needs more.
    struct Candidate {
        ProfileRow row;
        RowBits bits;
        bool written = false;
    };
    std::vector<Candidate> rows;
    for (int page : pages) {
        std::map<std::string, int> seen;
        for (const auto& row : ShowPage(shown, page)) {
            if (row.label.empty() || IsAction(row.edit)) continue;
            const int nth = ++seen[row.label];
            const bool factoryBits = SameRowBits(shown, factory, row.bits);
            Candidate c{{page, PageHeading(page), RowKey(row.label, nth), "", row.edit.index},
                        row.bits,
                        all || !factoryBits};
            if (c.written) {
                // The row's text when setting it through its editor gives back the row's bits,
                // otherwise the bits themselves. A text with a line break would end the line.
                const std::string text = Trim(row.value);
                const bool oneLine = text.find_first_of("\r\n") == std::string::npos;
                c.row.value =
                    oneLine && (factoryBits || TextGivesBits(shown, factory, page, row, nth))
                        ? text
                        : RawRowText(shown, row.bits);
            }
            rows.push_back(std::move(c));
        }
        // Rows behind a state row that is off keep their bits too; no editor reaches them, so
        // they go in the raw form, numbered on after the page's shown rows of the same label.
        for (const auto& row : HiddenRows(shown, page)) {
            const int nth = ++seen[row.label];
            rows.push_back({{page, PageHeading(page), RowKey(row.label, nth),
                             RawRowText(shown, row.bits), row.edit.index},
                            row.bits,
                            all || !SameRowBits(shown, factory, row.bits)});
        }
    }
    const auto written = [&](std::vector<std::size_t>* which) {
        std::vector<ProfileRow> out;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (!rows[i].written) continue;
            out.push_back(rows[i].row);
            if (which) which->push_back(i);
        }
        return out;
    };
    // One row's editor may change another row's bits (7 data bits turn parity "None" into
    // "Even"): the rows are applied onto the factory file as a check, and a row whose bits do
    // not come back is written, in the raw form, until every row comes back.
    for (int round = 0; round < kApplyRounds; ++round) {
        std::vector<std::size_t> which;
        const auto out = written(&which);
        ImageBytes applied = factoryFile;
        std::vector<int> lines;
        const auto result = ApplyProfile(applied, WriteProfile(out, "", &lines), "");
        bool changed = false;
        const auto raw = [&](Candidate& c) {
            if (c.written && IsRawText(c.row.value)) return;
            c.row.value = RawRowText(shown, c.bits);
            c.written = true;
            changed = true;
        };
        if (!result.ok()) {
            // A row the factory file cannot take through its editor: its bits instead.
            for (const auto& e : result.errors) {
                const auto at = std::find(lines.begin(), lines.end(), e.line);
                if (at != lines.end())
                    raw(rows[which[static_cast<std::size_t>(at - lines.begin())]]);
            }
            if (!changed) break;
            continue;
        }
        for (int page : pages)
            ShowPage(applied, page);
        for (auto& c : rows) {
            if (!SameRowBits(applied, shown, c.bits)) raw(c);
        }
        if (!changed) break;
    }
    return written(nullptr);
}

std::string ProfileText(const std::vector<ProfileRow>& rows, const std::string& source) {
    return WriteProfile(rows, source, nullptr);
}

std::string ProfileError::Describe(const InterfaceText& text) const {
    return source + ":" + (line > 0 ? std::to_string(line) + ":" : "") + " " + message.In(text);
}

std::string ProfileResult::Describe(const InterfaceText& text) const {
    std::string out;
    for (const auto& e : errors)
        out += (out.empty() ? "" : "\n") + e.Describe(text);
    return out;
}

std::string RawRowText(const ImageBytes& image, const RowBits& bits) {
    std::string out = kRawWord;
    for (unsigned v : RowBitValues(image, bits))
        out += " " + std::to_string(v);
    return out;
}

ProfileResult ApplyProfile(ImageBytes& image, const std::string& text, const std::string& source) {
    ProfileResult result;
    auto settings = ParseSettings(text, source, result.errors);
    ImageBytes work = image;
    // Whether the row shows the setting's value: its text, or for a raw value its bits.
    const auto holds = [](const ImageBytes& at, const Setting& s, const PropertyRow& row) {
        if (!IsRawText(s.value)) return Trim(row.value) == s.value;
        const auto values = ParseRaw(s.value, row.bits);
        return values && RowBitValues(at, row.bits) == *values;
    };
    // Passes over the settings until one changes nothing: a setting that opens a gate makes the
    // rows behind it reachable in the next pass, whatever order the lines stand in.
    bool changed = true;
    for (int round = 0; round < kApplyRounds && changed; ++round) {
        changed = false;
        for (auto& s : settings) {
            if (s.failed) continue;
            const auto rows = ShowPage(work, s.page);
            const PropertyRow* row = FindRow(rows, s.label, s.nth);
            // A raw value also reaches a row hidden behind a state row that is off.
            std::vector<PropertyRow> hidden;
            if (row == nullptr && IsRawText(s.value)) {
                hidden = HiddenRows(work, s.page);
                const auto shownOfLabel = std::count_if(
                    rows.begin(), rows.end(), [&](const auto& r) { return r.label == s.label; });
                row = FindRow(hidden, s.label, s.nth - static_cast<int>(shownOfLabel));
            }
            if (row == nullptr) continue;
            s.reached = true;
            if (IsRawText(s.value)) {
                // The bits as they stand, past the editor's lists and ranges.
                const auto values = ParseRaw(s.value, row->bits);
                if (!values || IsAction(row->edit)) {
                    result.errors.push_back({source,
                                             s.line,
                                             {kTextProfileRawForm,
                                              {s.value, s.key, std::to_string(row->bits.count),
                                               std::to_string(RowBitLargest(row->bits))}}});
                    s.failed = true;
                    continue;
                }
                if (RowBitValues(work, row->bits) == *values) continue;
                PutRowBitValues(work, row->bits, *values);
                changed = true;
                continue;
            }
            s.fault.reset();
            if (holds(work, s, *row)) continue;
            s.fault = Applier(work, s).Set(*row);
            if (!s.fault) changed = true;
        }
    }
    for (const auto& s : settings) {
        if (s.failed) continue;
        const std::vector<std::string> where = {s.key, s.heading};
        if (s.fault) {
            result.errors.push_back({source, s.line, *s.fault});
        } else if (!s.reached) {
            result.errors.push_back(
                {source,
                 s.line,
                 {LookupRow(work, s.page, s.label) && s.nth != kNoSuchRow ? kTextProfileRowHidden
                                                                          : kTextProfileNoRow,
                  where}});
        } else if (changed) {
            // Still changing after every pass: two settings undo each other.
            ImageBytes at = work;
            const auto rows = ShowPage(at, s.page);
            const PropertyRow* row = FindRow(rows, s.label, s.nth);
            if (row && !holds(at, s, *row))
                result.errors.push_back({source, s.line, {kTextProfileUndone, where}});
        }
    }
    std::sort(result.errors.begin(), result.errors.end(),
              [](const auto& a, const auto& b) { return a.line < b.line; });
    if (!result.ok()) return result;
    for (std::size_t i = 0; i < kFileBytes; ++i)
        result.changedBytes += work[i] != image[i] ? 1 : 0;
    image = work;
    return result;
}

std::vector<ProfileError> ProfileSyntaxErrors(const std::string& text, const std::string& source) {
    std::vector<ProfileError> errors;
    ParseSettings(text, source, errors);
    return errors;
}

bool IsParamFilePath(const std::filesystem::path& path) {
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".dec";
}

}  // namespace qsp
