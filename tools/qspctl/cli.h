#pragma once
// qspctl's commands. Each command lives in its own file (cmd_<name>.cpp) and registers itself with
// QSP_CLI_COMMAND: it declares its arguments and options on its CLI11 subcommand, and returns the
// function that runs it, which calls the core, nothing more.
//
// A file may also add options to commands defined elsewhere with QSP_CLI_OPTIONS, naming the
// commands it extends; the extension stores what it parsed in the CliContext.

#include <CLI/CLI.hpp>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/interface_text.h"
#include "base/param_records.h"
#include "tool_text.h"

namespace qspctl {

// What every command gets when it runs: the global options.
struct CliContext {
    std::filesystem::path settingsDir;  // the program's settings folder (HW_Path.int, ports/)
    qsp::Language language = qsp::Language::Neutral;  // of texts for people (show, list, print)
};

// Thrown for a wrong command line; main prints "qspctl: <what>" and exits with status 2.
struct UsageError {
    std::string message;
};
// Thrown for a failed operation; main prints "qspctl: <what>" and exits with status 1.
struct Failure {
    std::string message;
};

using CommandRun = std::function<int(CliContext&)>;
// Declares the command's arguments and options on `command` and returns what runs it; the
// options' values live in storage the returned function owns (see Options<T> below).
using CommandDefine = std::function<CommandRun(CLI::App& command)>;

struct Command {
    std::string name;
    std::string description;  // one sentence for --help
    CommandDefine define;
};
std::vector<Command>& Commands();

// Options added to other files' commands: `define` runs on each named command after the
// command's own definition.
struct CommandOptions {
    std::vector<std::string> commands;
    std::function<void(CLI::App& command, CliContext& ctx)> define;
};
std::vector<CommandOptions>& OptionExtensions();

struct Registrar {
    Registrar(std::string name, std::string description, CommandDefine define) {
        Commands().push_back({std::move(name), std::move(description), std::move(define)});
    }
    Registrar(std::vector<std::string> commands,
              std::function<void(CLI::App&, CliContext&)> define) {
        OptionExtensions().push_back({std::move(commands), std::move(define)});
    }
};

// Storage for a command's parsed values that outlives the definition.
template <typename T>
std::shared_ptr<T> Options() {
    return std::make_shared<T>();
}

// "--link rs232|usb|ps2", stored as the interface number (left as it is when absent).
CLI::Option* AddLinkOption(CLI::App& command, int& interface, bool required = false);

// The parameter file's image; a file that does not load is a Failure naming the file and why.
// Text `id` of the string table in `language`, its blanks ("%1"..) filled with `args`.
std::string Say(qsp::Language language, int id, const std::vector<std::string>& args = {});

// The language the locale asks for: LC_ALL, LC_MESSAGES, then LANG.
using qsptools::LocaleLanguage;
// The language a --lang value names ("en", "zh_TW", "ja", "zh_CN"), if it names one.
std::optional<qsp::Language> LanguageNamed(const std::string& tag);
// The language of a command line's texts: its --lang, else the locale's.
qsp::Language CommandLineLanguage(const std::vector<std::string>& args);

// A parse error of CLI11 in `language`, by its kind and with the option it names.
std::string ParseErrorText(const CLI::ParseError& error, const CLI::App& app,
                           qsp::Language language);

qsp::ImageBytes LoadParamFileOrFail(const std::string& file,
                                    qsp::Language language = qsp::Language::Neutral);

// Builds the whole command line and runs the chosen command: the exit status.
int RunCommandLine(int argc, char** argv);

}  // namespace qspctl

#define QSP_CLI_CONCAT2(a, b) a##b
#define QSP_CLI_CONCAT(a, b) QSP_CLI_CONCAT2(a, b)
#define QSP_CLI_COMMAND(name, description, define)                                            \
    static ::qspctl::Registrar QSP_CLI_CONCAT(qspctl_registrar_, __LINE__)(name, description, \
                                                                           define)
// QSP_CLI_OPTIONS(define, "show", "list"): `define` adds options to the commands named.
#define QSP_CLI_OPTIONS(define, ...)                                      \
    static ::qspctl::Registrar QSP_CLI_CONCAT(qspctl_options_, __LINE__)( \
        std::vector<std::string>{__VA_ARGS__}, define)
