#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "TestHelpers.h"
#include "io/RecoveryFile.h"

using namespace grovewright;
using grovewright::test::TempFolder;
using grovewright::test::WriteFileBytes;

namespace {

// Sets (or unsets, for nullopt) an environment variable for one scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv() {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

}  // namespace

TEST(RecoveryFile, LivesInTheUsersDataFolder) {
    {
        ScopedEnv data("XDG_DATA_HOME", "/data/home"), home("HOME", "/home/ann");
        EXPECT_EQ(RecoveryFilePath(), "/data/home/grovewright/recovery.xml");
    }
    {
        // Unset, empty or relative: the default under HOME.
        for (std::optional<std::string> value : {std::optional<std::string>(), std::optional<std::string>(""),
                                                 std::optional<std::string>("relative/data")}) {
            ScopedEnv data("XDG_DATA_HOME", value), home("HOME", "/home/ann");
            EXPECT_EQ(RecoveryFilePath(), "/home/ann/.local/share/grovewright/recovery.xml");
        }
    }
    ScopedEnv data("XDG_DATA_HOME", std::nullopt), home("HOME", std::nullopt);
    EXPECT_EQ(RecoveryFilePath(), "");
}

TEST(RecoveryFile, ItsFolderIsCreatedOrTheReasonGiven) {
    TempFolder folder;
    std::string error;
    ASSERT_TRUE(CreateParentFolder(folder.File("a/b/grovewright/recovery.xml"), error)) << error;
    WriteFileBytes(folder.File("a/b/grovewright/recovery.xml"), "kept");
    EXPECT_TRUE(CreateParentFolder(folder.File("a/b/grovewright/recovery.xml"), error));  // already there
    // A file where the folder should be.
    WriteFileBytes(folder.File("blocked"), "a file");
    EXPECT_FALSE(CreateParentFolder(folder.File("blocked/grovewright/recovery.xml"), error));
    EXPECT_NE(error.find("blocked"), std::string::npos) << error;
}
