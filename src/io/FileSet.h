#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "io/TGFileWriter.h"

namespace grovewright {

// Files that belong together (a model and its material file, buffer and
// images) written as one: each is written unnamed through its own safe writer,
// and only when every one is complete do they all take their names, the main
// file last, as NameTogether names them (safe against a kill). A failure or a
// cancel leaves every target as it was; files never committed are dropped.
class FileSet {
public:
    FileSet() = default;
    FileSet(const FileSet&) = delete;
    FileSet& operator=(const FileSet&) = delete;

    // A writer for path, opened; null with Error() set when it cannot be opened.
    // Files are committed in the order they were added: add the main file last.
    TGFileWriter* Add(const std::string& path);
    // Adds path with these bytes; false with Error() set when it cannot be opened.
    bool Add(const std::string& path, std::string_view bytes);
    // Finishes every file, then names them all; false with Error() set, and no
    // target changed, when one could not be finished.
    bool Commit();
    const std::string& Error() const { return error_; }

private:
    bool Failed(const TGFileWriter& writer, const std::string& path);

    std::vector<std::unique_ptr<TGFileWriter>> writers_;
    std::string error_;
};

}  // namespace grovewright
