#pragma once

#include <iosfwd>

namespace grovewright {

// Exit statuses of grovewright-cli.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;  // unreadable or invalid project, output not written
inline constexpr int kExitUsage = 2;

// The headless tool: "export" writes a project's tree as DXF or DirectX files,
// "info" prints the tree's figures as one JSON object.
int RunCommandLine(int argc, char** argv, std::ostream& out, std::ostream& err);

}  // namespace grovewright
