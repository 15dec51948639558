#include "cli/CommandLine.h"

#include <iostream>

#include "io/InterruptCleanup.h"

int main(int argc, char** argv) {
    // Ctrl+C or a kill during an export leaves no half-written file behind.
    grovewright::RemoveTemporaryFilesOnSignals();
    return grovewright::RunCommandLine(argc, argv, std::cout, std::cerr);
}
