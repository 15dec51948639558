#pragma once

#include <cstring>
#include <string>

namespace grovewright {

// "path: what (system reason)", the one line a user sees about a file problem.
inline std::string DescribeFileError(const std::string& path, const std::string& what, int error) {
    std::string message = path + ": " + what;
    if (error != 0) {
        message += " (";
        message += std::strerror(error);
        message += ")";
    }
    return message;
}

}  // namespace grovewright
