#include "generators/LeafSetup.h"

#include "io/NumberFormat.h"
#include "io/TGXMLFileReader.h"
#include "io/TGXMLFileWriter.h"

namespace grovewright {

void LeafSetup::Write(TGXMLFileWriter& writer, int index) const {
    writer.Write(std::string(kSectionIndent) + "<LeafSetup");
    writer.Write(FormatInt(index));
    writer.WriteLine(">");
    WriteParameters(writer, kValueIndent, *this);
    writer.WriteLine(std::string(kSectionIndent) + "</LeafSetup" + FormatInt(index) + ">");
}

bool LeafSetup::Read(TGXMLFileReader& reader, const std::string& creatorName, int index, bool* complete) {
    if (!EnterSection(reader, creatorName, ("LeafSetup" + FormatInt(index)).c_str())) return false;
    bool all = true;
    for (int i = 0; i < kCount; ++i) all = SetParameter(i, reader.ReadInt(kParameters[i].name)) && all;
    if (complete) *complete = all;
    reader.Rewind();
    return true;
}

}  // namespace grovewright
