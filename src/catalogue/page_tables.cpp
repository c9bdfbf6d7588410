// The rows of every page of the property list.

#include <array>

#include "base/text_number.h"
#include "catalogue/page_table.h"
#include "catalogue/value_texts.h"

namespace qsp::pages {

namespace {

template <std::string (*F)(unsigned)>
std::string Plain(unsigned value, const ImageBytes&) {
    return F(value);
}

// Data parity reads the data length of the same byte.
std::string ParityOfImage(unsigned value, const ImageBytes& image) {
    return DataParityText(value, FieldValue(image[143], 1, 0));
}

RowDef Bit(std::string label, int index, int bit, int kind, std::string gate = {}) {
    RowDef r;
    r.label = std::move(label);
    r.index = static_cast<std::uint16_t>(index);
    r.show = Show::Bit;
    r.high = r.low = static_cast<std::uint8_t>(bit);
    r.arg = static_cast<std::uint8_t>(kind);
    r.gate = std::move(gate);
    return r;
}

RowDef Field(std::string label, int index, int high, int low, FieldText text,
             std::string gate = {}) {
    RowDef r;
    r.label = std::move(label);
    r.index = static_cast<std::uint16_t>(index);
    r.show = Show::Field;
    r.high = static_cast<std::uint8_t>(high);
    r.low = static_cast<std::uint8_t>(low);
    r.text = text;
    r.gate = std::move(gate);
    return r;
}

RowDef Enum(std::string label, int index, FieldText text) {
    RowDef r;
    r.label = std::move(label);
    r.index = static_cast<std::uint16_t>(index);
    r.show = Show::Enumeration;
    r.text = text;
    return r;
}

RowDef Number(std::string label, int index, std::string gate = {}) {
    RowDef r;
    r.label = std::move(label);
    r.index = static_cast<std::uint16_t>(index);
    r.show = Show::Number;
    r.gate = std::move(gate);
    return r;
}

// A delay timer: above `limit` it is put back to `fallback` when shown.
RowDef CappedNumber(std::string label, int index, int limit, int fallback) {
    RowDef r = Number(std::move(label), index);
    r.show = Show::CappedNumber;
    r.arg = static_cast<std::uint8_t>(limit);
    r.arg2 = static_cast<std::uint8_t>(fallback);
    return r;
}

RowDef Match(std::string label, int index, int match, int kind) {
    RowDef r;
    r.label = std::move(label);
    r.index = static_cast<std::uint16_t>(index);
    r.show = Show::Match;
    r.arg = static_cast<std::uint8_t>(match);
    r.arg2 = static_cast<std::uint8_t>(kind);
    return r;
}

RowDef Chars(std::string label, int index, int n, std::string gate = {}) {
    RowDef r;
    r.label = std::move(label);
    r.index = static_cast<std::uint16_t>(index);
    r.show = Show::Chars;
    r.arg = static_cast<std::uint8_t>(n);
    r.gate = std::move(gate);
    return r;
}

RowDef Special(std::string label, int index, Show show) {
    RowDef r;
    r.label = std::move(label);
    r.index = static_cast<std::uint16_t>(index);
    r.show = show;
    return r;
}

// Pages 10 to 13: state, check digit, send check digit, lengths and code identifier.
std::vector<RowDef> TwoOfFive(const std::string& name, int flags) {
    const std::string state = name + " State";
    return {
        Bit(state, flags, 0, 3),
        Bit(name + " CDV", flags, 1, 3, state),
        Bit(name + " CDV - send", flags, 2, 1, state),
        Number(name + " Length Min", flags + 1, state),
        Number(name + " Length Max", flags + 2, state),
        Chars("Set Code ID (" + name + ")", flags + 3, 2, state),
    };
}

// Pages 17 to 20 share their supplement rows (second flag byte bits 0..3).
std::vector<RowDef> Supplements(const std::string& name, int index) {
    const std::string state = name + " State";
    return {
        Bit(name + " Supplement_5", index, 0, 0, state),
        Bit(name + " Supplement_2", index, 1, 0, state),
        Bit(name + " Add_a_space", index, 2, 0, state),
        Bit(name + " Addenda_required", index, 3, 0, state),
    };
}

std::vector<RowDef> Join(std::vector<RowDef> a, const std::vector<RowDef>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The two global rows at the head of the data edit pages.
RowDef ForceDataEdit() {
    return Match("Force Data Edit", 260, 1, 0);
}
RowDef FormatSwitch() {
    return Enum("Format On / Off", 256, Plain<FormatSwitchText>);
}

std::vector<RowDef> BlockRows(int n) {
    const std::string block = " Block" + NumberText(n);
    const int r = 29 + 5 * (n - 1);
    return {
        Number(block + " Data Length", r).InFormat(),
        Number(block + " Find Data Length", r + 1).InFormat(),
        Chars(block + " Find String Data", r + 2, 2).InFormat(),
        Match(block + " Find String", r + 4, 15, 1).InFormat(),
    };
}

std::vector<RowDef> AdditionalRows() {
    std::vector<RowDef> rows;
    for (int i = 1; i <= 5; ++i) {
        rows.push_back(Chars(" Additional" + NumberText(i), 46 + 6 * (i - 1), 5).InFormat());
    }
    return rows;
}

std::vector<RowDef> CodeTypeRows() {
    std::vector<RowDef> rows{Special(" Code Type", 18, Show::CodeTypes).InFormat()};
    for (int i = 1; i <= 8; ++i) {
        rows.push_back(Special(" Output Sequence" + NumberText(i), 75 + i, Show::OutputEntry)
                           .InFormat()
                           .If(When::OutputEntryRow));
    }
    return rows;
}

std::vector<PageDef> BuildPages() {
    std::vector<PageDef> pages;
    auto add = [&](int page, std::string heading, std::vector<RowDef> rows,
                   Correction correction = Correction::None) {
        pages.push_back({page, std::move(heading), std::move(rows), correction});
    };

    add(1, "Mode and Interface",
        {
            Enum("Computer Type", 139, Plain<ComputerTypeText>),
            Enum("Interface", 140, Plain<InterfaceTypeText>),
            Enum("Reading Mode", 150, Plain<ReadingModeText>),
            CappedNumber("Delay timer1, when there was no symbology decoding", 171, 50, 3)
                .If(When::TimerRows),
            Bit("Auto Sensing Green-LED", 173, 0, 0).If(When::GreenLedRow),
            CappedNumber("Delay timer2 lingering on the same barcode", 172, 50, 30)
                .If(When::LingerRow),
            Bit("Auto Sensing Magnetic stone", 173, 1, 0).If(When::TimerRows),
            Enum("Terminator", 141, Plain<TerminatorText>),
            Bit("Send Data Length", 149, 3, 0),
            Enum("Code ID", 104, Plain<CodeIdModeText>),
        },
        Correction::ComputerType);

    add(2, "Buzzer and KB timing",
        {
            Enum("Beep Tone", 152, Plain<BeepToneText>),
            Enum("Interblock Delay", 147, Plain<InterblockDelayText>),
            Enum("Intercharacter Delay", 148, Plain<IntercharacterDelayText>),
            Number("Accuracy Adjustment", 151),
        });

    add(3, "Other",
        {
            Field("Label Type", 149, 4, 4, Plain<LabelTypeText>),
            Match("Setup Code", 153, 0, 0),
            Chars("Preamble", 106, 16),
            Chars("Postamble", 123, 16),
        });

    add(4, "Keyboard (PS-2)",
        {
            Field("Capital Lock Mode", 149, 1, 0, Plain<CapitalLockText>),
            Bit("Numeric Keypad Output", 149, 2, 0),
            Enum("Keyboard Layout", 146, Plain<KeyboardLayoutText>),
        });

    add(5, "RS-232",
        {
            Enum("Baud Rate", 142, Plain<BaudRateText>),
            Field("Data Length", 143, 1, 0, Plain<DataLengthText>),
            Field("Data Parity", 143, 4, 2, ParityOfImage),
            Field("Data Stop Bits", 143, 6, 5, Plain<StopBitsText>),
            Enum("Handshaking RTS enabled", 144, Plain<HandshakingText>),
            Bit("ACK / NAK On / Off", 145, 7, 0),
            Field("Timeout", 145, 1, 0, Plain<TimeoutText>),
            Bit("BCC Character", 145, 6, 0),
        });

    add(6, "WAND Emulation",
        {
            Field("Level Duration of Mini Width", 154, 0, 0, Plain<WandMinimumWidthText>),
            Field("Polarity of Idle Condition", 154, 1, 1, Plain<WandIdlePolarityText>),
            Field("Output of Wand Emulation", 154, 2, 2, Plain<WandOutputText>),
            Field("Wave Form", 154, 3, 3, Plain<WandWaveFormText>),
        });

    {
        const std::string c39 = "Code39 State";
        const std::string c32 = "Code32 State";
        add(7, "Code 39 -{Code32}",
            {
                Bit(c39, 0, 0, 3),
                Bit("Code39 CDV", 0, 1, 3, c39),
                Bit("Code39 CDV - send", 0, 2, 1, c39),
                Bit("Code39 Start - Stop", 0, 3, 2, c39),
                Chars("Set Code ID (Code 39)", 3, 2, c39),
                Number("Code-39 Length Min", 1, c39),
                Number("Code-39 Length Max", 2, c39),
                Bit("Full ASCII C39", 0, 4, 3, c39),
                Chars("Set Code ID (Full ASCII C39)", 5, 2, c39),
                Bit(c32, 0, 5, 3, c39),
                Bit("Code32 Leading", 0, 6, 2, c32),
                Bit("Code32 Tailing", 0, 7, 2, c32),
                Chars("Set Code ID (Code 32)", 7, 2, c32),
            });
    }

    {
        const std::string s = "Codabar State";
        add(8, "Codabar",
            {
                Bit(s, 9, 0, 3),
                Bit("Codabar CDV", 9, 1, 3, s),
                Bit("Codabar CDV - send", 9, 2, 1, s),
                Bit("Codabar Start - Stop", 9, 3, 2, s),
                Field("Codabar Start - Stop TYPE", 9, 5, 4, Plain<CodabarStartStopText>, s),
                Bit("Codabar CLSI Format", 9, 6, 0, s),
                Chars("Set Code ID (Codabar)", 13, 2, s),
                Number("Codabar Length Min", 11, s),
                Number("Codabar Length Max", 12, s),
                Bit("ABC / CX / Coupling - Codabar Adjacent required", 10, 6, 0, s),
                Bit("ABC-Codabar", 10, 0, 0, s),
                Bit("ABC-Codabar insert data", 10, 1, 0, s),
                Chars("ABC-Codabar insert character", 15, 1, s),
                Bit("CX-Codabar", 10, 2, 0, s),
                Bit("CX-Codabar insert data", 10, 3, 0, s),
                Chars("CX-Codabar insert character", 16, 1, s),
                Bit("Codabar-Coupling", 10, 4, 0, s),
                Bit("Codabar-Coupling insert data", 10, 5, 0, s),
                Chars("Codabar-Coupling insert character", 17, 1, s),
            });
    }

    {
        const std::string s = "Interleaved 2/5 State";
        add(9, "Interleaved 2/5",
            {
                Bit(s, 18, 0, 3),
                Bit("Interleaved 2/5 CDV", 18, 1, 3, s),
                Bit("Interleaved 2/5 CDV - send", 18, 2, 1, s),
                Field("First / Last digit suppressed", 18, 4, 3, Plain<DigitSuppressionText>, s),
                Number("Interleaved 2/5 Length Min", 19, s),
                Number("Interleaved 2/5 Length Max", 20, s),
                Chars("Set Code ID (Interleaved 2/5)", 21, 2, s),
            });
    }

    add(10, "Toshiba 2/5", TwoOfFive("Toshiba 2/5", 23));
    add(11, "Standard (IATA) 2/5", TwoOfFive("Standard 2/5", 28));
    add(12, "Matrix 2/5", TwoOfFive("Matrix 2/5", 33));
    add(13, "Industrial 2/5", TwoOfFive("Industrial 2/5", 38));

    {
        const std::string s = "Code11 2/5 State";
        add(14, "Code 11 2/5",
            {
                Bit(s, 43, 0, 3),
                Bit("Code11 2/5 CDV", 43, 1, 3, s),
                Bit("Code11 2/5 CDV - send", 43, 2, 1, s),
                Field("Code11 2/5 digits CD", 43, 3, 3, Plain<Code11CheckDigitsText>, s),
                Number("Code11 2/5 Length Min", 44, s),
                Number("Code11 2/5 Length Max", 45, s),
                Chars("Set Code ID (Code11 2/5)", 46, 2, s),
            });
    }

    {
        const std::string msi = "MSI Plessey State";
        const std::string uk = "UK Plessey State";
        add(15, "Plessey {MSI & UK}",
            {
                Bit(msi, 48, 0, 3),
                Bit("MSI Plessey CDV", 48, 2, 1, msi),
                Field("MSI Plessey CDV mod10", 48, 4, 3, Plain<MsiCheckDigitText>, msi),
                Number("MSI Plessey Length Min", 49, msi),
                Number("MSI Plessey Length Max", 50, msi),
                Chars("Set Code ID (MSI Plessey)", 51, 2, msi),
                Bit(uk, 53, 0, 3),
                Bit("UK Plessey CDV", 53, 2, 1, uk),
                Chars("Set Code ID (UK Plessey)", 56, 2, uk),
            });
    }

    {
        const std::string s = "Telepen State";
        add(16, "Telepen",
            {
                Bit(s, 58, 0, 3),
                Field("Telepen Code Output", 58, 1, 1, Plain<TelepenOutputText>, s),
                Chars("Set Code ID (Telepen)", 61, 2, s),
            });
    }

    {
        const std::string s = "EAN-13 State";
        add(17, "EAN-13",
            Join(Join(
                     {
                         Bit(s, 63, 0, 3),
                         Bit("EAN-13 Lead digit", 63, 1, 2, s),
                         Bit("EAN-13 CDV - send", 63, 2, 1, s),
                         Bit("EAN-13 ISBN", 63, 3, 0, s),
                         Bit("EAN-13 ISSN", 63, 4, 0, s),
                         Bit("EAN-13 ISMN", 63, 5, 0, s),
                     },
                     Supplements("EAN-13", 64)),
                 {Chars("Set Code ID (EAN-13)", 65, 2, s)}));
    }

    {
        const std::string s = "UPC-A State";
        add(18, "UPC-A",
            Join(Join(
                     {
                         Bit(s, 67, 0, 3),
                         Bit("UPC-A Lead digit", 67, 1, 2, s),
                         Bit("UPC-A CDV - send", 67, 2, 1, s),
                         Bit("UPC-A expand to EAN-13", 67, 3, 0, s),
                     },
                     Supplements("UPC-A", 68)),
                 {Chars("Set Code ID (UPC-A)", 69, 2, s)}));
    }

    {
        const std::string s = "EAN-8 State";
        add(19, "EAN-8",
            Join(Join(
                     {
                         Bit(s, 71, 0, 3),
                         Bit("EAN-8 Lead digit", 71, 1, 2, s),
                         Bit("EAN-8 CDV - send", 71, 2, 1, s),
                     },
                     Supplements("EAN-8", 72)),
                 {Chars("Set Code ID (EAN-8)", 73, 2, s)}));
    }

    {
        const std::string s = "UPC-E State";
        add(20, "UPC-E",
            Join(Join(
                     {
                         Bit(s, 75, 0, 3),
                         Bit("UPC-E Lead digit", 75, 1, 2, s),
                         Bit("UPC-E CDV - send", 75, 2, 1, s),
                         Bit("UPC-E0", 75, 3, 0, s),
                         Bit("UPC-E1", 75, 4, 0, s),
                         Bit("UPC-E expand to UPC-A", 75, 5, 0, s),
                     },
                     Supplements("UPC-E", 76)),
                 {Chars("Set Code ID (UPC-E)", 77, 2, s)}));
    }

    {
        const std::string s = "Code93 State";
        add(21, "Code 93",
            {
                Bit(s, 79, 0, 3),
                Number("Code93 Length Min", 80, s),
                Number("Code93 Length Max", 81, s),
                Chars("Set Code ID (Code93)", 82, 2, s),
            });
    }

    {
        const std::string c128 = "Code128 State";
        const std::string ean = "EAN-128 State";
        add(22, "Code 128 -{EAN128}",
            {
                Bit(c128, 84, 0, 3),
                Number("Code128 Length Min", 86, c128),
                Number("Code128 Length Max", 87, c128),
                Chars("Set Code ID (Code128)", 88, 2, c128),
                Bit(ean, 84, 1, 3, c128),
                Bit("EAN-128 code_id", 84, 2, 3, ean),
                Bit("EAN-128 func1", 84, 3, 2, ean),
                Chars("Set Code ID (EAN-128)", 90, 2, ean),
                Chars("EAN-128 Replace Func1 character", 92, 1, ean),
            });
    }

    {
        const std::string rss = "GS1 DataBar-14 / Truncated";
        const std::string lim = "GS1 DataBar Limited";
        const std::string exp = "GS1 DataBar Expanded";
        add(23, "GS1 DataBar",
            {
                Bit(rss, 93, 0, 3),
                Bit("GS1 DataBar-14 CDV", 93, 1, 1, rss),
                Bit("GS1 DataBar-14 Prefix number", 93, 2, 2, rss),
                Bit("GS1 DataBar-14 Stacked / Omnidirectional", 93, 3, 3, rss),
                Chars("Set Code ID (GS1 DataBar-14)", 94, 2, rss),
                Bit(lim, 96, 0, 3),
                Bit("GS1 DataBar Limited CDV", 96, 1, 1, lim),
                Bit("GS1 DataBar Limited Prefix number", 96, 2, 2, lim),
                Chars("Set Code ID (GS1 DataBar Limited)", 97, 2, lim),
                Bit(exp, 99, 0, 3),
                Bit("GS1 DataBar Expanded Stacked", 99, 3, 3, exp),
                Number("GS1 DataBar Expanded Length Min", 100, exp),
                Number("GS1 DataBar Expanded Length Max", 101, exp),
                Chars("Set Code ID (GS1 DataBar Expanded)", 102, 2, exp),
            });
    }

    {
        const std::string s = "PDF417 State";
        add(24, "PDF417",
            {
                Bit(s, 156, 0, 3),
                Chars("Set Code ID (PDF417)", 157, 2, s),
            });
    }

    add(25, "Data Edit", {ForceDataEdit().If(When::SwitchOff), FormatSwitch().If(When::SwitchOff)});

    add(26, "Format Setting",
        {
            ForceDataEdit(),
            FormatSwitch(),
            Special(" Clear Format", 0, Show::ClearFormat).InFormat(),
            Number(" Min Length", 16).InFormat(),
            Number(" Max Length", 17).InFormat(),
            Number(" Find String Position", 21).InFormat(),
            Number(" Find Data Length", 22).InFormat(),
            Chars(" Find String Data", 23, 5).InFormat(),
        });

    add(27, "Block 1", BlockRows(1));
    add(28, "Block 2", BlockRows(2));
    add(29, "Block 3", BlockRows(3));
    add(30, "Additional", AdditionalRows());
    add(31, "Code Type and Output", CodeTypeRows(), Correction::OutputSequence);
    return pages;
}

}  // namespace

const PageDef* FindPage(int page) {
    static const std::vector<PageDef> kPages = BuildPages();
    if (page < 1 || page > static_cast<int>(kPages.size())) return nullptr;
    return &kPages[page - 1];
}

}  // namespace qsp::pages
