#pragma once

#include <string_view>

namespace grovewright {

// The gallery's example trees: project files of examples/ built into the
// program, so that File > Examples works wherever the program is. Each file
// names the generator it shows and the built-in textures it is drawn with.
struct ExampleTree {
    const char* name;      // "oak"
    const char* fileName;  // "oak.regular.xml", in examples/
    std::string_view project;  // the file's text
};

inline constexpr int kExampleTreeCount = 12;
// In the gallery's order: oak, birch, spruce, pine, willow, palm, shrub, sapling, maple, poplar,
// cypress, acacia.
const ExampleTree& ExampleTreeAt(int index);

}  // namespace grovewright
