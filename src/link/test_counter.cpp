#include "link/test_counter.h"

#include "base/text_number.h"

namespace qsp {

namespace {

constexpr char kLf = '\n';
constexpr char kCr = '\r';
constexpr char kTab = '\t';
constexpr char kSpace = ' ';
constexpr char kEsc = '\x1B';

// The character that ends an item; 0 when the code names none.
char SerialTerminator(int code) {
    switch (code) {
        case 1:
        case 3:
            return kLf;
        case 2:
            return kCr;
        case 4:
            return kTab;
        case 5:
            return kSpace;
        case 6:
            return kEsc;
        default:
            return 0;
    }
}

char KeyTerminator(int code) {
    return code == 3 ? kCr : SerialTerminator(code);
}

}  // namespace

std::string ItemCounter::SerialPoll(std::string_view text) {
    if (text.empty()) return {};
    if (code_ == 0) {
        Add();
        return "\n" + std::string(text);
    }
    std::string shown(text);
    const char end = SerialTerminator(code_);
    if (end != 0 && text.find(end) != std::string_view::npos) {
        Add();
        if (code_ == 5 || code_ == 6) shown += '\n';
    }
    return shown;
}

bool ItemCounter::Keystroke(char c) {
    const char end = KeyTerminator(code_);
    if (end == 0 || c != end) return false;
    Add();
    return true;
}

std::string ItemCounter::KeyAfterTab(char c) {
    if (code_ == 4) Add();
    return std::string{kTab, c};
}

std::string ItemCounter::TotalText(std::string_view label) const {
    return std::string(label) + NumberText(count_);
}

void ItemCounter::WrapAtLimit() {
    if (count_ >= kItemCountLimit) count_ = 0;
}

std::string LineBreaks::Feed(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == kLf && afterCr_) {
            afterCr_ = false;
            continue;
        }
        afterCr_ = c == kCr;
        out += c == kCr ? kLf : c;
    }
    return out;
}

}  // namespace qsp
