// qsp-scanner-sim: a virtual scanner on a pseudo-terminal and the keyboard-wedge sockets, for
// trying the program without one.

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "base/app_paths.h"
#include "ktx_receiver.h"
#include "pty_line.h"
#include "scan_feed.h"
#include "scanner_model.h"
#include "tool_text.h"
#include "wedge_socket.h"
#include "workbench/param_file.h"
#include "ymodem_receiver.h"

namespace {

// A wrong command line, said in the user's language.
struct WrongArgument {
    qsptools::ToolMessage message;
};

volatile int gStop = 0;
void OnSignal(int) {
    gStop = 1;
}

// The usage, line by line: an option or a fault with what it does, or a paragraph. Items start
// in column 2 (options) or 6 (faults); what they do in column 22 or 26.
struct UsageLine {
    int indent;
    const char* item;
    const char* text;
};
constexpr UsageLine kUsage[] = {
    {0, nullptr,
     "A virtual scanner on a pseudo-terminal, reachable by QSP as a serial port, and on the "
     "sockets ports/USB and ports/PS2 as the USB and PS/2 keyboard wedge."},
    {0, nullptr, ""},
    {2, "--port N", "answer as port N: links ports/COM<N> to the terminal (default 1)"},
    {2, "--settings-dir DIR", "folder holding ports/ (default: the program's settings folder)"},
    {2, "--baud B",
     "the scanner's own rate: 300 ... 38400 or 115200 (default 9600; any of --baud, --parity, "
     "--data, --stop replaces the block's own)"},
    {2, "--parity P", "N, E, O, S or M (default N)"},
    {2, "--data D", "7 or 8 (default 8)"},
    {2, "--stop S", "1 or 2 (default 1)"},
    {2, "--image FILE.Dec", "start with the block of this parameter file (default: factory)"},
    {2, "--save FILE.Dec",
     "keep the block in this parameter file: written at the start, whenever the host programs "
     "it, and when ending"},
    {2, "--serial-only",
     "no USB and PS/2 sockets: several virtual scanners may then run side by side in one "
     "settings folder on different ports"},
    {2, "--log FILE", "transcript: every byte each way with time and direction"},
    {2, "--fault F", "inject a fault (repeatable):"},
    {6, "no-answer[=STAGE]", "stay silent (STAGE: link, ack, read, write; default all)"},
    {6, "late=[STAGE:]MS", "answer MS milliseconds late"},
    {6, "corrupt[=N]",
     "a noise byte inside the read reply; USB and PS/2: a wrong exclusive-or of the block (in "
     "the first N answers only)"},
    {6, "short", "the read reply lacks its last byte"},
    {6, "nak", "refuse every write"},
    {6, "close-after=N", "drop the line after sending N bytes"},
    {6, "split", "PS/2: every answer typed in two messages"},
    {2, "--update-out FILE",
     "where a firmware update goes: the 64 KB image a KTX-type update rebuilt, or the file a "
     "Y-modem update carried"},
    {2, "--update-fault F", "inject a firmware update fault (repeatable):"},
    {6, "nak=N", "refuse block N once (KTX 0 to 106, Y-modem data blocks from 1)"},
    {6, "corrupt", "spoil a reply (KTX the final sum, Y-modem one acknowledge)"},
    {6, "silent[=N]", "answer nothing from block N on (default 0: not at all)"},
    {6, "split", "Y-modem: ACK and C of the header's answer in two writes"},
    {2, "--scan LIST", "barcodes to read, separated by commas (repeatable)"},
    {2, "--scan-file FILE", "barcodes to read, one per line"},
    {2, "--scan-interval MS",
     "time before the first listed barcode and between two (default 1000)"},
    {0, nullptr,
     "Each line of the standard input is read as a barcode too. A barcode read outside "
     "configuration is sent with the terminator of the block at the scanner's own settings."},
    {0, nullptr, "On USB and PS/2 the stage ack is the answer to \"end\"."},
    {0, nullptr, "Runs until SIGINT or SIGTERM, then removes its link and sockets."},
    {0, nullptr,
     "7 data bits and even parity look like 8 bits and none on a pseudo-terminal, so the "
     "scanner cannot tell them apart."},
};

constexpr std::size_t kUsageWidth = 92;

// The usage in `language`: what the items do is translated, the items stay as they are typed.
void Usage(std::ostream& out, qsp::Language language) {
    out << qsptools::ToolText(language, "Usage") << ": qsp-scanner-sim ["
        << qsptools::ToolText(language, "OPTIONS") << "]\n";
    for (const UsageLine& line : kUsage) {
        const auto tokens = qsptools::Tokens(qsptools::ToolText(language, line.text));
        if (!line.item) {
            out << qsptools::Wrapped("", tokens, 0, kUsageWidth) << "\n";
            continue;
        }
        const std::size_t column = line.indent == 2 ? 22 : 26;
        std::string first = std::string(static_cast<std::size_t>(line.indent), ' ') + line.item;
        first += std::string(first.size() + 2 <= column ? column - first.size() : 1, ' ');
        out << qsptools::Wrapped(first, tokens, column, kUsageWidth) << "\n";
    }
}

bool ParseStage(const std::string& s, qspsim::Stage& stage) {
    if (s == "link")
        stage = qspsim::Stage::Link;
    else if (s == "ack")
        stage = qspsim::Stage::Ack;
    else if (s == "read")
        stage = qspsim::Stage::Read;
    else if (s == "write")
        stage = qspsim::Stage::Write;
    else if (s == "any" || s.empty())
        stage = qspsim::Stage::Any;
    else
        return false;
    return true;
}

bool ParseFault(const std::string& text, qspsim::Faults& f) {
    const auto eq = text.find('=');
    const std::string name = text.substr(0, eq);
    const std::string value = eq == std::string::npos ? "" : text.substr(eq + 1);
    try {
        if (name == "no-answer") return ParseStage(value, f.noAnswer);
        if (name == "late") {
            const auto colon = value.find(':');
            const std::string stage = colon == std::string::npos ? "" : value.substr(0, colon);
            const std::string ms = colon == std::string::npos ? value : value.substr(colon + 1);
            f.lateBy = std::chrono::milliseconds(std::stol(ms));
            return ParseStage(stage, f.late);
        }
        if (name == "corrupt") {
            f.corruptLimit = value.empty() ? 0 : std::stoi(value);
            return f.corruptRead = f.corruptLimit >= 0;
        }
        if (name == "split") return f.splitReplies = true;
        if (name == "short") return f.shortRead = true;
        if (name == "nak") return f.nakWrite = true;
        if (name == "close-after") {
            f.closeAfter = std::stol(value);
            return f.closeAfter >= 0;
        }
    } catch (const std::exception&) {
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    int port = 1;
    std::filesystem::path dir;
    int baud = 9600;
    char parity = 'N';
    int data = 8;
    int stop = 1;
    std::string logPath;
    std::string imagePath;
    std::string savePath;
    bool serialGiven = false;
    bool serialOnly = false;
    qspsim::Faults faults;
    qspsim::UpdateOptions update;
    qspsim::ScanFeed scans;
    std::vector<std::string> args(argv + 1, argv + argc);
    const qsp::Language language = qsptools::LocaleLanguage();
    const auto complain = [language](const std::string& english,
                                     const std::vector<std::string>& fill = {}) {
        std::cerr << "qsp-scanner-sim: " << qsptools::Say(language, english, fill) << "\n";
    };
    try {
        for (std::size_t i = 0; i < args.size(); ++i) {
            const std::string& a = args[i];
            auto value = [&]() -> std::string {
                if (i + 1 >= args.size()) throw WrongArgument{{"%1 needs a value", {a}}};
                return args[++i];
            };
            auto number = [&]() -> int {
                const std::string v = value();
                try {
                    return std::stoi(v);
                } catch (const std::exception&) {
                    throw WrongArgument{{"%1: not a number: %2", {a, v}}};
                }
            };
            if (a == "--help" || a == "-h") {
                Usage(std::cout, language);
                return 0;
            } else if (a == "--port") {
                port = number();
            } else if (a == "--settings-dir") {
                dir = value();
            } else if (a == "--image") {
                imagePath = value();
            } else if (a == "--save") {
                savePath = value();
            } else if (a == "--serial-only") {
                serialOnly = true;
            } else if (a == "--baud") {
                baud = number();
                serialGiven = true;
            } else if (a == "--parity") {
                const std::string p = value();
                if (p.size() != 1 || std::string("NEOSM").find(p[0]) == std::string::npos) {
                    throw WrongArgument{{"parity must be N, E, O, S or M", {}}};
                }
                parity = p[0];
                serialGiven = true;
            } else if (a == "--data") {
                data = number();
                if (data != 7 && data != 8) throw WrongArgument{{"data bits must be 7 or 8", {}}};
                serialGiven = true;
            } else if (a == "--stop") {
                stop = number();
                if (stop != 1 && stop != 2) throw WrongArgument{{"stop bits must be 1 or 2", {}}};
                serialGiven = true;
            } else if (a == "--log") {
                logPath = value();
            } else if (a == "--scan") {
                scans.AddList(value());
            } else if (a == "--scan-file") {
                const std::string file = value();
                if (!scans.AddFile(file)) throw WrongArgument{{"cannot read %1", {file}}};
            } else if (a == "--scan-interval") {
                const int ms = number();
                if (ms < 0) throw WrongArgument{{"the scan interval cannot be negative", {}}};
                scans.SetInterval(std::chrono::milliseconds(ms));
            } else if (a == "--update-out") {
                update.outPath = value();
            } else if (a == "--update-fault") {
                const std::string f = value();
                if (!qspsim::ParseUpdateFault(f, update))
                    throw WrongArgument{{"unknown update fault %1", {f}}};
            } else if (a == "--fault") {
                const std::string f = value();
                if (!ParseFault(f, faults)) throw WrongArgument{{"unknown fault %1", {f}}};
            } else {
                throw WrongArgument{{"unknown option %1", {a}}};
            }
        }
        if (port < 1 || port > 99) throw WrongArgument{{"port must be 1 to 99", {}}};
    } catch (const WrongArgument& wrong) {
        complain(wrong.message.english, wrong.message.args);
        return 2;
    }
    if (dir.empty()) dir = qsp::SettingsDirFor(qsp::ExecutableDir());

    std::FILE* log = nullptr;
    if (!logPath.empty()) {
        log = std::fopen(logPath.c_str(), "w");
        if (!log) {
            complain("cannot write %1", {logPath});
            return 1;
        }
    }
    qspsim::Block block = qspsim::FactoryBlock();
    if (!imagePath.empty()) {
        qsp::ImageBytes image{};
        const auto loaded = qsp::LoadParamFile(imagePath, image);
        if (!loaded.ok) {
            std::cerr << "qsp-scanner-sim: " << imagePath << ": "
                      << loaded.Describe(qsp::InterfaceText(language)) << "\n";
            return 1;
        }
        std::copy_n(image.begin(), block.size(), block.begin());
    }
    qspsim::ScannerModel model(block, faults);
    if (serialGiven || imagePath.empty()) model.SetSerial(baud, parity, data, stop);
    qspsim::KtxReceiver ktx(update);
    qspsim::YmodemReceiver ymodem(update);
    model.AddTaker(&ktx);
    model.AddTaker(&ymodem);

    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    std::signal(SIGHUP, OnSignal);
    std::signal(SIGPIPE, SIG_IGN);
    // The saved file follows the block: a host that programs the scanner finds it there even
    // when the scanner is ended without a chance to write (SIGKILL).
    qsp::ImageBytes saved{};
    bool savedOnce = false;
    auto save = [&]() -> bool {
        if (savePath.empty()) return true;
        qsp::ImageBytes image{};
        std::copy(model.block().begin(), model.block().end(), image.begin());
        if (savedOnce && image == saved) return true;
        if (!qsp::SaveParamFile(savePath, image)) return false;
        saved = image;
        savedOnce = true;
        return true;
    };
    if (!save()) {
        complain("cannot write %1", {savePath});
        return 1;
    }
    int status = 0;
    {
        qspsim::PtyLine line(model, dir / "ports" / ("COM" + std::to_string(port)), log);
        // The keyboard-wedge links on the same block, ready before the serial link appears.
        qspsim::UsbWedgeModel usbModel(model.block(), faults);
        qspsim::Ps2WedgeModel ps2Model(model.block(), faults);
        qspsim::WedgeSocket usb(usbModel, dir / "ports" / "USB", "USB", log);
        qspsim::WedgeSocket ps2(ps2Model, dir / "ports" / "PS2", "PS2", log);
        if (!serialOnly) {
            line.AddClient(&usb);
            line.AddClient(&ps2);
        }
        qsptools::ToolMessage error;
        if ((!serialOnly && (!usb.Start(error) || !ps2.Start(error))) || !line.Start(error)) {
            complain(error.english, error.args);
            status = 1;
        } else {
            std::cout << "COM" << port << " -> " << line.SlaveName() << "\n" << std::flush;
            scans.WatchInput(0);
            const auto started = std::chrono::steady_clock::now();
            line.SetTick([&](const qspsim::LineView& host) {
                const auto now = std::chrono::duration_cast<qspsim::Micros>(
                    std::chrono::steady_clock::now() - started);
                for (const std::string& code : scans.Due(now))
                    model.Scan(code, host);
                if (!save()) {
                    complain("cannot write %1", {savePath});
                    status = 1;
                }
            });
            line.Run(gStop);
        }
    }
    if (log) std::fclose(log);
    if (!save()) {
        complain("cannot write %1", {savePath});
        status = 1;
    }
    return status;
}
