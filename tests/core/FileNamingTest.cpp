// Sets of files put in place together: whole or not at all, even when the
// process is killed while they take their names.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <random>
#include <string>
#include <vector>

#include "TestHelpers.h"
#include "io/FileNaming.h"
#include "io/FileSet.h"
#include "io/TGFileWriter.h"

using namespace grovewright;
using grovewright::test::ListFolder;
using grovewright::test::ReadFileBytes;
using grovewright::test::TempFolder;
using grovewright::test::WriteFileBytes;

namespace {

const std::vector<std::string> kSet = {"tree_bark.png", "tree_leaves.png", "tree.mtl", "tree.obj"};

// Writes the set with every file holding text, as an OBJ export does: side files first, the model last.
bool WriteSet(const TempFolder& folder, const std::string& text) {
    FileSet files;
    for (const std::string& name : kSet)
        if (!files.Add(folder.File(name), text + " " + name)) return false;
    return files.Commit();
}

// Whether every file of the set holds the same generation, and nothing else is in the folder.
void ExpectWholeSet(const TempFolder& folder) {
    std::vector<std::string> expected = kSet, found = ListFolder(folder.Path());
    std::sort(expected.begin(), expected.end());
    std::sort(found.begin(), found.end());
    ASSERT_EQ(found, expected);
    const std::string first = ReadFileBytes(folder.File(kSet[0]));
    const std::string generation = first.substr(0, first.find(' '));
    for (const std::string& name : kSet) EXPECT_EQ(ReadFileBytes(folder.File(name)), generation + " " + name);
}

// A journal as a naming killed in the given state leaves it.
void WriteJournal(const TempFolder& folder, const std::string& state,
                  const std::vector<std::pair<std::string, std::string>>& names) {
    std::string text = state + '\0';
    for (const auto& [hidden, target] : names) text += folder.File(hidden) + '\0' + folder.File(target) + '\0';
    WriteFileBytes(folder.File(".tree.obj.naming"), text);
}

}  // namespace

// (A kill while renaming, whose journal the next naming finishes, is met by the
// killed-at-any-moment test below.)
TEST(FileNaming, AKilledLinkingIsUndoneAndAForeignJournalIsNotFollowed) {
    TempFolder folder;
    ASSERT_TRUE(WriteSet(folder, "1"));
    // Killed before every file had its hidden name: the old set is whole and the hidden files go.
    WriteFileBytes(folder.File(".tree_bark.png.mno345"), "3 tree_bark.png");
    WriteJournal(folder, "linking", {{".tree_bark.png.mno345", "tree_bark.png"}, {".tree.obj.pqr678", "tree.obj"}});
    ASSERT_TRUE(WriteSet(folder, "4"));  // the next export of the set clears up first
    ExpectWholeSet(folder);
    EXPECT_EQ(ReadFileBytes(folder.File("tree.obj")), "4 tree.obj");

    // A journal that names files other than hidden ones beside their targets is not followed.
    WriteFileBytes(folder.File("notes.txt"), "mine");
    WriteJournal(folder, "naming", {{"notes.txt", "tree.obj"}, {"../tree.obj", "tree.mtl"}});
    FinishInterruptedNaming(folder.File("tree.obj"));
    EXPECT_EQ(ReadFileBytes(folder.File("notes.txt")), "mine");
    EXPECT_EQ(ReadFileBytes(folder.File("tree.obj")), "4 tree.obj");
    EXPECT_EQ(ListFolder(folder.Path()).size(), kSet.size() + 1);
}

TEST(FileNaming, AProcessKilledAtAnyMomentLeavesAWholeSet) {
    // A child writes the set again and again, each time a new generation,
    // until it is killed at a random moment; the next naming of the set then
    // finds one whole generation and no hidden file.
    TempFolder folder;
    ASSERT_TRUE(WriteSet(folder, "0"));
    std::mt19937 random(7);
    for (int round = 0; round < 150; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0)
            for (int generation = 1;; ++generation) WriteSet(folder, std::to_string(generation));
        usleep(500 + random() % 8000);
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        FinishInterruptedNaming(folder.File("tree.obj"));
        ExpectWholeSet(folder);
        if (HasFailure()) break;
    }
}

TEST(FileNaming, AGroupPutsEveryOutputInPlaceTogetherOrNone) {
    TempFolder folder;
    WriteFileBytes(folder.File("a.dxf"), "old a");
    auto writeBoth = [&](bool second) {
        TGFileWriter single("");
        single.SetFileName(folder.File("a.dxf"));
        EXPECT_TRUE(single.Open());
        single.Write("new a");
        EXPECT_TRUE(single.Close());
        if (second) {
            EXPECT_TRUE(WriteSet(folder, "new"));
        }
    };
    {
        // Dropped before it was committed (the second output failed): nothing changed.
        NamingGroup group;
        writeBoth(true);
        EXPECT_EQ(ReadFileBytes(folder.File("a.dxf")), "old a");
    }
    EXPECT_EQ(ListFolder(folder.Path()), std::vector<std::string>{"a.dxf"});
    EXPECT_EQ(NamingGroup::Active(), nullptr);
    {
        NamingGroup group;
        writeBoth(true);
        std::string error;
        EXPECT_TRUE(group.Commit(error)) << error;
    }
    EXPECT_EQ(ReadFileBytes(folder.File("a.dxf")), "new a");
    EXPECT_EQ(ReadFileBytes(folder.File("tree.obj")), "new tree.obj");
    EXPECT_EQ(ListFolder(folder.Path()).size(), kSet.size() + 1);
}
