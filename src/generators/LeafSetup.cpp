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

bool LeafSetup::Read(TGXMLFileReader& reader, const std::string& creatorName, int index) {
    if (!EnterSection(reader, creatorName, ("LeafSetup" + FormatInt(index)).c_str())) return false;
    for (int i = 0; i < kCount; ++i) SetParameter(i, reader.ReadInt(kParameters[i].name));
    reader.Rewind();
    return true;
}

}  // namespace grovewright
