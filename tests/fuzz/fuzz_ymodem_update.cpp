// The Y-modem firmware update with the receiver's replies played by the fuzzer, from "1" to the
// closing block. Whatever it answers, the update ends (every wait and resend is bounded), leaves
// the program at KTX type, 9600 baud, with the port closed and the window unlocked, and what it
// sends is only ever its own well-formed blocks in order: header blocks, data blocks that each
// repeat or follow the one before, EOTs, and the closing block once the scanner has confirmed.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "base/main_lock.h"
#include "fuzz_support.h"
#include "link/fakes.h"
#include "link/scanner_link.h"
#include "update/firmware_update.h"
#include "update/ymodem.h"

namespace {

constexpr std::size_t kFileSize = 2100;  // two whole blocks and a short one

std::string g_path;
qspfuzz::Bytes g_file;

// Takes a whole `block` at `pos` of `sent`.
bool Match(const qspfuzz::Bytes& sent, std::size_t& pos, const qspfuzz::Bytes& block) {
    if (sent.size() - pos < block.size() ||
        !std::equal(block.begin(), block.end(), sent.begin() + static_cast<long>(pos)))
        return false;
    pos += block.size();
    return true;
}

qspfuzz::Bytes FileBlock(std::size_t k) {  // 1-based
    const std::size_t at = (k - 1) * qsp::kDataBlockSize;
    return qsp::DataBlock(static_cast<std::uint8_t>(k), g_file.data() + at,
                          std::min(qsp::kDataBlockSize, g_file.size() - at));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char dir[] = "/tmp/qsp-fuzz-XXXXXX";
    if (!mkdtemp(dir)) std::abort();
    g_path = std::string(dir) + "/fw.bin";
    g_file.resize(kFileSize);
    for (std::size_t i = 0; i < kFileSize; ++i)
        g_file[i] = static_cast<std::uint8_t>(i * 31 + 7);
    std::ofstream(g_path, std::ios::binary)
        .write(reinterpret_cast<const char*>(g_file.data()), static_cast<long>(g_file.size()));
    static std::string folder = dir;
    std::atexit([] {
        std::remove(g_path.c_str());
        ::rmdir(folder.c_str());
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    qspfuzz::Input input(data, size);
    qsp::VirtualPump pump;
    qsp::AppState state;
    state.Settings = qsp::ParseSettings("");
    state.Settings.BaudRate = "115200";
    qsptest::FakeMainView view;
    qsptest::FakePrompt prompt;
    qsp::InterfaceText text;
    qspfuzz::ScriptedLine line(pump, input);
    qsp::ScannerLink link(state, pump, view, text, line.Factory());
    qsp::MainLock lock(view, pump);
    lock.SetReceivePoll([&] { link.Serial().ReceivePoll(); });
    qsp::FirmwareUpdate update(state, pump, view, lock, prompt, text, link);
    int successes = 0;
    update.SetSuccessWindow([&] { ++successes; });

    update.F4_UpdateSend(g_path);

    FUZZ_CHECK(state.UpdateType == qsp::kUpdateKtx);
    FUZZ_CHECK(state.Settings.BaudRate == "9600");
    FUZZ_CHECK(!link.Serial().PortOpen());
    FUZZ_CHECK(!lock.Locked() && !lock.PollRunning());
    for (const std::string& m : view.messages) {
        for (char c : m)
            FUZZ_CHECK(static_cast<unsigned char>(c) >= 0x20 || c == '\n' || c == '\r' ||
                       c == '\t');
    }

    // What the receiver saw.
    const qspfuzz::Bytes& sent = line.sent;
    std::size_t pos = 0;
    FUZZ_CHECK(sent.empty() || sent[pos++] == '1');
    const qspfuzz::Bytes header = qsp::HeaderBlock("fw.bin", std::to_string(kFileSize));
    int headers = 0;
    while (Match(sent, pos, header))
        ++headers;
    FUZZ_CHECK(headers <= 1 + qsp::FirmwareUpdate::kResendLimit);
    const std::size_t blocks = (kFileSize + qsp::kDataBlockSize - 1) / qsp::kDataBlockSize;
    std::size_t current = 0;
    int sends = 0;
    while (pos < sent.size() && sent[pos] == qsp::kStx) {
        if (current >= 1 && Match(sent, pos, FileBlock(current))) {
            FUZZ_CHECK(++sends <= 1 + qsp::FirmwareUpdate::kResendLimit);
            continue;
        }
        FUZZ_CHECK(current < blocks && headers > 0);
        FUZZ_CHECK(Match(sent, pos, FileBlock(++current)));
        sends = 1;
    }
    int eots = 0;
    while (pos < sent.size() && sent[pos] == qsp::kEot) {
        ++pos;
        FUZZ_CHECK(++eots <= 1 + qsp::FirmwareUpdate::kResendLimit);
    }
    FUZZ_CHECK(eots == 0 || current == blocks);
    const bool closed = Match(sent, pos, qsp::ClosingBlock());
    qspfuzz::Trace("data blocks", static_cast<long>(current));
    qspfuzz::Trace("closed", closed);
    FUZZ_CHECK(pos == sent.size());
    FUZZ_CHECK(!closed || eots > 0);
    FUZZ_CHECK(successes == (closed ? 1 : 0));
    return 0;
}
