// qspctl: the command-line tool on QSP's core, for scripts and for programming many scanners.

#include <algorithm>
#include <iostream>

#include "base/app_paths.h"
#include "cli.h"

namespace qspctl {

std::vector<Command>& Commands() {
    static std::vector<Command> commands;
    return commands;
}

std::string Args::TakeOption(const std::string& name, const std::string& alias) {
    for (std::size_t i = 0; i < args_.size(); ++i) {
        if (args_[i] == name || (!alias.empty() && args_[i] == alias)) {
            if (i + 1 >= args_.size()) throw UsageError{args_[i] + " needs a value"};
            std::string value = args_[i + 1];
            args_.erase(args_.begin() + static_cast<long>(i),
                        args_.begin() + static_cast<long>(i) + 2);
            return value;
        }
        if (args_[i].rfind(name + "=", 0) == 0) {
            std::string value = args_[i].substr(name.size() + 1);
            args_.erase(args_.begin() + static_cast<long>(i));
            return value;
        }
    }
    return {};
}

bool Args::TakeFlag(const std::string& name) {
    auto it = std::find(args_.begin(), args_.end(), name);
    if (it == args_.end()) return false;
    args_.erase(it);
    return true;
}

std::vector<std::string> Args::Positionals() const {
    for (const auto& a : args_) {
        if (a.size() > 1 && a[0] == '-') throw UsageError{"unknown option " + a};
    }
    return args_;
}

}  // namespace qspctl

namespace {

void PrintHelp(std::ostream& out) {
    out << "Usage: qspctl [--settings-dir DIR] COMMAND [ARGS...]\n"
           "Sets up a QSP barcode scanner from the command line.\n\n"
           "Commands:\n";
    auto commands = qspctl::Commands();
    std::sort(commands.begin(), commands.end(),
              [](const auto& a, const auto& b) { return a.name < b.name; });
    for (const auto& c : commands)
        out << "  " << c.synopsis << "\n";
    out << "\nOptions:\n"
           "  --settings-dir DIR  folder of HW_Path.int and ports/ (default: the program's)\n"
           "  --help              this text\n"
           "  --version           the version\n"
           "\nExit status: 0 on success, 1 when an operation fails, 2 for a wrong command line.\n";
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    qspctl::CliContext ctx;
    try {
        // Global options stand before the command.
        std::string dir;
        std::size_t first = 0;
        while (first < args.size() && args[first].rfind("--settings-dir", 0) == 0) {
            if (args[first] == "--settings-dir") {
                if (first + 1 >= args.size())
                    throw qspctl::UsageError{"--settings-dir needs a value"};
                dir = args[first + 1];
                first += 2;
            } else if (args[first].rfind("--settings-dir=", 0) == 0) {
                dir = args[first].substr(15);
                first += 1;
            } else {
                break;
            }
        }
        if (first >= args.size() || args[first] == "--help" || args[first] == "-h" ||
            args[first] == "help") {
            PrintHelp(std::cout);
            return 0;
        }
        if (args[first] == "--version") {
            std::cout << "qspctl " << QSP_VERSION << "\n";
            return 0;
        }
        const std::string name = args[first];
        ctx.args.assign(args.begin() + static_cast<long>(first) + 1, args.end());
        ctx.settingsDir =
            dir.empty() ? qsp::SettingsDirFor(qsp::ExecutableDir()) : std::filesystem::path(dir);
        for (const auto& c : qspctl::Commands()) {
            if (c.name != name) continue;
            // "qspctl COMMAND --help" shows that command's usage.
            for (const auto& a : ctx.args) {
                if (a == "--help" || a == "-h") {
                    std::cout << "Usage: qspctl [--settings-dir DIR] " << c.synopsis << "\n";
                    return 0;
                }
            }
            return c.run(ctx);
        }
        throw qspctl::UsageError{"unknown command '" + name + "' (see --help)"};
    } catch (const qspctl::UsageError& e) {
        std::cerr << "qspctl: " << e.message << "\n";
        return 2;
    } catch (const qspctl::Failure& e) {
        std::cerr << "qspctl: " << e.message << "\n";
        return 1;
    }
}
