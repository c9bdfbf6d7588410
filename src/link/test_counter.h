#pragma once
// Counting scanned items by the scanner's terminator (parameter byte 141), shared by the test
// window and `qspctl monitor`.
//
// Terminator codes: 0 none, 1 LF, 2 CR, 3 CR + LF, 4 TAB, 5 SPACE, 6 ESC. Serial text is counted
// per poll: a poll whose text holds the terminator counts one item, however many it holds; with
// code 0 every poll that brings text is an item. Keystrokes are counted one by one; with code 3
// a keyboard counts the carriage return where the serial text counts the line feed.

#include <cstdint>
#include <string>
#include <string_view>

namespace qsp {

// The count starts again at 0 once it reaches this.
inline constexpr std::int32_t kItemCountLimit = 2'147'483'600;

// Index of the terminator code in the parameter image.
inline constexpr std::size_t kTerminatorIndex = 141;

class ItemCounter {
public:
    explicit ItemCounter(int terminatorCode = 0) : code_(terminatorCode) {}

    // One poll's serial text while counting. Returns the text as it goes into the text box:
    // with code 0 on a line of its own (a line feed before it); with codes 5 and 6 a line feed
    // after it when it ended an item.
    std::string SerialPoll(std::string_view text);

    // One typed character of a keyboard link; true when it ended an item.
    bool Keystroke(char c);

    // A character typed while the Exit button had the focus: the tab key took the focus there,
    // so the tab and the character go back into the text box together. Counts one item when
    // the terminator is the tab.
    std::string KeyAfterTab(char c);

    int TerminatorCode() const { return code_; }
    std::int32_t Count() const { return count_; }

    // "Total: 3": the label followed by the count with its leading blank.
    std::string TotalText(std::string_view label) const;

    // Restarts the count at 0 once it has reached kItemCountLimit.
    void WrapAtLimit();

private:
    void Add() { ++count_; }

    int code_;
    std::int32_t count_ = 0;
};

// Line ends of received text for a text box: CR LF and a lone CR become one line feed, also
// when a CR LF pair is split between two polls.
class LineBreaks {
public:
    std::string Feed(std::string_view text);

private:
    bool afterCr_ = false;
};

}  // namespace qsp
