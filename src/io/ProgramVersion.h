#pragma once

namespace grovewright {

// The program and its version, as --version prints it and model files name their maker.
inline constexpr char kProgramVersion[] = "Grovewright v2.3.2";

}  // namespace grovewright
