// CLI11's parse errors in the command line's language, told by their kind with the option they
// name.

#include "cli.h"

namespace qspctl {
namespace {

// The text between `before` and `after` in `message` (to its end when `after` is empty), or an
// empty text when `before` is not there.
std::string Between(const std::string& message, const std::string& before,
                    const std::string& after = {}) {
    const auto start = message.find(before);
    if (start == std::string::npos) return {};
    const auto from = start + before.size();
    const auto end = after.empty() ? std::string::npos : message.find(after, from);
    return message.substr(from, end == std::string::npos ? std::string::npos : end - from);
}

// The leading option or argument name of a CLI11 message ("--page: ...", "FILE.Dec is ...").
std::string LeadingName(const std::string& message) {
    const auto end = message.find_first_of(": ");
    return message.substr(0, end);
}

template <typename Kind>
bool Is(const CLI::ParseError& error) {
    return dynamic_cast<const Kind*>(&error) != nullptr;
}

}  // namespace

std::string ParseErrorText(const CLI::ParseError& error, const CLI::App& app,
                           qsp::Language language) {
    const std::string message = error.what();
    if (Is<CLI::RequiredError>(error) && message.find(" is required") != std::string::npos)
        return qsptools::Say(language, "%1 is required", {Between(message, "", " is required")});
    if (Is<CLI::ExtrasError>(error))
        return qsptools::Say(language, "unexpected arguments: %1", {Between(message, ": ")});
    if (Is<CLI::RequiresError>(error)) {
        return qsptools::Say(language, "%1 needs %2",
                             {Between(message, "", " requires "), Between(message, " requires ")});
    }
    if (Is<CLI::ExcludesError>(error)) {
        return qsptools::Say(language, "%1 cannot go with %2",
                             {Between(message, "", " excludes "), Between(message, " excludes ")});
    }
    if (Is<CLI::ArgumentMismatch>(error)) {
        std::string name = Between(message, " arguments to ", ",");
        if (name.empty()) name = LeadingName(message);
        return qsptools::Say(language, "%1: wrong number of values", {name});
    }
    if (Is<CLI::ConversionError>(error) || Is<CLI::ValidationError>(error)) {
        std::string name = Between(message, "Could not convert: ", " = ");
        if (name.empty()) name = Between(message, " is not an allowed value for ");
        if (name.empty()) name = LeadingName(message);
        // The values an option takes, where its type name lists them ("en|zh_TW|ja|zh_CN").
        const CLI::Option* option = nullptr;
        for (const CLI::App* command : app.get_subcommands())
            if (!option) option = command->get_option_no_throw(name);
        if (!option) option = app.get_option_no_throw(name);
        if (option && option->get_type_name().find('|') != std::string::npos)
            return qsptools::Say(language, "%1 takes one of %2", {name, option->get_type_name()});
        return qsptools::Say(language, "%1: this value is not accepted (see --help)", {name});
    }
    return qsptools::Say(language, "wrong command line: %1", {message});
}

}  // namespace qspctl
