#pragma once

namespace grovewright {

// Temporary files that writers are filling are removed when the process is
// ended by SIGINT, SIGTERM or SIGHUP: an interrupted export leaves the previous
// file as it was and no half-written copy beside it.

// Installs the handlers; the process then ends as the signal would have ended it.
void RemoveTemporaryFilesOnSignals();

// A temporary file being written; returns the slot to release, or -1 when the
// path is too long or every slot is taken (the file is then not removed).
int RegisterTemporaryFile(const char* path);
void ReleaseTemporaryFile(int slot);

}  // namespace grovewright
