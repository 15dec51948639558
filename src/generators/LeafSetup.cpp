#include "generators/LeafSetup.h"

#include "io/NumberFormat.h"
#include "io/TGXMLFileReader.h"
#include "io/TGXMLFileWriter.h"

namespace grovewright {

namespace {

std::string FoliageChild(int index) { return "Foliage" + FormatInt(index); }

// The value of parameter in the working text as it is told when it is refused
// (missing, unless it may be, or out of range); empty when it is taken.
std::string RefusedText(const TGXMLFileReader& reader, const Parameter& parameter, bool mayBeMissing) {
    std::string_view text;
    if (!reader.ReadText(parameter.name, text))
        return mayBeMissing ? std::string() : std::string(parameter.name) + " is missing";
    if (parameter.range.Contains(reader.ReadInt(parameter.name))) return {};
    return std::string(parameter.name) + " \"" + std::string(text) + "\" is not a number from " +
           FormatInt(parameter.range.min) + " to " + FormatInt(parameter.range.max);
}

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

std::string LeafSetup::RefusedValue(TGXMLFileReader& reader, const std::string& creatorName, int index) {
    std::string refused;
    if (EnterSection(reader, creatorName, ("LeafSetup" + FormatInt(index)).c_str()))
        for (int i = 0; i < kFileCount && refused.empty(); ++i) refused = RefusedText(reader, kParameters[i], false);
    reader.Rewind();
    return refused;
}

std::string LeafSetup::RefusedFoliageValue(TGXMLFileReader& reader, int index) {
    std::string refused;
    if (reader.EnterWholeElement(FoliageChild(index)))
        for (int i = kFileCount; i < kCount && refused.empty(); ++i)
            refused = RefusedText(reader, kParameters[i], true);
    return refused;
}

}  // namespace grovewright
