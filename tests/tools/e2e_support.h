#pragma once
// What the end-to-end tests share: shell and qspctl runs, child processes with pipes, parameter
// files and the program's link with its Qt pump and serial port in a settings folder of its own.

#include <signal.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/settings_file.h"
#include "link/program_rig.h"
#include "link/sim_process.h"
#include "scanner_model.h"
#include "workbench/param_file.h"

namespace e2e {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using qsptest::BinDir;
using qsptest::Folder;
using qsptest::Sim;

struct Run {
    int status;
    std::string output;  // standard output and error together
};

inline Run Shell(const std::string& command) {
    Run r{-1, {}};
    FILE* p = ::popen((command + " 2>&1").c_str(), "r");
    if (!p) return r;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;)
        r.output.append(buf, n);
    const int status = ::pclose(p);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

// qspctl run in the settings folder `dir` (relative file names are in it), without a display,
// in the locale `locale` (English unless a test asks for another).
inline Run Qspctl(const fs::path& dir, const std::string& args,
                  const std::string& locale = "C.UTF-8") {
    return Shell("cd '" + dir.string() +
                 "' && env -u DISPLAY -u WAYLAND_DISPLAY -u LC_ALL -u LC_MESSAGES LANG=" + locale +
                 " '" + (BinDir() / "qspctl").string() + "' --settings-dir . " + args);
}

// Whether `text` holds `part`; a failure shows the whole text.
inline ::testing::AssertionResult Has(const std::string& text, const std::string& part) {
    if (text.find(part) != std::string::npos) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "no \"" << part << "\" in:\n" << text;
}

inline std::string ReadText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline qsp::ImageBytes FileImage(const fs::path& file) {
    qsp::ImageBytes image{};
    EXPECT_TRUE(qsp::LoadParamFile(file, image).ok) << file;
    return image;
}

// The virtual scanner's block as a parameter image (bytes 512.. zero).
inline qsp::ImageBytes FactoryImage() {
    qsp::ImageBytes image{};
    const auto block = qspsim::FactoryBlock();
    std::copy(block.begin(), block.end(), image.begin());
    return image;
}

// Bytes 0..511 alike, the check sum the serial write puts into 254 and 255 aside.
inline ::testing::AssertionResult SameBlock(const qsp::ImageBytes& a, const qsp::ImageBytes& b) {
    for (std::size_t i = 0; i < 512; ++i) {
        if (i != 254 && i != 255 && a[i] != b[i])
            return ::testing::AssertionFailure()
                   << "byte " << i << ": " << int(a[i]) << " " << int(b[i]);
    }
    return ::testing::AssertionSuccess();
}

using qsptest::QtApp;

// A child process (found on PATH) with its standard input, and its output and error together;
// ended when the test is done with it.
class Child {
public:
    explicit Child(const std::vector<std::string>& args) {
        QtApp();
        QStringList rest;
        for (std::size_t i = 1; i < args.size(); ++i)
            rest << QString::fromStdString(args[i]);
        process_.setProcessChannelMode(QProcess::MergedChannels);
        process_.start(QString::fromStdString(args[0]), rest);
        process_.waitForStarted(10000);
    }
    ~Child() { Stop(); }
    void Stop() {
        Signal(SIGTERM);
        Wait();
    }
    void Signal(int number) {
        if (Pid() > 0) ::kill(Pid(), number);
    }
    pid_t Pid() const {
        return process_.state() == QProcess::NotRunning ? -1 : pid_t(process_.processId());
    }
    void Write(const std::string& text) {
        process_.write(text.data(), static_cast<qint64>(text.size()));
        ASSERT_TRUE(process_.waitForBytesWritten(10000));
    }
    // Collects output until it holds `text`; false after `limit` or when the output ends first.
    bool ReadUntil(const std::string& text, std::chrono::milliseconds limit = 10s) {
        const auto end = std::chrono::steady_clock::now() + limit;
        for (;;) {
            out += process_.readAll().toStdString();
            if (out.find(text) != std::string::npos) return true;
            closed = process_.state() == QProcess::NotRunning;
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                end - std::chrono::steady_clock::now());
            if (closed || left.count() <= 0) return false;
            process_.waitForReadyRead(static_cast<int>(left.count()));
        }
    }
    // The exit status once it has ended; -1 when it did not end normally.
    int Wait() {
        process_.waitForFinished(-1);
        return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
    }

    std::string out;
    bool closed = false;  // the output has ended: the child is gone

private:
    QProcess process_;
};

using qsptest::ProgramRig;

}  // namespace e2e
