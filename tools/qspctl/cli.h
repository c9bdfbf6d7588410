#pragma once
// qspctl's commands. Each command lives in its own file and registers itself with
// QSP_CLI_COMMAND; it parses its arguments and calls the core, nothing more.

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace qspctl {

struct CliContext {
    std::vector<std::string> args;      // the command's own arguments
    std::filesystem::path settingsDir;  // the program's settings folder (HW_Path.int, ports/)
};

// Thrown for a wrong command line; main prints "qspctl: <what>" and exits with status 2.
struct UsageError {
    std::string message;
};
// Thrown for a failed operation; main prints "qspctl: <what>" and exits with status 1.
struct Failure {
    std::string message;
};

struct Command {
    std::string name;
    std::string synopsis;  // one line for --help
    std::function<int(CliContext&)> run;
};

std::vector<Command>& Commands();

struct Registrar {
    Registrar(std::string name, std::string synopsis, std::function<int(CliContext&)> run) {
        Commands().push_back({std::move(name), std::move(synopsis), std::move(run)});
    }
};

// Small argument helpers: options may appear anywhere among the command's arguments.
class Args {
public:
    explicit Args(std::vector<std::string> args) : args_(std::move(args)) {}
    // Removes "--name VALUE" (or "-o VALUE" for a short alias) and returns VALUE, or "" if absent.
    std::string TakeOption(const std::string& name, const std::string& alias = "");
    // Removes "--name" and returns whether it was there.
    bool TakeFlag(const std::string& name);
    // The remaining positional arguments; an unknown option left over is a usage error.
    std::vector<std::string> Positionals() const;

private:
    std::vector<std::string> args_;
};

}  // namespace qspctl

#define QSP_CLI_CONCAT2(a, b) a##b
#define QSP_CLI_CONCAT(a, b) QSP_CLI_CONCAT2(a, b)
#define QSP_CLI_COMMAND(name, synopsis, fn) \
    static ::qspctl::Registrar QSP_CLI_CONCAT(qspctl_registrar_, __LINE__)(name, synopsis, fn)
