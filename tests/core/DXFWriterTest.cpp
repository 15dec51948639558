#include <gtest/gtest.h>

#include "TestHelpers.h"
#include "io/TGDXFFileWriter.h"

using namespace grovewright;
using grovewright::test::ReadFileBytes;
using grovewright::test::SplitLines;
using grovewright::test::TempFolder;

namespace {

using Lines = std::vector<std::string>;

Lines Slice(const Lines& lines, std::size_t from, std::size_t count) {
    return Lines(lines.begin() + static_cast<long>(from), lines.begin() + static_cast<long>(from + count));
}

void WriteFace(TGDXFFileWriter& w, int layer, double base) {
    w.Begin3DFace();
    w.WriteLayer(layer);
    for (int corner = 0; corner < 4; ++corner) {
        w.WriteX(base + corner);
        w.WriteY(-base - corner);
        w.WriteZ(0.5);
    }
    w.ResetCoordinateCodes();
}

}  // namespace

TEST(TGDXFFileWriter, EmptyExportIsTenLines) {
    TempFolder folder;
    TGDXFFileWriter w;
    w.SetFileName(folder.File("empty"));
    EXPECT_EQ(w.GetFileName(), folder.File("empty.dxf"));
    ASSERT_TRUE(w.Open());
    w.BeginEntitiesSection();
    w.EndSection();
    ASSERT_TRUE(w.Close());
    EXPECT_EQ(SplitLines(ReadFileBytes(folder.File("empty.dxf"))),
              (Lines{"999", "Created with Grovewright v2.3.2 by Vantell", "0", "SECTION", "2", "ENTITIES", "0",
                     "ENDSEC", "0", "EOF"}));
}

TEST(TGDXFFileWriter, FacesCarryCodesTenToThirteenEveryTime) {
    TempFolder folder;
    TGDXFFileWriter w;
    w.SetFileName(folder.File("faces.dxf"));
    ASSERT_TRUE(w.Open());
    w.BeginEntitiesSection();
    WriteFace(w, 1, 0.0);
    WriteFace(w, 3, 12.5);
    w.EndSection();
    ASSERT_TRUE(w.Close());
    const Lines lines = SplitLines(ReadFileBytes(folder.File("faces.dxf")));
    ASSERT_EQ(lines.size(), 10u + 2 * 28);
    const Lines first = Slice(lines, 6, 28);
    EXPECT_EQ(first, (Lines{"0",  "3DFACE",    "8",  "1",         "10", "0.000000",  "20", "-0.000000",
                            "30", "0.500000",  "11", "1.000000",  "21", "-1.000000", "31", "0.500000",
                            "12", "2.000000",  "22", "-2.000000", "32", "0.500000",  "13", "3.000000",
                            "23", "-3.000000", "33", "0.500000"}));
    const Lines second = Slice(lines, 34, 28);
    EXPECT_EQ(second[3], "3");
    EXPECT_EQ(second[4], "10");
    EXPECT_EQ(second[5], "12.500000");
    EXPECT_EQ(second[7], "-12.500000");
    EXPECT_EQ(second[22], "13");
    EXPECT_EQ(second[26], "33");
}

TEST(TGDXFFileWriter, CodesAdvancePastTheFourthCornerAndStopAtNineteen) {
    TempFolder folder;
    TGDXFFileWriter w;
    w.SetFileName(folder.File("codes.dxf"));
    ASSERT_TRUE(w.Open());
    for (int i = 0; i < 12; ++i) w.WriteX(-0.25);
    w.WriteY(1);
    w.WriteZ(2);
    w.ResetCoordinateCodes();
    w.WriteX(0);
    ASSERT_TRUE(w.Close());
    const Lines lines = SplitLines(ReadFileBytes(folder.File("codes.dxf")));
    Lines codes;
    for (std::size_t i = 2; i + 1 < lines.size() - 2; i += 2) codes.push_back(lines[i]);
    EXPECT_EQ(codes, (Lines{"10", "11", "12", "13", "14", "15", "16", "17", "18", "19", "19", "19", "20", "30",
                            "10"}));
    EXPECT_EQ(lines[3], "-0.250000");
}

TEST(TGDXFFileWriter, UnusedSectionsAndLinesHaveTheirTags) {
    TempFolder folder;
    TGDXFFileWriter w;
    w.SetFileName(folder.File("all.dxf"));
    ASSERT_TRUE(w.Open());
    w.BeginHeaderSection();
    w.BeginTablesSection();
    w.BeginBlocksSection();
    w.BeginLine();
    w.WriteComment("note");
    ASSERT_TRUE(w.Close());
    EXPECT_EQ(Slice(SplitLines(ReadFileBytes(folder.File("all.dxf"))), 2, 16),
              (Lines{"0", "SECTION", "2", "HEADER", "0", "SECTION", "2", "TABLES", "0", "SECTION", "2", "BLOCKS",
                     "0", "LINE", "999", "note"}));
}

TEST(TGDXFFileWriter, NothingIsWrittenWhileClosedAndReopeningStartsAfresh) {
    TempFolder folder;
    TGDXFFileWriter w;
    w.SetFileName(folder.File("a.dxf"));
    w.Begin3DFace();  // not open: ignored, and no file appears
    w.WriteX(1);
    EXPECT_TRUE(grovewright::test::ListFolder(folder.Path()).empty());
    ASSERT_TRUE(w.Open());
    w.BeginEntitiesSection();
    w.EndSection();
    ASSERT_TRUE(w.Close());
    // A stray call after Close must not reopen and truncate the export.
    w.WriteX(5);
    w.Begin3DFace();
    EXPECT_EQ(SplitLines(ReadFileBytes(folder.File("a.dxf"))).size(), 10u);

    w.SetFileName(folder.File("b"));
    ASSERT_TRUE(w.Open());
    ASSERT_TRUE(w.Close());
    EXPECT_EQ(SplitLines(ReadFileBytes(folder.File("b.dxf"))),
              (Lines{"999", "Created with Grovewright v2.3.2 by Vantell", "0", "EOF"}));
}
