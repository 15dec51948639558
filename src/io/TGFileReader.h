#pragma once

#include <cstddef>
#include <string>

namespace grovewright {

// Base of the text file readers: loads a whole UTF-8 file into one string with
// every line break (LF, CR LF or CR) removed, so lines are joined without
// separators.
class TGFileReader {
public:
    // Files above this size are refused, so a stray huge file cannot exhaust memory.
    static constexpr std::size_t kMaxFileSize = 64u << 20;

    TGFileReader() = default;
    TGFileReader(const TGFileReader&) = delete;
    TGFileReader& operator=(const TGFileReader&) = delete;
    virtual ~TGFileReader() = default;

    void SetFileName(const std::string& name) { fileName_ = name; }
    const std::string& GetFileName() const { return fileName_; }

    // Loads the named file; false when no name is set or LoadContent fails.
    virtual bool Open();
    // Releases the file; the content stays until the next successful load.
    virtual void Close() { open_ = false; }

    bool IsOpen() const { return open_; }
    const std::string& Content() const { return content_; }
    // One line naming the file and the problem of the last failed load.
    const std::string& LastError() const { return lastError_; }

protected:
    // Reads the file. False, with the old content kept, when it cannot be read,
    // is not a regular file, is larger than kMaxFileSize or is not valid UTF-8.
    // Protected so that a subclass holding views into the content sees every reload.
    bool LoadContent();

private:
    bool Fail(const std::string& what, int error);

    std::string fileName_;
    std::string content_;
    std::string lastError_;
    bool open_ = false;
};

}  // namespace grovewright
