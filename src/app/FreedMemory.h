#pragma once

// Editing a large design frees and allocates the same hundreds of megabytes at
// every step (the meshes, the GL driver's vertex buffers). By default the C
// library hands such blocks back to the system at once, and every step pays for
// fresh pages again. While editing the program keeps freed memory for reuse and
// gives it back once the edits pause.
namespace grovewright {

// From now on, freed memory stays with the program until ReturnFreedMemory.
void KeepFreedMemory();
// Gives the memory freed since back to the system.
void ReturnFreedMemory();

}  // namespace grovewright
