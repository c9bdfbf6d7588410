#include "catalogue/catalogue_text.h"

#include <unordered_map>
#include <utility>

#include "catalogue/catalogue_text_data.h"

namespace qsp {
namespace {

struct Table {
    std::unordered_map<std::string, std::string> texts;
    std::vector<std::string> order;
};

// "English<TAB>translation" per line, UTF-8; '#' starts a comment line; blank lines are skipped.
// Blanks around either side are not part of the text.
std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
        s.remove_suffix(1);
    }
    return s;
}

Table ParseTable(std::string_view source) {
    Table table;
    for (const auto& [english, translation] : TableLines(source)) {
        std::string key(Trim(english));
        std::string text(Trim(translation));
        if (key.empty() || text.empty()) continue;
        if (table.texts.emplace(key, std::move(text)).second) table.order.push_back(key);
    }
    return table;
}

const Table* TableFor(Language language) {
    static const Table big5 = ParseTable(kCatalogueTextBIG5);
    static const Table sjis = ParseTable(kCatalogueTextSJIS);
    static const Table prcg = ParseTable(kCatalogueTextPRCG);
    switch (language) {
        case Language::TraditionalChinese:
            return &big5;
        case Language::Japanese:
            return &sjis;
        case Language::SimplifiedChinese:
            return &prcg;
        case Language::Neutral:
            break;
    }
    return nullptr;
}

const std::string* Find(const Table& table, std::string_view english) {
    const auto it = table.texts.find(std::string(english));
    return it == table.texts.end() ? nullptr : &it->second;
}

// A data edit format row: "F-1", "F-2" or "F-3", a blank and the row's own text.
bool IsFormatLabel(std::string_view text) {
    return text.size() > 4 && text[0] == 'F' && text[1] == '-' && text[2] >= '1' &&
           text[2] <= '3' && text[3] == ' ';
}

}  // namespace

std::string CatalogueText::operator()(std::string_view english) const {
    const Table* table = TableFor(language_);
    if (!table) return std::string(english);
    if (const std::string* own = Find(*table, english)) return *own;

    const std::size_t first = english.find_first_not_of(' ');
    if (first == std::string_view::npos) return std::string(english);
    const std::size_t last = english.find_last_not_of(' ');
    const std::string_view core = english.substr(first, last - first + 1);
    if (core.size() != english.size()) {
        if (const std::string* own = Find(*table, core)) {
            return std::string(english.substr(0, first)) + *own +
                   std::string(english.substr(last + 1));
        }
    }
    if (IsFormatLabel(english)) {
        const std::string rest = (*this)(english.substr(3));
        return std::string(english.substr(0, 3)) + rest;
    }
    return std::string(english);
}

std::string EnglishChoice(std::string_view shown, const std::vector<std::string>& choices) {
    for (const std::string& choice : choices) {
        if (choice == shown) return choice;
    }
    for (Language language :
         {Language::TraditionalChinese, Language::Japanese, Language::SimplifiedChinese}) {
        const CatalogueText translate(language);
        for (const std::string& choice : choices) {
            if (translate(choice) == shown) return choice;
        }
    }
    return std::string(shown);
}

std::vector<std::string> TranslatedCatalogueTexts(Language language) {
    const Table* table = TableFor(language);
    return table ? table->order : std::vector<std::string>{};
}

const std::vector<std::string>& WindowTexts() {
    static const std::vector<std::string> kTexts = {
        // settings window: title, menus, buttons, status bar
        "Barcode Scanner Settings",
        "Format",  // "Format 3" in the Clear Format boxes
        "End",     // the link panel when a keyboard-wedge exchange ends
        "Mode and Interface",
        "Buzzer and KB timing",
        "Other",
        "Keyboard (PS-2)",
        "RS-232",
        "WAND Emulation",
        "Code 39 -{Code32}",
        "Codabar",
        "Interleaved 2/5",
        "Toshibe (China Postal Code)",
        "Standard (IATA)  2/5",
        "Matrix  2/5",
        "Industrial  2/5",
        "Code 11  2/5",
        "Plessey {MSI & UK}",
        "Telepen",
        "EAN 13",
        "UPC A",
        "EAN 8",
        "UPC E",
        "Code 93",
        "Code 128 -{EAN128}",
        "GS1 DataBar",
        "PDF417",
        "Format Setting",
        "Block 1",
        "Block 2",
        "Block 3",
        "Additional",
        "CodeType and Output",
        "Update Scanner Setting",
        "Default Parameter",
        "Save Files",
        "Open Files",
        "Print",
        "RS232  COM",
        "USB",
        "Keyboard",
        // value editor
        "Parameters Setting",
        "Setting",
        "Max 2 bytes",
        "Auto Sensing",
        // code type dialog
        "Code Type",
        "Format 1 Code Type",
        "Format 2 Code Type",
        "Format 3 Code Type",
        "EXIT",
        "All Disable",
        "All Enable",
        // code type dialog: the tips naming a symbology's other name
        "Italian Pharmacode",
        "GS1 DataBar Limited",
        "Code 39 Full ASCII",
        "GS1 DataBar Omnidirectional",
        "China Postal Code",
        "GS1 DataBar Expanded",
        "Standard 2 of 5",
        "GS1-128",
        "Industrial 2 of 5",
        // special keyboard dialog (key names stay as they are)
        "Special Keyboard",
        "Serial",
        "All Clear",
        "for UK 1",
        "for UK 2",
        // print choice dialog and default-barcode window
        "Update Success !",
        "Print Out",
        // update settings window
        "System Setting",
        "The Test is check run.",
        "Change",
        "True",
        "False",
        "RS232-Delay",
        "USB-Delay",
        "PS2-Delay",
        "Comm max to 16",
        "EXIT [OK]",
        "KTX - Type",
        "Y-modem",
        "None",
        "Even",
        "Odd",
        "Space",
        "Mark",
        "7 bits",
        "8 bits",
        "1 bit",
        "2 bits",
        // the settings and test windows' clock ("Link 0: 2: 5")
        "Link",
        // test window's link panel
        "USB  Please Scanner",
        "Keyboard  Please Scanner",
        // main window
        "RS232",
        "Keyboard (PS2)",
        "Keyboard(PS2)",
        "More Set",
        // names a screen reader gives the controls that have no caption of their own
        "Messages",
        "Progress",
        "Categories",
        "Properties",
        "Scanned data",
        "Choose the update file",
    };
    return kTexts;
}

}  // namespace qsp
