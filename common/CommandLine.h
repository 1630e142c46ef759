#pragma once

#include <CLI/App.hpp>

#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace plotwise {

// A program's or command's words read with CLI11 the way every Plotwise command line reads them:
// an option as NAME VALUE or --NAME=VALUE (values may be negative numbers: --window -2 2 -2 2),
// the last of a repeated option winning, and every other word kept in order, so that the words
// of an unquoted expression ("-x^2", "r", "=", "1") arrive as typed. After "--" no word is an
// option; before it, an unknown "--word" is a mistake.
class CommandLine {
public:
    enum class Outcome { Parsed, Help, UsageError };

    explicit CommandLine(std::string name);

    CLI::App& app() { return app_; }
    // Called as each option is read, in the order given; CLI::App::remaining_size() then tells
    // how many other words came before it.
    void setOnOption(std::function<void()> hook) { onOption_ = std::move(hook); }

    // --NAME, no value.
    CLI::Option* flag(const std::string& names, bool& into);
    // NAME VALUE, the last one given winning; `needs` completes "NAME needs ..." when the value is
    // missing.
    CLI::Option* option(const std::string& names, std::string& into, const std::string& needs);
    // NAME VALUE, repeatable: every value in order.
    CLI::Option* repeated(const std::string& names, std::vector<std::string>& into,
                          const std::string& needs);
    // NAME V1 ... Vcount: the words after NAME, whatever they look like (-inf, -.5).
    CLI::Option* values(const std::string& names, std::vector<std::string>& into, int count,
                        const std::string& needs);

    Outcome parse(std::span<const std::string> arguments);

    // For UsageError: one line saying what was wrong.
    const std::string& error() const { return error_; }
    // The words no option took, in order, "--" left out; `taken` (indices into remaining())
    // are left out too.
    std::vector<std::string> words(const std::vector<std::size_t>& taken = {}) const;
    // Those words with the first "--" still among them: the indices CLI::App::remaining_size()
    // reports while parsing point into this list.
    const std::vector<std::string>& remaining() const { return remaining_; }
    bool optionsEnded() const { return optionsEnded_; }

private:
    void parsedOption();

    CLI::App app_;
    std::function<void()> onOption_;
    std::string error_;
    std::vector<std::string> remaining_;
    bool optionsEnded_ = false;
};

}  // namespace plotwise
