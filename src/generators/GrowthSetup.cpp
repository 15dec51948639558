#include "generators/GrowthSetup.h"

namespace grovewright {

namespace {
constexpr const char* kElement = "GrowthSetup";
}

void GrowthSetup::Write(TGXMLFileWriter& writer) const {
    if (IsDefault()) return;
    writer.WriteLine(std::string(kSectionIndent) + "<" + kElement + ">");
    // Values added after the first five are written only when they are not at
    // their defaults: a file saved before them is saved again as it was.
    for (int i = 0; i < kCount; ++i)
        if (i <= kBend || GetParameter(i) != kParameters[i].initial)
            writer.WriteValue(kValueIndent, kParameters[i].name, GetParameter(i));
    writer.WriteLine(std::string(kSectionIndent) + "</" + kElement + ">");
}

bool GrowthSetup::Read(TGXMLFileReader& reader, const std::string& generatorName) {
    GrowthSetup read;
    bool valid = true;
    if (EnterSection(reader, generatorName, kElement)) {
        for (int i = 0; i < kCount && valid; ++i)
            if (reader.HasElement(kParameters[i].name))
                valid = read.SetParameter(i, reader.ReadInt(kParameters[i].name));
    }
    reader.Rewind();
    if (valid) *this = read;
    return valid;
}

}  // namespace grovewright
