#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "io/FileNaming.h"

namespace grovewright {

// Base of every text file writer (project, DXF, DirectX). Strings are UTF-8 and
// written as they are; WriteLine appends "\n".
//
// The file is written to an unnamed file in the target's folder (a hidden
// temporary where the file system has no unnamed files) and takes the target's
// name only when Close() finds that every byte was written, flushed and closed
// without error. A failed save or export therefore never truncates or destroys
// the file that was there before, and the failure is reported by Close() (and
// LastError()) instead of being taken for success; a process killed while
// writing leaves no file behind. A symbolic link stays a link: the file it
// points to is written, and created when it does not exist yet.
class TGFileWriter {
public:
    // defaultExtension without the dot, for example "xml"; empty to keep names as given.
    explicit TGFileWriter(std::string defaultExtension);
    TGFileWriter(const TGFileWriter&) = delete;
    TGFileWriter& operator=(const TGFileWriter&) = delete;
    // Drops a file that is still open, as Abort() does: only an explicit,
    // successful Close() replaces the target.
    virtual ~TGFileWriter();

    // Stores WithExtension(name, DefaultExtension()).
    void SetFileName(const std::string& name);
    // The name with "." + extension appended unless the text after its last "."
    // already equals the extension, ignoring case; the name as it is for no extension.
    static std::string WithExtension(const std::string& name, const std::string& extension);
    // The stored name after the extension fix; empty before SetFileName.
    std::string GetFileName() const { return fileName_; }
    const std::string& DefaultExtension() const { return defaultExtension_; }

    // Opens the named file unless it is open already; returns whether it is open.
    // False when no name is set or the file cannot be created.
    virtual bool Open();
    // Finishes the file and puts it in place: Finish() then Commit(). Returns
    // false, keeps whatever was at the target before and sets LastError() when
    // anything failed since Open(). Closing when nothing is open does nothing
    // and returns true.
    virtual bool Close();
    // The two halves of Close, for files that are put in place together (see
    // FileSet): Finish writes out and flushes every byte, keeping the file
    // unnamed (false, the file dropped, on failure); Commit then gives it the
    // target's name.
    bool Finish();
    // While a NamingGroup exists, the finished file goes to it unnamed.
    bool Commit();
    // Finishes the file and lets go of it unnamed, for a set named together
    // (see FileNaming.h); an empty file when it could not be finished.
    UnnamedFile Release();
    // Drops what was written since Open(): the temporary file goes, the target
    // stays as it was (a cancelled export).
    void Abort();

    // Both do nothing while the file is not open.
    void Write(std::string_view text);
    void WriteLine(std::string_view text);
    // Writes bytes at offset, apart from what Write buffers (a file is written one
    // way or the other); several threads may write their own ranges at once. The
    // disk starts on the range at once, without waiting for it, so a large file
    // goes out while the rest is still being made. A failure is reported by Close().
    void WriteAt(std::uint64_t offset, std::string_view bytes);

    bool IsOpen() const { return fd_ >= 0; }
    // One line naming the file and the problem of the last failed Open or Close.
    const std::string& LastError() const { return lastError_; }

protected:
    // Direct access to the output buffer for writers that format numbers in place:
    // Reserve returns room for at least size bytes (null while the file is not
    // open or has failed); Commit takes the bytes up to end.
    char* Reserve(std::size_t size);
    void Commit(const char* end) { used_ = static_cast<std::size_t>(end - buffer_.get()); }

    // Writes raw bytes to the open file descriptor; returns false on failure with
    // errno set. Replaceable so tests can inject write failures.
    virtual bool WriteBytes(int fd, const char* data, std::size_t size);

private:
    bool Flush();
    void Fail(const std::string& what, int error);
    void DiscardTemporary();
    // The temporary file is renamed or removed: no longer ours to clean up.
    void ForgetTemporary();

    std::string fileName_;
    std::string defaultExtension_;
    std::string targetName_;  // the file replaced on Close: fileName_, or the file its link points to
    std::string temporaryName_;  // the named temporary, while there is one
    std::unique_ptr<char[]> buffer_;
    std::size_t used_ = 0;
    std::string lastError_;
    int fd_ = -1;
    int cleanupSlot_ = -1;  // the temporary file's entry for removal on a signal
    bool failed_ = false;
    bool finished_ = false;  // Finish() succeeded; Commit() comes next
    std::atomic<int> positionalError_{0};  // the errno of WriteAt's first failure
};

// Drops the writer's file unless it was closed by then: an exception that
// unwinds the writing (memory exhausted, say) leaves the target as it was and
// the writer ready for the next file.
class AbortUnlessClosed {
public:
    explicit AbortUnlessClosed(TGFileWriter& writer) : writer_(writer) {}
    AbortUnlessClosed(const AbortUnlessClosed&) = delete;
    AbortUnlessClosed& operator=(const AbortUnlessClosed&) = delete;
    ~AbortUnlessClosed() { writer_.Abort(); }

private:
    TGFileWriter& writer_;
};

}  // namespace grovewright
