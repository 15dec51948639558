#pragma once

#include <string_view>

namespace grovewright {

// The gallery's example trees: project files of examples/ built into the
// program, so that File > Examples works wherever the program is, with the
// built-in textures each is drawn with.
struct ExampleTree {
    const char* name;      // "oak"
    const char* fileName;  // "oak.regular.xml", in examples/
    int bark;              // built-in bark: 0 Trunc1, 1 Trunc2
    int leaves;            // built-in leaves: 0 Leaves1, 1 Leaves2, 2 Needles
    std::string_view project;  // the file's text
};

inline constexpr int kExampleTreeCount = 8;
// In the gallery's order: oak, birch, spruce, pine, willow, palm, shrub, sapling.
const ExampleTree& ExampleTreeAt(int index);

}  // namespace grovewright
