#pragma once

#include <string>
#include <vector>

namespace grovewright {

// A hidden name beside path, in its folder (so that a rename to path stays on
// one file system and is atomic): ".NAME.suffix".
std::string HiddenName(const std::string& path, const std::string& suffix);
// Six characters that differ from call to call and process to process.
std::string UniqueSuffix();

// A finished file that has no name yet: an unnamed file open as a descriptor,
// or, where the file system has none, a named hidden temporary; and the file it
// is to replace. Dropped (closed, its temporary removed) unless it was named.
class UnnamedFile {
public:
    UnnamedFile() = default;
    // Takes over fd (or -1) and the temporary with its entry for removal on a signal (or -1).
    UnnamedFile(int fd, std::string temporary, int cleanupSlot, std::string target);
    UnnamedFile(UnnamedFile&& other) noexcept;
    UnnamedFile& operator=(UnnamedFile&& other) noexcept;
    UnnamedFile(const UnnamedFile&) = delete;
    UnnamedFile& operator=(const UnnamedFile&) = delete;
    ~UnnamedFile();

    const std::string& Target() const { return target_; }
    // Gives the file the name hidden and lets go of it; false with errno set.
    bool LinkAs(const std::string& hidden);

private:
    void Drop();

    int fd_ = -1;
    std::string temporary_;
    int cleanupSlot_ = -1;
    std::string target_;
};

// Puts finished files in place as one set, the main file last: each first
// takes a hidden name beside its target, then all are renamed onto their
// targets. A journal beside the main file lists the names while that happens
// (and the usual termination signals wait), so that a process killed half-way
// leaves either the old set, whose hidden files the next naming of the same set
// removes, or a set the next naming finishes. False with one line in error, and
// no target changed, when a file cannot take its hidden name.
bool NameTogether(std::vector<UnnamedFile>& files, std::string& error);

// Finishes or undoes what a killed naming of the set whose main file is
// mainTarget left behind, as its journal says; nothing when there is none.
void FinishInterruptedNaming(const std::string& mainTarget);

// While one exists, every writer and file set that completes a file hands it
// here instead of naming it, and Commit names them all as one set: a command
// that writes several outputs replaces them all together or none of them.
class NamingGroup {
public:
    NamingGroup();
    NamingGroup(const NamingGroup&) = delete;
    NamingGroup& operator=(const NamingGroup&) = delete;
    // Drops every file not yet named: the targets stay as they were.
    ~NamingGroup();

    // The group files go to; null when there is none.
    static NamingGroup* Active();
    void Add(UnnamedFile file) { files_.push_back(std::move(file)); }
    // Names the files added so far, the last added as the main file.
    bool Commit(std::string& error);

private:
    std::vector<UnnamedFile> files_;
    NamingGroup* outer_;
};

}  // namespace grovewright
