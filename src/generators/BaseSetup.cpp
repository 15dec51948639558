#include "generators/BaseSetup.h"

#include "io/TGXMLFileReader.h"
#include "io/TGXMLFileWriter.h"

namespace grovewright {

void BaseSetup::Write(TGXMLFileWriter& writer) const {
    writer.WriteLine(std::string(kSectionIndent) + "<BaseSetup>");
    writer.WriteValue(kValueIndent, "Iteration", iteration_);
    writer.WriteValue(kValueIndent, "Height", height_);
    writer.WriteValue(kValueIndent, "HeightReduction", heightReduction_);
    writer.WriteValue(kValueIndent, "ExtendTo", extendTo_);
    writer.WriteValue(kValueIndent, "ObliqueAngle", obliqueAngle_);
    writer.WriteValue(kValueIndent, "OrientationAngle", orientationAngle_);
    writer.WriteValue(kValueIndent, "Division", division_);
    writer.WriteValue(kValueIndent, "Diameter", diameter_);
    writer.WriteValue(kValueIndent, "DiameterReduction", diameterReduction_);
    writer.WriteValue(kValueIndent, "Cut", cut_ ? 1 : 0);
    writer.WriteLine(std::string(kSectionIndent) + "</BaseSetup>");
}

bool EnterSection(TGXMLFileReader& reader, const std::string& generatorName, const char* section) {
    if (reader.EnterElement(generatorName) && reader.EnterElement(section)) return true;
    reader.Rewind();
    return false;
}

bool BaseSetup::Read(TGXMLFileReader& reader, const std::string& generatorName) {
    if (!EnterSection(reader, generatorName, "BaseSetup")) return false;
    BaseSetup read;
    const bool valid = read.SetIteration(reader.ReadInt("Iteration")) &&
                       read.SetHeight(reader.ReadInt("Height")) &&
                       read.SetHeightReduction(reader.ReadInt("HeightReduction")) &&
                       read.SetExtendTo(reader.ReadInt("ExtendTo")) &&
                       read.SetObliqueAngle(reader.ReadInt("ObliqueAngle")) &&
                       read.SetOrientationAngle(reader.ReadInt("OrientationAngle")) &&
                       read.SetDivision(reader.ReadInt("Division")) &&
                       read.SetDiameter(reader.ReadInt("Diameter")) &&
                       read.SetDiameterReduction(reader.ReadInt("DiameterReduction"));
    const long cut = reader.ReadInt("Cut");
    reader.Rewind();
    if (!valid || !kFlag.Contains(cut)) return false;
    read.cut_ = cut != 0;
    *this = read;
    return true;
}

bool BaseSetup::operator==(const BaseSetup& o) const {
    return iteration_ == o.iteration_ && height_ == o.height_ && heightReduction_ == o.heightReduction_ &&
           extendTo_ == o.extendTo_ && obliqueAngle_ == o.obliqueAngle_ &&
           orientationAngle_ == o.orientationAngle_ && division_ == o.division_ && diameter_ == o.diameter_ &&
           diameterReduction_ == o.diameterReduction_ && cut_ == o.cut_;
}

}  // namespace grovewright
