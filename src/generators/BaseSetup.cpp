#include "generators/BaseSetup.h"


namespace grovewright {

void BaseSetup::Write(TGXMLFileWriter& writer) const {
    writer.WriteLine(std::string(kSectionIndent) + "<BaseSetup>");
    WriteParameters(writer, kValueIndent, *this);
    writer.WriteLine(std::string(kSectionIndent) + "</BaseSetup>");
}

bool EnterSection(TGXMLFileReader& reader, const std::string& generatorName, const char* section) {
    if (reader.EnterElement(generatorName) && reader.EnterElement(section)) return true;
    reader.Rewind();
    return false;
}

bool BaseSetup::Read(TGXMLFileReader& reader, const std::string& generatorName) {
    if (!EnterSection(reader, generatorName, "BaseSetup")) return false;
    const bool read = ReadAllParameters(reader, *this);
    reader.Rewind();
    return read;
}

}  // namespace grovewright
