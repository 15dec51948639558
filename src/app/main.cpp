#include <cstdio>

// Placeholder start until the design window lands: says what this build offers.
int main() {
    std::puts("Grovewright v2.3.2");
    std::puts("The design window comes in a later version. This build holds the geometry core,");
    std::puts("the project file reader and writer and the DXF and DirectX writers; run the tests");
    std::puts("with: bash scripts/test.sh");
    return 0;
}
