#include "app/main_operations.h"

#include <algorithm>

#include "base/text_ids.h"
#include "base/text_number.h"

namespace qsp {

namespace {
constexpr int kTextCannotConnect = 129;
constexpr int kTextUnplug = 128;
constexpr int kTextLoadingScanner = 132;
constexpr int kTextLoading = 133;
constexpr int kTextRefreshing = 134;
constexpr int kTextLoadFailed = 135;
constexpr int kTextConnectTitle = 136;
constexpr int kTextSearching = 137;
constexpr int kTextFound = 138;
}  // namespace

MainOperations::MainOperations(AppState& state, EventPump& pump, MainView& view, MainLock& lock,
                               Prompt& prompt, const InterfaceText& text, ScannerLink& link)
    : state_(state),
      pump_(pump),
      view_(view),
      lock_(lock),
      prompt_(prompt),
      text_(text),
      link_(link) {}

void MainOperations::TakeSerialImage() {
    std::copy_n(state_.RxBuffer.begin() + 1, kScannerBlockSize, state_.ParamImage.begin());
}

void MainOperations::Pause(double scale) {
    const std::int32_t n = RoundHalfEven(NumericValue(state_.Settings.UsbDelay) * scale);
    pump_.RunPasses(static_cast<std::uint64_t>(std::max<std::int64_t>(0, std::int64_t{n} + 1)),
                    nullptr);
}

void MainOperations::CannotConnect(int interface) {
    view_.AddMessage(text_.LoadText(kTextCannotConnect));
    if (busy_ && busy_(interface, state_.Settings.CommPort))
        view_.AddMessage(text_.LoadText(kTextDeviceBusy));
}

void MainOperations::ScannerSetup(const std::function<void()>& openSettingsWindow) {
    const int interface = InterfaceNumber(state_.Settings);
    lock_.LockMainWindow();
    state_.ProgrammedFlag = true;
    view_.AddMessage(text_.LoadText(kTextLoadingScanner));
    pump_.RunOnce();
    if (!link_.ConnectScanner(state_.Settings.CommPort, interface)) {
        CannotConnect(interface);
    } else {
        view_.AddMessage(text_.LoadText(kTextLoading));
        prompt_.Beep();
        if (!link_.ReadParameters(interface)) {
            link_.CloseScannerLink(interface);
            view_.AddMessage(text_.LoadText(kTextLoadFailed));
            prompt_.MessageBox(text_.LoadText(kTextUnplug), text_.LoadText(kTextConnectTitle),
                               PromptIcon::Information, PromptButtons::Ok);
        } else {
            view_.AddMessage(text_.LoadText(kTextRefreshing));
            pump_.RunOnce();
            if (interface == kRs232) TakeSerialImage();
            state_.ProgrammedFlag = false;
            if (openSettingsWindow) openSettingsWindow();
            return;
        }
    }
    if (state_.ProgrammedFlag) lock_.UnlockMainWindow(kButtonSetup);
}

void MainOperations::ScannerTest(const std::function<void()>& openTestWindow) {
    const int interface = InterfaceNumber(state_.Settings);
    lock_.LockMainWindow();
    if (!state_.Settings.TestCount) {
        if (openTestWindow) openTestWindow();
        lock_.UnlockMainWindow(kButtonTest);
        return;
    }
    view_.AddMessage(text_.LoadText(kTextSearching));
    if (!link_.ConnectScanner(state_.Settings.CommPort, interface)) {
        CannotConnect(interface);
    } else {
        view_.AddMessage(text_.LoadText(kTextFound));
        prompt_.Beep();
        if (!link_.ReadParameters(interface)) {
            view_.AddMessage(text_.LoadText(kTextLoadFailed));
            Pause(3000);
            link_.CloseScannerLink(interface);
        } else {
            if (interface == kRs232) TakeSerialImage();
            Pause(5000);
            state_.ProgrammedFlag = false;
            link_.CloseScannerLink(interface);
            if (openTestWindow) openTestWindow();
        }
    }
    lock_.UnlockMainWindow(kButtonTest);
}

}  // namespace qsp
