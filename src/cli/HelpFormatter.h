#pragma once

#include <CLI/CLI.hpp>
#include <cstddef>
#include <sstream>
#include <string>

namespace grovewright {

// CLI11's help with every description wrapped to fit 100 columns: the words of
// an option's description continue under its column, the program's own
// description starts each line at the left.
class HelpFormatter : public CLI::Formatter {
public:
    static constexpr std::size_t kColumns = 100;

    HelpFormatter() { column_width(30); }

    // The text broken at spaces into lines of at most `width` characters (a
    // longer word stands on a line of its own); its own line breaks are kept.
    static std::string Wrap(const std::string& text, std::size_t width) {
        std::string wrapped, line, word;
        auto endLine = [&] {
            wrapped += line;
            line.clear();
        };
        auto putWord = [&] {
            if (word.empty()) return;
            if (!line.empty() && line.size() + 1 + word.size() > width) {
                endLine();
                wrapped += '\n';
            }
            line += (line.empty() ? "" : " ") + word;
            word.clear();
        };
        for (const char c : text) {
            if (c == ' ' || c == '\n') {
                putWord();
                if (c == '\n') {
                    endLine();
                    wrapped += '\n';
                }
            } else {
                word += c;
            }
        }
        putWord();
        endLine();
        return wrapped;
    }

    std::string make_option_desc(const CLI::Option* option) const override {
        return Wrap(CLI::Formatter::make_option_desc(option), kColumns - get_column_width());
    }
    std::string make_subcommand(const CLI::App* command) const override {
        std::stringstream out;
        CLI::detail::format_help(out, command->get_display_name(true),
                                 Wrap(command->get_description(), kColumns - get_column_width()), get_column_width());
        return out.str();
    }
    std::string make_description(const CLI::App* app) const override {
        return Wrap(CLI::Formatter::make_description(app), kColumns);
    }
};

}  // namespace grovewright
