#include <gtest/gtest.h>

#include <climits>

#include "TestHelpers.h"
#include "io/TGXMLFileReader.h"
#include "io/TGXMLFileWriter.h"

using namespace grovewright;
using grovewright::test::ReadFileBytes;
using grovewright::test::SplitLines;
using grovewright::test::TempFolder;
using grovewright::test::WriteFileBytes;

namespace {

// A reader over the given file text.
class ReaderOver {
public:
    explicit ReaderOver(const std::string& text, const char* lineEnd = "\n") {
        std::string withEnds = text;
        for (std::string::size_type at = 0; (at = withEnds.find('\n', at)) != std::string::npos;) {
            withEnds.replace(at, 1, lineEnd);
            at += std::char_traits<char>::length(lineEnd);
        }
        WriteFileBytes(folder_.File("p.xml"), withEnds);
        reader.SetFileName(folder_.File("p.xml"));
        opened = reader.Open();
    }
    TempFolder folder_;
    TGXMLFileReader reader;
    bool opened = false;
};

const char* kTwoGenerators =
    "<?xml version=\"1.0\"?>\n"
    "<!DOCTYPE Grovewright_setup_file>\n"
    "<Grovewright_Setup>\n"
    "   <SimpleGrovewright>\n"
    "      <BaseSetup>\n"
    "         <Iteration>4</Iteration>\n"
    "         <Height>300</Height>\n"
    "         <HeightReduction>70</HeightReduction>\n"
    "         <Diameter>20</Diameter>\n"
    "         <DiameterReduction>80</DiameterReduction>\n"
    "      </BaseSetup>\n"
    "      <CustomSetup>\n"
    "         <Balance>50</Balance>\n"
    "         <BalanceDependence>1</BalanceDependence>\n"
    "      </CustomSetup>\n"
    "   </SimpleGrovewright>\n"
    "   <RegularGrovewright>\n"
    "      <BaseSetup>\n"
    "         <Iteration>9</Iteration>\n"
    "         <Height>120</Height>\n"
    "      </BaseSetup>\n"
    "      <CustomSetup>\n"
    "         <BranchSetup1>\n"
    "            <Height>11</Height>\n"
    "         </BranchSetup1>\n"
    "         <BranchSetup10>\n"
    "            <Height>110</Height>\n"
    "         </BranchSetup10>\n"
    "      </CustomSetup>\n"
    "   </RegularGrovewright>\n"
    "</Grovewright_Setup>\n";

}  // namespace

TEST(TGXMLFileWriter, FramesTheFileWithTheEnvelope) {
    TempFolder folder;
    TGXMLFileWriter writer;
    writer.SetFileName(folder.File("design"));
    EXPECT_EQ(writer.GetFileName(), folder.File("design.xml"));
    ASSERT_TRUE(writer.Open());
    writer.WriteLine("   <SimpleGrovewright>");
    writer.WriteValue("         ", "Height", 300);
    writer.WriteValue("         ", "Cut", 0);
    writer.WriteValue("         ", "Negative", -1);
    writer.WriteLine("   </SimpleGrovewright>");
    ASSERT_TRUE(writer.Close());
    EXPECT_EQ(SplitLines(ReadFileBytes(folder.File("design.xml"))),
              (std::vector<std::string>{"<?xml version=\"1.0\"?>", "<!DOCTYPE Grovewright_setup_file>",
                                        "<Grovewright_Setup>", "   <SimpleGrovewright>",
                                        "         <Height>300</Height>", "         <Cut>0</Cut>",
                                        "         <Negative>-1</Negative>", "   </SimpleGrovewright>",
                                        "</Grovewright_Setup>"}));
}

TEST(TGXMLFileWriter, FailedOpenWritesNothing) {
    TempFolder folder;
    TGXMLFileWriter writer;
    writer.SetFileName(folder.File("no/such/folder/design"));
    EXPECT_FALSE(writer.Open());
    EXPECT_TRUE(writer.Close());  // nothing was open: nothing to report
}

TEST(TGXMLFileReader, PrefixSearchLandsOnTheShorterNameWrittenFirst) {
    ReaderOver file(kTwoGenerators);
    ASSERT_TRUE(file.opened);
    auto& r = file.reader;
    ASSERT_TRUE(r.EnterElement("SimpleGrovewright"));
    ASSERT_TRUE(r.EnterElement("BaseSetup"));
    EXPECT_EQ(r.ReadInt("Height"), 300);  // not HeightReduction's 70
    EXPECT_EQ(r.ReadInt("HeightReduction"), 70);
    EXPECT_EQ(r.ReadInt("Diameter"), 20);
    EXPECT_EQ(r.ReadInt("DiameterReduction"), 80);
    EXPECT_EQ(r.ReadInt("Balance"), -1);  // CustomSetup is outside the working text
    EXPECT_EQ(r.ReadInt("Missing"), -1);

    r.Rewind();
    ASSERT_TRUE(r.EnterElement("RegularGrovewright"));
    ASSERT_TRUE(r.EnterElement("CustomSetup"));
    ASSERT_TRUE(r.EnterElement("BranchSetup1"));
    EXPECT_EQ(r.ReadInt("Height"), 11);
    r.Rewind();
    ASSERT_TRUE(r.EnterElement("RegularGrovewright"));
    ASSERT_TRUE(r.EnterElement("CustomSetup"));
    ASSERT_TRUE(r.EnterElement("BranchSetup10"));
    EXPECT_EQ(r.ReadInt("Height"), 110);
}

TEST(TGXMLFileReader, FirstSectionWinsWithoutEnteringTheGenerator) {
    ReaderOver file(kTwoGenerators);
    auto& r = file.reader;
    ASSERT_TRUE(r.EnterElement("BaseSetup"));
    EXPECT_EQ(r.ReadInt("Iteration"), 4);
    r.Rewind();
    ASSERT_TRUE(r.EnterElement("RegularGrovewright"));
    ASSERT_TRUE(r.EnterElement("BaseSetup"));
    EXPECT_EQ(r.ReadInt("Iteration"), 9);
}

TEST(TGXMLFileReader, FailedEnterLeavesTheWorkingTextUnchanged) {
    ReaderOver file(kTwoGenerators);
    auto& r = file.reader;
    ASSERT_TRUE(r.EnterElement("SimpleGrovewright"));
    const std::string before(r.WorkingText());
    EXPECT_FALSE(r.EnterElement("LeafCreator"));
    EXPECT_EQ(r.WorkingText(), before);
    // The regular section lies outside the simple one now.
    EXPECT_FALSE(r.EnterElement("RegularGrovewright"));
    EXPECT_EQ(r.WorkingText(), before);
    r.Rewind();
    EXPECT_EQ(r.WorkingText(), r.Content());
}

TEST(TGXMLFileReader, ReadIntConvertsLikeStrtol) {
    ReaderOver file(
        "<a>  42</a><b>4x</b><c>x</c><d>-17</d><e>+8</e><f></f><g>99999999999999999999999</g>"
        "<h>\t 7 8</h><i>-99999999999999999999999</i>");
    auto& r = file.reader;
    EXPECT_EQ(r.ReadInt("a"), 42);
    EXPECT_EQ(r.ReadInt("b"), 4);
    EXPECT_EQ(r.ReadInt("c"), 0);
    EXPECT_EQ(r.ReadInt("d"), -17);
    EXPECT_EQ(r.ReadInt("e"), 8);
    EXPECT_EQ(r.ReadInt("f"), 0);
    EXPECT_EQ(r.ReadInt("g"), LONG_MAX);
    EXPECT_EQ(r.ReadInt("h"), 7);
    EXPECT_EQ(r.ReadInt("i"), LONG_MIN);
    EXPECT_EQ(r.ReadInt("z"), -1);
}

TEST(TGXMLFileReader, SaysWhenTheFileHoldsMarkupThatPlainSearchReadsWrongly) {
    // A file as written: nothing to say.
    EXPECT_EQ(ReaderOver(kTwoGenerators).reader.MarkupNotice(), "");
    // A comment is still read as it stands, and said.
    ReaderOver commented("<BaseSetup><!-- was <Height>100</Height> --><Height>250</Height></BaseSetup>\n");
    EXPECT_EQ(commented.reader.ReadInt("Height"), 100);
    EXPECT_EQ(commented.reader.MarkupNotice(), "this file contains XML comments; values inside comments may be read");
    const std::string both = ReaderOver("<BaseSetup unit=\"cm\"><Cut/><Height>2</Height></BaseSetup>").reader.MarkupNotice();
    EXPECT_NE(both.find("attributes"), std::string::npos) << both;
    EXPECT_NE(both.find("self-closing"), std::string::npos) << both;
    EXPECT_EQ(both.find("comments"), std::string::npos) << both;
    // A tag cut off at the end of the file is not mistaken for anything.
    EXPECT_EQ(ReaderOver("<Height>2</Height><Heig").reader.MarkupNotice(), "");
}

TEST(TGXMLFileReader, ValuesSpanFormerLines) {
    // Line breaks vanish on load: "<Height>\n  42\n</Height>" reads as 42.
    ReaderOver file("<Height>\n  42\n</Height>\n");
    EXPECT_EQ(file.reader.ReadInt("Height"), 42);
}

TEST(TGXMLFileReader, EveryLineEndReadsTheSame) {
    for (const char* lineEnd : {"\n", "\r\n", "\r"}) {
        ReaderOver file(kTwoGenerators, lineEnd);
        ASSERT_TRUE(file.opened);
        auto& r = file.reader;
        ASSERT_TRUE(r.EnterElement("SimpleGrovewright"));
        ASSERT_TRUE(r.EnterElement("CustomSetup"));
        EXPECT_EQ(r.ReadInt("BalanceDependence"), 1) << "line end " << int(lineEnd[0]);
    }
}

TEST(TGXMLFileReader, DamagedFilesFindNothingAndNeverCrash) {
    // No closing tag, a closing tag before the opening one, and a file cut inside a tag.
    ReaderOver file("</Height><Height>5<Iteration>3</Iter<Cut>1</Cu");
    auto& r = file.reader;
    EXPECT_EQ(r.ReadInt("Height"), -1);
    EXPECT_EQ(r.ReadInt("Iteration"), -1);
    EXPECT_EQ(r.ReadInt("Cut"), -1);
    EXPECT_FALSE(r.EnterElement("Height"));
    EXPECT_EQ(r.WorkingText(), r.Content());
}

TEST(TGXMLFileReader, ContentOutlivesCloseAndReopenReplacesIt) {
    TempFolder folder;
    WriteFileBytes(folder.File("one.xml"), "<A>1</A>");
    WriteFileBytes(folder.File("two.xml"), "<A>2</A>");
    TGXMLFileReader reader;
    reader.SetFileName(folder.File("one.xml"));
    ASSERT_TRUE(reader.Open());
    reader.Close();
    EXPECT_EQ(reader.ReadInt("A"), 1);
    reader.SetFileName(folder.File("missing.xml"));
    EXPECT_FALSE(reader.Open());
    EXPECT_EQ(reader.ReadInt("A"), 1);
    reader.SetFileName(folder.File("two.xml"));
    ASSERT_TRUE(reader.Open());
    EXPECT_EQ(reader.ReadInt("A"), 2);
}
