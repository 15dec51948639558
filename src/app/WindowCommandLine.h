#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace grovewright {

// Exit status of a command line the window program refuses.
inline constexpr int kWindowUsageError = 2;

// --help and --version, answered before the toolkit starts, so that they work
// without a display; the exit status then, or nothing when the window should
// open. Other options are left for the toolkit (--display=...).
std::optional<int> AnswerWithoutWindow(int argc, char** argv, std::ostream& out, std::ostream& err);

// The arguments the toolkit left: at most one project file to open. False with
// the reason for an option the toolkit did not take or a second file.
bool ProjectToOpen(const std::vector<std::string>& arguments, std::string& file, std::string& error);

}  // namespace grovewright
