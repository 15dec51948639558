#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <random>

#include "TestHelpers.h"
#include "io/NumberFormat.h"
#include "io/TGFileReader.h"
#include "io/TGFileWriter.h"
#include "io/Utf8.h"

using namespace grovewright;
using grovewright::test::ListFolder;
using grovewright::test::ReadFileBytes;
using grovewright::test::TempFolder;
using grovewright::test::WriteFileBytes;

namespace {

// A writer whose disk fills up after a number of bytes.
class FailingWriter : public TGFileWriter {
public:
    explicit FailingWriter(std::size_t capacity) : TGFileWriter("xml"), capacity_(capacity) {}

protected:
    bool WriteBytes(int fd, const char* data, std::size_t size) override {
        if (size > capacity_) {
            errno = ENOSPC;
            return false;
        }
        capacity_ -= size;
        return TGFileWriter::WriteBytes(fd, data, size);
    }

private:
    std::size_t capacity_;
};

// A tmpfs mounted on a folder for the length of a test; needs root.
class ScopedTmpfs {
public:
    ScopedTmpfs(const std::string& where, const char* options, unsigned long flags = 0) : where_(where) {
        mounted_ = mount("tmpfs", where.c_str(), "tmpfs", flags, options) == 0;
    }
    ~ScopedTmpfs() {
        if (mounted_) umount(where_.c_str());
    }
    bool Mounted() const { return mounted_; }

private:
    std::string where_;
    bool mounted_ = false;
};

std::string FileName(TGFileWriter& writer, const std::string& name) {
    writer.SetFileName(name);
    return writer.GetFileName();
}

}  // namespace

TEST(TGFileWriterName, ExtensionIsAppendedUnlessPresentIgnoringCase) {
    TGFileWriter writer("xml");
    EXPECT_EQ(FileName(writer, "a.b.XmL"), "a.b.XmL");
    EXPECT_EQ(FileName(writer, "a.b"), "a.b.xml");
    EXPECT_EQ(FileName(writer, "noext"), "noext.xml");
    EXPECT_EQ(FileName(writer, "tree.txt"), "tree.txt.xml");
    EXPECT_EQ(FileName(writer, "tree."), "tree..xml");
    EXPECT_EQ(FileName(writer, "dir.v1/tree"), "dir.v1/tree.xml");
    TGFileWriter x("x");
    EXPECT_EQ(FileName(x, "mesh.X"), "mesh.X");
    EXPECT_EQ(FileName(x, "mesh.xml"), "mesh.xml.x");
}

TEST(TGFileWriterBytes, WritesUtf8AndLineFeeds) {
    TempFolder folder;
    TGFileWriter writer("txt");
    writer.WriteLine("ignored while closed");
    writer.SetFileName(folder.File("out.txt"));
    ASSERT_TRUE(writer.Open());
    EXPECT_TRUE(writer.Open());  // already open: still true, nothing reset
    writer.WriteLine("x");
    writer.Write("\xC3\xA4");  // U+00E4
    writer.Write("");
    writer.WriteLine("");
    ASSERT_TRUE(writer.Close());
    EXPECT_EQ(ReadFileBytes(folder.File("out.txt")), std::string("x\n\xC3\xA4\n"));
    EXPECT_TRUE(writer.Close());  // twice is harmless
    writer.WriteLine("after close");
    EXPECT_EQ(ReadFileBytes(folder.File("out.txt")).size(), 5u);
}

TEST(TGFileWriterBytes, OpenWithoutNameFails) {
    TGFileWriter writer("xml");
    EXPECT_FALSE(writer.Open());
    EXPECT_FALSE(writer.IsOpen());
}

TEST(TGFileWriterSafety, FailedOpenCanBeRetriedWithAnotherName) {
    TempFolder folder;
    TGFileWriter writer("xml");
    writer.SetFileName(folder.File("missing-folder/tree"));
    EXPECT_FALSE(writer.Open());
    EXPECT_NE(writer.LastError().find("missing-folder/tree.xml"), std::string::npos);
    writer.SetFileName(folder.File("tree"));
    ASSERT_TRUE(writer.Open());
    writer.WriteLine("ok");
    EXPECT_TRUE(writer.Close());
    EXPECT_EQ(ReadFileBytes(folder.File("tree.xml")), "ok\n");
}

TEST(TGFileWriterSafety, ReplacesOnlyAfterSuccessAndKeepsNoTemporaryFile) {
    TempFolder folder;
    const std::string target = folder.File("tree.xml");
    WriteFileBytes(target, "old design\n");
    chmod(target.c_str(), 0640);
    TGFileWriter writer("xml");
    writer.SetFileName(target);
    ASSERT_TRUE(writer.Open());
    writer.WriteLine("new design");
    // Until Close the old file is untouched.
    EXPECT_EQ(ReadFileBytes(target), "old design\n");
    ASSERT_TRUE(writer.Close());
    EXPECT_EQ(ReadFileBytes(target), "new design\n");
    EXPECT_EQ(ListFolder(folder.Path()), std::vector<std::string>{"tree.xml"});
    struct stat info;
    ASSERT_EQ(stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);  // the replaced file's permissions are kept
}

TEST(TGFileWriterSafety, SymbolicLinksStayLinks) {
    TempFolder folder;
    ASSERT_EQ(mkdir(folder.File("projects").c_str(), 0755), 0);
    const std::string real = folder.File("projects/tree.xml");
    const std::string link = folder.File("tree.xml");
    WriteFileBytes(real, "old\n");
    ASSERT_EQ(symlink(real.c_str(), link.c_str()), 0);
    TGFileWriter writer("xml");
    writer.SetFileName(link);
    ASSERT_TRUE(writer.Open());
    writer.WriteLine("new");
    ASSERT_TRUE(writer.Close());
    struct stat info;
    ASSERT_EQ(lstat(link.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_EQ(ReadFileBytes(real), "new\n");
    EXPECT_EQ(ListFolder(folder.File("projects")), std::vector<std::string>{"tree.xml"});
}

TEST(TGFileWriterSafety, DanglingLinksAreWrittenThroughAndLoopsRefused) {
    TempFolder folder;
    ASSERT_EQ(mkdir(folder.File("projects").c_str(), 0755), 0);
    // A relative link to a file not made yet: the file is made where it points.
    const std::string link = folder.File("tree.xml");
    ASSERT_EQ(symlink("projects/tree.xml", link.c_str()), 0);
    TGFileWriter writer("xml");
    writer.SetFileName(link);
    ASSERT_TRUE(writer.Open()) << writer.LastError();
    writer.WriteLine("new");
    ASSERT_TRUE(writer.Close()) << writer.LastError();
    struct stat info;
    ASSERT_EQ(lstat(link.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_EQ(ReadFileBytes(folder.File("projects/tree.xml")), "new\n");

    // Two links pointing at each other: a clear refusal, both links kept.
    ASSERT_EQ(symlink("b.xml", folder.File("a.xml").c_str()), 0);
    ASSERT_EQ(symlink("a.xml", folder.File("b.xml").c_str()), 0);
    TGFileWriter loop("xml");
    loop.SetFileName(folder.File("a.xml"));
    EXPECT_FALSE(loop.Open());
    EXPECT_NE(loop.LastError().find("loop"), std::string::npos) << loop.LastError();
    ASSERT_EQ(lstat(folder.File("a.xml").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
}

TEST(TGFileWriterSafety, AFileBeingWrittenHasNoNameSoAKilledProcessLeavesNothing) {
    TempFolder folder;
    const std::string target = folder.File("tree.glb");
    WriteFileBytes(target, "previous");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        TGFileWriter writer("");
        writer.SetFileName(target);
        if (!writer.Open()) _exit(1);
        writer.Write(std::string(3 << 20, 'x'));
        writer.WriteAt(0, "written");
        kill(getpid(), SIGKILL);  // as kill -9 in the middle of an export
        _exit(2);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "child exit " << WEXITSTATUS(status);
    EXPECT_EQ(ListFolder(folder.Path()), std::vector<std::string>{"tree.glb"});
    EXPECT_EQ(ReadFileBytes(target), "previous");
}

TEST(TGFileWriterSafety, NewFilesGetTheUsualPermissions) {
    TempFolder folder;
    const mode_t old = umask(022);
    TGFileWriter writer("xml");
    writer.SetFileName(folder.File("fresh"));
    ASSERT_TRUE(writer.Open());
    EXPECT_TRUE(writer.Close());
    umask(old);
    struct stat info;
    ASSERT_EQ(stat(folder.File("fresh.xml").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);
}

TEST(TGFileWriterSafety, WriteFailureIsReportedAndKeepsTheOldFile) {
    TempFolder folder;
    const std::string target = folder.File("tree.xml");
    WriteFileBytes(target, "precious\n");
    FailingWriter writer(1000);
    writer.SetFileName(target);
    ASSERT_TRUE(writer.Open());
    for (int i = 0; i < 300000; ++i) writer.WriteLine("<Height>300</Height>");
    EXPECT_FALSE(writer.Close());
    EXPECT_NE(writer.LastError().find("No space left on device"), std::string::npos) << writer.LastError();
    EXPECT_EQ(ReadFileBytes(target), "precious\n");
    EXPECT_EQ(ListFolder(folder.Path()), std::vector<std::string>{"tree.xml"});
}

TEST(TGFileWriterSafety, FullDeviceIsReportedAndKeepsTheOldFile) {
    TempFolder folder;
    ScopedTmpfs tmpfs(folder.Path(), "size=64k");
    if (!tmpfs.Mounted()) GTEST_SKIP() << "mounting a tmpfs needs root";
    const std::string target = folder.File("tree.dxf");
    WriteFileBytes(target, "precious\n");
    TGFileWriter writer("dxf");
    writer.SetFileName(target);
    ASSERT_TRUE(writer.Open());
    const std::string line(1000, 'x');
    for (int i = 0; i < 200; ++i) writer.WriteLine(line);  // 200 kB into 64 kB
    EXPECT_FALSE(writer.Close());
    EXPECT_NE(writer.LastError().find("tree.dxf"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(target), "precious\n");
    EXPECT_EQ(ListFolder(folder.Path()), std::vector<std::string>{"tree.dxf"});
}

TEST(TGFileWriterSafety, UnwritableFolderFailsAtOpen) {
    TempFolder folder;
    const std::string locked = folder.File("locked");
    ASSERT_EQ(mkdir(locked.c_str(), 0755), 0);
    ScopedTmpfs readOnly(locked, "size=16k", MS_RDONLY);
    if (!readOnly.Mounted()) {
        if (geteuid() == 0) GTEST_SKIP() << "root ignores folder permissions and cannot mount here";
        chmod(locked.c_str(), 0555);
    }
    TGFileWriter writer("xml");
    writer.SetFileName(locked + "/tree");
    EXPECT_FALSE(writer.Open());
    EXPECT_FALSE(writer.IsOpen());
    EXPECT_FALSE(writer.LastError().empty());
}

TEST(TGFileWriterSafety, RefusesToReplaceDevicesAndFolders) {
    TempFolder folder;
    const std::string device = folder.File("device.full");
    ASSERT_EQ(symlink("/dev/full", device.c_str()), 0);
    TGFileWriter writer("full");
    writer.SetFileName(device);
    EXPECT_FALSE(writer.Open());
    struct stat info;
    ASSERT_EQ(stat(device.c_str(), &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));

    ASSERT_EQ(mkdir(folder.File("dir.xml").c_str(), 0755), 0);
    TGFileWriter xml("xml");
    xml.SetFileName(folder.File("dir.xml"));
    EXPECT_FALSE(xml.Open());
    EXPECT_NE(xml.LastError().find("not a regular file"), std::string::npos);
}

TEST(TGFileReader, JoinsLinesOfEveryLineEnd) {
    TempFolder folder;
    for (const char* text : {"a\nb\nc\n", "a\r\nb\r\nc\r\n", "a\rb\rc", "a\nb\r\nc"}) {
        WriteFileBytes(folder.File("f.txt"), text);
        TGFileReader reader;
        reader.SetFileName(folder.File("f.txt"));
        ASSERT_TRUE(reader.Open());
        EXPECT_EQ(reader.Content(), "abc");
        reader.Close();
    }
}

TEST(TGFileReader, KeepsIndentationAndNonAsciiAndReadsEmptyFiles) {
    TempFolder folder;
    WriteFileBytes(folder.File("f.xml"), "<A>\n   <B>\xC3\xA4</B>\n</A>\n");
    WriteFileBytes(folder.File("empty"), "");
    TGFileReader reader;
    reader.SetFileName(folder.File("f.xml"));
    ASSERT_TRUE(reader.Open());
    EXPECT_EQ(reader.Content(), "<A>   <B>\xC3\xA4</B></A>");
    reader.SetFileName(folder.File("empty"));
    EXPECT_TRUE(reader.Open());
    EXPECT_EQ(reader.Content(), "");
}

TEST(TGFileReader, RefusesBadFilesAndKeepsTheOldContent) {
    TempFolder folder;
    WriteFileBytes(folder.File("good"), "kept\n");
    WriteFileBytes(folder.File("binary"), std::string("\x7F" "ELF\x02\x01\x01\x00\xff\xfe", 10));
    WriteFileBytes(folder.File("latin1"), "M\xE4rz\n");
    // A sparse file just over the limit costs no disk space.
    {
        FILE* huge = std::fopen(folder.File("huge").c_str(), "w");
        ASSERT_NE(huge, nullptr);
        ASSERT_EQ(ftruncate(fileno(huge), static_cast<off_t>(TGFileReader::kMaxFileSize) + 1), 0);
        std::fclose(huge);
    }
    ASSERT_EQ(mkfifo(folder.File("pipe").c_str(), 0600), 0);

    TGFileReader reader;
    EXPECT_FALSE(reader.Open());  // no name
    reader.SetFileName(folder.File("good"));
    ASSERT_TRUE(reader.Open());
    reader.Close();
    for (const std::string& bad : {folder.File("binary"), folder.File("latin1"), folder.File("huge"),
                                   folder.File("pipe"), folder.File("missing"), folder.Path(),
                                   std::string("/dev/zero")}) {
        reader.SetFileName(bad);
        EXPECT_FALSE(reader.Open()) << bad;
        EXPECT_FALSE(reader.IsOpen());
        EXPECT_NE(reader.LastError().find(bad), std::string::npos) << reader.LastError();
        EXPECT_EQ(reader.Content(), "kept");
    }
}

TEST(Utf8Validation, AcceptsWellFormedAndRejectsMalformed) {
    EXPECT_TRUE(IsValidUtf8(""));
    EXPECT_TRUE(IsValidUtf8("plain ASCII"));
    EXPECT_TRUE(IsValidUtf8("\xC3\xA4"));              // U+00E4
    EXPECT_TRUE(IsValidUtf8("\xE2\x82\xAC"));          // U+20AC
    EXPECT_TRUE(IsValidUtf8("\xF0\x9F\x8C\xB3"));      // U+1F333
    EXPECT_TRUE(IsValidUtf8("\xF4\x8F\xBF\xBF"));      // U+10FFFF
    EXPECT_FALSE(IsValidUtf8("\xE4"));                 // Latin-1 a-umlaut
    EXPECT_FALSE(IsValidUtf8("\x80"));                 // stray continuation
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));             // overlong "/"
    EXPECT_FALSE(IsValidUtf8("\xE0\x80\xAF"));         // overlong "/"
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));         // surrogate
    EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));     // above U+10FFFF
    EXPECT_FALSE(IsValidUtf8("\xE2\x82"));             // truncated
    EXPECT_FALSE(IsValidUtf8("\xE2\x28\xA1"));         // bad continuation
}

namespace {

std::string FormatFixed6(double value) {
    char buffer[kMaxFixed6Chars];
    return std::string(buffer, PutFixed6(buffer, value));
}

}  // namespace

TEST(NumberFormat, MatchesPrintf) {
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> wide(-1e6, 1e6);
    std::uniform_int_distribution<int> exponent(-12, 12);
    char expected[512];
    for (int i = 0; i < 200000; ++i) {
        const double value = wide(random) * std::pow(10.0, exponent(random));
        std::snprintf(expected, sizeof expected, "%.06f", value);
        ASSERT_EQ(FormatFixed6(value), expected) << value;
    }
    // Decimal values with a 5 in the seventh place lie within an ulp of a tie.
    std::uniform_int_distribution<long> digits(-2000000000L, 2000000000L);
    for (int i = 0; i < 200000; ++i) {
        const double value = static_cast<double>(digits(random) * 10 + 5) / 1e7;
        std::snprintf(expected, sizeof expected, "%.06f", value);
        ASSERT_EQ(FormatFixed6(value), expected) << value;
    }
    // Exact ties of the sixth decimal (k / 128) round half to even, as printf does;
    // values next to them must not be pulled onto the tie.
    for (double value : {0.0, -0.0, 0.5, -0.25, 12.5, 0.0000005, 0.0000015, 1e300, -1e-300, 0.0078125,
                         0.0234375, -0.0390625, 3.9921875, std::nextafter(0.0078125, 1.0),
                         std::nextafter(0.0078125, 0.0), 4e9, 3.999999999e9, 1e15 + 0.3, 2.675, 1.0005e-6,
                         std::nan(""), -HUGE_VAL}) {
        std::snprintf(expected, sizeof expected, "%.06f", value);
        EXPECT_EQ(FormatFixed6(value), expected);
    }
    EXPECT_EQ(FormatFixed6(-0.25), "-0.250000");
    EXPECT_EQ(FormatFixed6(12.5), "12.500000");
    EXPECT_EQ(FormatInt(-2147483647L - 1), "-2147483648");
    EXPECT_EQ(FormatInt(999), "999");
}
