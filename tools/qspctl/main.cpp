// qspctl: the command-line tool on QSP's core, for scripts and for programming many scanners.

#include <algorithm>
#include <iostream>
#include <sstream>

#include "base/app_paths.h"
#include "base/interface_text.h"
#include "base/text_ids.h"
#include "cli.h"
#include "link/batch_link.h"
#include "workbench/param_file.h"

namespace qspctl {

std::vector<Command>& Commands() {
    static std::vector<Command> commands;
    return commands;
}

std::vector<CommandOptions>& OptionExtensions() {
    static std::vector<CommandOptions> extensions;
    return extensions;
}

std::string Say(qsp::Language language, int id, const std::vector<std::string>& args) {
    return qsp::FillText(qsp::InterfaceText(language).LoadText(id), args);
}

qsp::ImageBytes LoadParamFileOrFail(const std::string& file, qsp::Language language) {
    qsp::ImageBytes image{};
    const auto loaded = qsp::LoadParamFile(file, image);
    if (!loaded.ok) {
        const qsp::InterfaceText text(language);
        throw Failure{file + ": " + text.LoadText(157) + " " + loaded.Describe(text)};
    }
    return image;
}

CLI::Option* AddLinkOption(CLI::App& command, int& interface, bool required) {
    return command
        .add_option_function<std::string>(
            "--link", [&interface](const std::string& name) { interface = qsp::LinkNumber(name); },
            "the scanner's host link")
        ->type_name("rs232|usb|ps2")
        ->check(CLI::IsMember({"rs232", "usb", "ps2"}).description(""))
        ->required(required);
}

namespace {

constexpr std::size_t kColumn = 28;  // where descriptions start
constexpr std::size_t kWidth = 96;   // the widest line

// Tokens laid out in lines of at most kWidth columns; continuation lines start at kColumn.
std::string Wrapped(const std::string& first, const std::vector<qsptools::Token>& tokens) {
    return qsptools::Wrapped(first, tokens, kColumn, kWidth);
}

// One item of a command's synopsis, generated from its CLI11 definition: "FILE.Dec",
// "[--page N]", "-o OUT.txt", "[--port N[,N...]]...".
std::string SynopsisItem(const CLI::Option* opt) {
    std::string item;
    if (opt->get_positional()) {
        item = opt->get_name();
    } else {
        const auto& shorts = opt->get_snames();
        item = shorts.empty() ? "--" + opt->get_lnames().front() : "-" + shorts.front();
        if (!opt->get_type_name().empty()) item += " " + opt->get_type_name();
    }
    const bool repeats =
        !opt->get_positional() && opt->get_expected_max() > 1 && !opt->get_type_name().empty();
    if (!opt->get_required()) item = "[" + item + "]";
    if (repeats) item += "...";
    return item;
}

// --help in the command line's language: the descriptions and labels are looked up in qspctl's
// text tables; names, options and their values stay as they are typed.
class HelpFormatter : public CLI::Formatter {
public:
    explicit HelpFormatter(qsp::Language language) : language_(language) {
        for (const char* word :
             {"Usage", "OPTIONS", "REQUIRED", "Positionals", "Commands", "Excludes", "Needs"})
            label(word, T(word));
        label("Subcommands", T("Commands"));
    }
    std::string make_usage(const CLI::App* app, std::string name) const override {
        if (app->get_parent() != nullptr)
            return CLI::Formatter::make_usage(app, "qspctl " + std::move(name));
        return T("Usage") + ": qspctl [--settings-dir DIR] " + T("COMMAND") + " [" + T("ARGS") +
               "...]\n";
    }
    std::string make_description(const CLI::App* app) const override {
        return T(app->get_description()) + "\n";
    }
    std::string make_footer(const CLI::App* app) const override {
        return app->get_footer().empty() ? std::string() : T(app->get_footer()) + "\n";
    }
    std::string make_option_desc(const CLI::Option* opt) const override {
        return T(opt->get_description());
    }
    // Each command as its generated synopsis, then what it does.
    std::string make_subcommand(const CLI::App* sub) const override {
        std::vector<qsptools::Token> items;
        for (const CLI::Option* opt : sub->get_options()) {
            if (opt == sub->get_help_ptr()) continue;
            items.push_back({SynopsisItem(opt)});
        }
        std::string synopsis = Wrapped("  " + sub->get_name(), items);
        synopsis +=
            "\n" + Wrapped(std::string(kColumn, ' '), qsptools::Tokens(T(sub->get_description())));
        return synopsis + "\n";
    }
    // Options by their long name only ("--help", not "-h,--help").
    std::string make_option_name(const CLI::Option* opt, bool positional) const override {
        if (positional || opt->get_lnames().empty())
            return CLI::Formatter::make_option_name(opt, positional);
        return "--" + opt->get_lnames().front();
    }

private:
    std::string T(const std::string& english) const {
        return qsptools::ToolText(language_, english);
    }
    qsp::Language language_;
};

// "qspctl help" is "qspctl --help": the word stands where the command would.
void HelpWordToFlag(std::vector<std::string>& args) {
    std::size_t i = 0;
    while (i < args.size() && args[i].rfind("--settings-dir", 0) == 0)
        i += args[i] == "--settings-dir" ? 2 : 1;
    if (i < args.size() && args[i] == "help") args[i] = "--help";
}

// A word where the command stands that names no command.
void CheckCommandWord(const std::vector<std::string>& args) {
    std::size_t i = 0;
    while (i < args.size() && args[i].rfind("--settings-dir", 0) == 0)
        i += args[i] == "--settings-dir" ? 2 : 1;
    if (i >= args.size() || args[i].rfind("-", 0) == 0) return;
    for (const auto& c : Commands()) {
        if (c.name == args[i]) return;
    }
    throw UsageError{Say(CommandLineLanguage(args), qsp::kTextUnknownCommand, {args[i]})};
}

}  // namespace

int RunCommandLine(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + std::max(argc, 1));
    CLI::App app("Sets up a QSP barcode scanner from the command line.", "qspctl");
    const qsp::Language language = CommandLineLanguage(args);
    app.formatter(std::make_shared<HelpFormatter>(language));
    app.get_formatter()->column_width(kColumn);
    app.set_help_flag("-h,--help", "this text");
    app.footer("Exit status: 0 on success, 1 when an operation fails, 2 for a wrong command line.");
    app.require_subcommand(0, 1);
    CliContext ctx;
    std::string dir;
    bool version = false;
    app.add_option("--settings-dir", dir,
                   "folder of HW_Path.int and ports/ (default: the program's)")
        ->type_name("DIR");
    app.add_flag("--version", version, "the version");

    auto commands = Commands();
    std::sort(commands.begin(), commands.end(),
              [](const auto& a, const auto& b) { return a.name < b.name; });
    std::vector<std::pair<CLI::App*, CommandRun>> runs;
    for (const auto& c : commands) {
        CLI::App* sub = app.add_subcommand(c.name, c.description);
        sub->group(qsptools::ToolText(language, "Commands"));
        runs.emplace_back(sub, c.define(*sub));
        for (const auto& e : OptionExtensions()) {
            if (std::find(e.commands.begin(), e.commands.end(), c.name) != e.commands.end())
                e.define(*sub, ctx);
        }
        for (CLI::Option* opt : sub->get_options())
            if (opt->get_group() == "Options") opt->group(qsptools::ToolText(language, "Options"));
    }
    for (CLI::Option* opt : app.get_options())
        if (opt->get_group() == "Options") opt->group(qsptools::ToolText(language, "Options"));

    try {
        HelpWordToFlag(args);
        CheckCommandWord(args);
        std::reverse(args.begin(), args.end());  // CLI11 takes the arguments back to front
        try {
            app.parse(args);
        } catch (const CLI::CallForHelp&) {
            // The help of the command given, or of the program.
            CLI::App* shown = &app;
            for (auto& [sub, run] : runs) {
                if (sub->parsed()) shown = sub;
            }
            std::cout << shown->help();
            return 0;
        } catch (const CLI::ParseError& e) {
            throw UsageError{ParseErrorText(e, app, language)};
        }
        if (version) {
            std::cout << "qspctl " << QSP_VERSION << "\n";
            return 0;
        }
        ctx.settingsDir =
            dir.empty() ? qsp::SettingsDirFor(qsp::ExecutableDir()) : std::filesystem::path(dir);
        for (auto& [sub, run] : runs) {
            if (sub->parsed()) return run(ctx);
        }
        std::cout << app.help();
        return 0;
    } catch (const UsageError& e) {
        std::cerr << "qspctl: " << e.message << "\n";
        return 2;
    } catch (const Failure& e) {
        // Each line of a message with several (a profile's errors) is a line of its own.
        std::string lines = e.message;
        for (std::size_t at = lines.find('\n'); at != std::string::npos;
             at = lines.find('\n', at + 1))
            lines.insert(at + 1, "qspctl: ");
        std::cerr << "qspctl: " << lines << "\n";
        return 1;
    }
}

}  // namespace qspctl

int main(int argc, char** argv) {
    return qspctl::RunCommandLine(argc, argv);
}
