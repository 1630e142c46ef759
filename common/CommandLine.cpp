#include "common/CommandLine.h"

#include <CLI/CLI.hpp>

#include <algorithm>

namespace plotwise {

CommandLine::CommandLine(std::string name) : app_(std::string(), std::move(name)) {
    // Words that are no option are expression words: kept, never an error of CLI11's.
    app_.allow_extras();
    app_.set_help_flag("--help", "show the usage");
}

// Every option is read on the spot (trigger_on_parse), so that a repeated option replaces the one
// before in the order given, and so that the hook sees each option where it stands.
CLI::Option* CommandLine::flag(const std::string& names, bool& into) {
    return app_
        .add_flag_callback(names,
                           [this, &into] {
                               into = true;
                               parsedOption();
                           })
        ->disable_flag_override()
        ->trigger_on_parse();
}

CLI::Option* CommandLine::option(const std::string& names, std::string& into,
                                 const std::string& needs) {
    return app_
        .add_option_function<std::string>(
            names,
            [this, &into](const std::string& given) {
                into = given;
                parsedOption();
            },
            needs)
        ->trigger_on_parse();
}

CLI::Option* CommandLine::repeated(const std::string& names, std::vector<std::string>& into,
                                   const std::string& needs) {
    return app_
        .add_option_function<std::string>(
            names,
            [this, &into](const std::string& given) {
                into.push_back(given);
                parsedOption();
            },
            needs)
        ->trigger_on_parse();
}

CLI::Option* CommandLine::values(const std::string& names, std::vector<std::string>& into,
                                 int count, const std::string& needs) {
    // One item of `count` words makes CLI11 take them all, whatever they look like.
    return app_
        .add_option_function<std::vector<std::string>>(
            names,
            [this, &into](const std::vector<std::string>& given) {
                into = given;
                parsedOption();
            },
            needs)
        ->type_size(count)
        ->expected(1)
        ->allow_extra_args(false)
        ->trigger_on_parse();
}

void CommandLine::parsedOption() {
    if (onOption_) {
        onOption_();
    }
}

CommandLine::Outcome CommandLine::parse(std::span<const std::string> arguments) {
    // CLI11 takes the words last first.
    std::vector<std::string> reversed;
    bool ended = false;
    for (const std::string& word : arguments) {
        ended = ended || word == "--";
        const auto equals = word.find('=');
        const CLI::Option* option = !ended && word.starts_with("--") && equals != std::string::npos
                                        ? app_.get_option_no_throw(word.substr(0, equals))
                                        : nullptr;
        if (option != nullptr && option->get_expected_max() == 0) {
            // A flag takes no value: "--json=true" is as unknown as "--json=x".
            error_ = "unknown option '" + word + "'";
            return Outcome::UsageError;
        }
        if (option != nullptr && equals + 1 == word.size()) {
            // "--name=" gives an empty value; CLI11 would take the next word instead.
            reversed.push_back(word.substr(0, equals));
            reversed.emplace_back();
        } else {
            reversed.push_back(word);
        }
    }
    std::reverse(reversed.begin(), reversed.end());
    try {
        app_.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        return Outcome::Help;
    } catch (const CLI::ArgumentMismatch& mismatch) {
        // "--window: 4 required TEXT missing" and the like: said as "--window needs ...", in
        // the spelling typed when it was the last word.
        const std::string what = mismatch.what();
        const CLI::Option* option = app_.get_option_no_throw(what.substr(0, what.find(':')));
        const std::string& last = arguments.back();
        const std::string name = option != nullptr && option->check_name(last) ? last
                                 : option != nullptr                           ? option->get_name()
                                                                               : std::string();
        error_ = option != nullptr ? name + " needs " + option->get_description() : what;
        return Outcome::UsageError;
    } catch (const CLI::ParseError& failure) {
        error_ = failure.what();
        return Outcome::UsageError;
    }
    remaining_ = app_.remaining();
    const auto end = std::find(remaining_.begin(), remaining_.end(), "--");
    optionsEnded_ = end != remaining_.end();
    for (auto word = remaining_.begin(); word != end; ++word) {
        if (word->size() > 2 && word->starts_with("--")) {
            error_ = "unknown option '" + *word + "'";
            return Outcome::UsageError;
        }
    }
    return Outcome::Parsed;
}

std::vector<std::string> CommandLine::words(const std::vector<std::size_t>& taken) const {
    std::vector<std::string> result;
    bool markerSkipped = false;
    for (std::size_t i = 0; i < remaining_.size(); ++i) {
        if (!markerSkipped && remaining_[i] == "--") {
            markerSkipped = true;
        } else if (std::find(taken.begin(), taken.end(), i) == taken.end()) {
            result.push_back(remaining_[i]);
        }
    }
    return result;
}

}  // namespace plotwise
