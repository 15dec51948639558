#include "cli/CommandLine.h"

#include <iostream>

int main(int argc, char** argv) { return grovewright::RunCommandLine(argc, argv, std::cout, std::cerr); }
