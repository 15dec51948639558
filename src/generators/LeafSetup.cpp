#include "generators/LeafSetup.h"

#include "io/NumberFormat.h"
#include "io/TGXMLFileReader.h"
#include "io/TGXMLFileWriter.h"

namespace grovewright {

namespace {

std::string FoliageChild(int index) { return "Foliage" + FormatInt(index); }

}  // namespace

bool LeafSetup::PlainFoliage() const { return PlainExtension(*this); }

void LeafSetup::ResetFoliage() { ResetExtension(*this); }

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
    WriteExtension(writer, FoliageChild(index), *this);
}

bool LeafSetup::ReadFoliage(TGXMLFileReader& reader, int index) { return ReadExtension(reader, FoliageChild(index), *this); }

}  // namespace grovewright
