#include <gtest/gtest.h>

#include "TestHelpers.h"
#include "io/TGDirectXFileWriter.h"

using namespace grovewright;
using grovewright::test::ReadFileBytes;
using grovewright::test::SplitLines;
using grovewright::test::TempFolder;

namespace {

using Lines = std::vector<std::string>;

// One mesh of a single triangle, in the order the mesh builder calls.
void WriteTriangleMesh(TGDirectXFileWriter& w) {
    w.BeginMesh(3);
    w.WriteVector(0, 0, 0, false);
    w.WriteVector(1, 0, 0, false);
    w.WriteVector(0, 1, 0, true);
    w.BeginFaces(1);
    w.SetFaceSize(3);
    for (int i : {0, 1, 2}) w.WriteFaceIndex(i);
    w.BeginNormals(3);
    for (int i = 0; i < 3; ++i) w.WriteVector(0, 0, -1, i == 2);
    w.BeginFaces(1);
    w.SetFaceSize(3);
    for (int i : {0, 1, 2}) w.WriteFaceIndex(i);
    w.CloseBlock();
    w.BeginTextureCoords(3);
    w.WriteTextureCoord(0, 0, false);
    w.WriteTextureCoord(1, 0, false);
    w.WriteTextureCoord(0, 1, true);
    w.CloseBlock();
    w.CloseBlock();
}

}  // namespace

TEST(TGDirectXFileWriter, WholeMeshLayout) {
    TempFolder folder;
    TGDirectXFileWriter w;
    w.SetFileName(folder.File("tri"));
    EXPECT_EQ(w.GetFileName(), folder.File("tri.x"));
    ASSERT_TRUE(w.Open());
    WriteTriangleMesh(w);
    ASSERT_TRUE(w.Close());
    EXPECT_EQ(SplitLines(ReadFileBytes(folder.File("tri.x"))),
              (Lines{"xof 0302txt 0032",
                     "# Created with Grovewright v2.3.2 by Vantell",
                     "Mesh Mesh_0 {",
                     "3;",
                     "0.000000; 0.000000; 0.000000;,",
                     "1.000000; 0.000000; 0.000000;,",
                     "0.000000; 1.000000; 0.000000;;",
                     "1;",
                     "3; 0; 1; 2;;",
                     "MeshNormals {",
                     "3;",
                     "0.000000; 0.000000; -1.000000;,",
                     "0.000000; 0.000000; -1.000000;,",
                     "0.000000; 0.000000; -1.000000;;",
                     "1;",
                     "3; 0; 1; 2;;",
                     "}",
                     "MeshTextureCoords {",
                     "3;",
                     "0.000000; 0.000000;,",
                     "1.000000; 0.000000;,",
                     "0.000000; 1.000000;;",
                     "}",
                     "}"}));
}

TEST(TGDirectXFileWriter, EntriesEndWithCommaExceptTheLast) {
    TempFolder folder;
    TGDirectXFileWriter w;
    w.SetFileName(folder.File("entries.x"));
    ASSERT_TRUE(w.Open());
    w.WriteVector(1, 2, 3, true);
    w.WriteTextureCoord(0.5, 1, false);
    w.BeginFaces(2);
    w.SetFaceSize(3);
    for (int i : {4, 5, 6, 6, 5, 7}) w.WriteFaceIndex(i);
    // More faces than announced end like the last one.
    for (int i : {1, 2, 3}) w.WriteFaceIndex(i);
    w.SetFaceSize(4);
    w.BeginFaces(1);
    for (int i : {0, 1, 2, 3}) w.WriteFaceIndex(i);
    ASSERT_TRUE(w.Close());
    const Lines lines = SplitLines(ReadFileBytes(folder.File("entries.x")));
    EXPECT_EQ(Lines(lines.begin() + 2, lines.end()),
              (Lines{"1.000000; 2.000000; 3.000000;;", "0.500000; 1.000000;,", "2;", "3; 4; 5; 6;,",
                     "3; 6; 5; 7;;", "3; 1; 2; 3;;", "1;", "4; 0; 1; 2; 3;;"}));
}

TEST(TGDirectXFileWriter, MeshNumbersRestartWithEveryFileAndCloseAddsNothing) {
    TempFolder folder;
    TGDirectXFileWriter w;
    w.SetFileName(folder.File("two.x"));
    ASSERT_TRUE(w.Open());
    WriteTriangleMesh(w);
    WriteTriangleMesh(w);
    ASSERT_TRUE(w.Close());
    const Lines two = SplitLines(ReadFileBytes(folder.File("two.x")));
    EXPECT_EQ(two[2], "Mesh Mesh_0 {");
    EXPECT_EQ(two[2 + 22], "Mesh Mesh_1 {");
    EXPECT_EQ(two.back(), "}");
    EXPECT_EQ(two.size(), 2u + 2 * 22);

    w.SetFileName(folder.File("again.x"));
    ASSERT_TRUE(w.Open());
    WriteTriangleMesh(w);
    ASSERT_TRUE(w.Close());
    EXPECT_EQ(SplitLines(ReadFileBytes(folder.File("again.x")))[2], "Mesh Mesh_0 {");
}

TEST(TGDirectXFileWriter, NothingIsWrittenWhileClosed) {
    TempFolder folder;
    TGDirectXFileWriter w;
    w.SetFileName(folder.File("closed.x"));
    WriteTriangleMesh(w);
    EXPECT_TRUE(grovewright::test::ListFolder(folder.Path()).empty());
    ASSERT_TRUE(w.Open());
    ASSERT_TRUE(w.Close());
    EXPECT_EQ(SplitLines(ReadFileBytes(folder.File("closed.x"))).size(), 2u);
}
