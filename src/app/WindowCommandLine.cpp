#include "app/WindowCommandLine.h"

#include <CLI/CLI.hpp>
#include <ostream>

#include "cli/HelpFormatter.h"
#include "io/ProgramVersion.h"

namespace grovewright {

std::optional<int> AnswerWithoutWindow(int argc, char** argv, std::ostream& out, std::ostream& err) {
    CLI::App app{"Grovewright: design 3D trees procedurally. Opens the window, and the project file when one is "
                 "given. The toolkit's own options (--display=DISPLAY) are taken too.",
                 "grovewright"};
    app.formatter(std::make_shared<HelpFormatter>());
    app.set_version_flag("--version", kProgramVersion);
    std::string file;
    app.add_option("FILE", file, "Project file (.xml) to open");
    // The toolkit's options and any second file are judged once the toolkit has taken its own.
    app.allow_extras();
    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) {
        return app.exit(e, out, err);
    } catch (const CLI::ParseError& e) {
        err << "grovewright: " << e.what() << " (see --help)\n";
        return kWindowUsageError;
    }
    return std::nullopt;
}

bool ProjectToOpen(const std::vector<std::string>& arguments, std::string& file, std::string& error) {
    file.clear();
    for (const std::string& argument : arguments) {
        if (argument.size() > 1 && argument[0] == '-') {
            error = "unknown option " + argument + " (see --help)";
            return false;
        }
        if (!file.empty()) {
            error = "give one project file, not " + file + " and " + argument;
            return false;
        }
        file = argument;
    }
    return true;
}

}  // namespace grovewright
