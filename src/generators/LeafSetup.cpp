#include "generators/LeafSetup.h"

#include "io/NumberFormat.h"
#include "io/TGXMLFileReader.h"
#include "io/TGXMLFileWriter.h"

namespace grovewright {

namespace {

// The value lines of a page's FoliageSetup child sit one step inside it.
constexpr const char* kFoliageValueIndent = "            ";

std::string FoliageChild(int index) { return "Foliage" + FormatInt(index); }

}  // namespace

bool LeafSetup::PlainFoliage() const {
    for (int i = kFileCount; i < kCount; ++i)
        if (Get(i) != kParameters[i].initial) return false;
    return true;
}

void LeafSetup::ResetFoliage() {
    for (int i = kFileCount; i < kCount; ++i) SetParameter(i, kParameters[i].initial);
}

void LeafSetup::Write(TGXMLFileWriter& writer, int index) const {
    writer.Write(std::string(kSectionIndent) + "<LeafSetup");
    writer.Write(FormatInt(index));
    writer.WriteLine(">");
    for (int i = 0; i < kFileCount; ++i) writer.WriteValue(kValueIndent, kParameters[i].name, Get(i));
    writer.WriteLine(std::string(kSectionIndent) + "</LeafSetup" + FormatInt(index) + ">");
}

bool LeafSetup::Read(TGXMLFileReader& reader, const std::string& creatorName, int index, bool* complete) {
    if (!EnterSection(reader, creatorName, ("LeafSetup" + FormatInt(index)).c_str())) return false;
    bool all = true;
    for (int i = 0; i < kFileCount; ++i) all = SetParameter(i, reader.ReadInt(kParameters[i].name)) && all;
    if (complete) *complete = all;
    reader.Rewind();
    return true;
}

void LeafSetup::WriteFoliage(TGXMLFileWriter& writer, int index) const {
    if (PlainFoliage()) return;
    writer.WriteLine(std::string(kValueIndent) + "<" + FoliageChild(index) + ">");
    for (int i = kFileCount; i < kCount; ++i) writer.WriteValue(kFoliageValueIndent, kParameters[i].name, Get(i));
    writer.WriteLine(std::string(kValueIndent) + "</" + FoliageChild(index) + ">");
}

bool LeafSetup::ReadFoliage(TGXMLFileReader& reader, int index) {
    LeafSetup read = *this;
    read.ResetFoliage();
    // Page 1's child is found by its whole tag: "<Foliage1" also begins "<Foliage10>".
    if (reader.EnterWholeElement(FoliageChild(index))) {
        for (int i = kFileCount; i < kCount; ++i)
            if (reader.HasElement(kParameters[i].name) && !read.SetParameter(i, reader.ReadInt(kParameters[i].name)))
                return false;
    }
    *this = read;
    return true;
}

}  // namespace grovewright
