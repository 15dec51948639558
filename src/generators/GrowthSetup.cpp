#include "generators/GrowthSetup.h"

#include <cmath>

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

double GrowthSetup::CrownEnvelope(int shape, double depth) {
    constexpr double kPi = 3.14159265358979323846;
    // A flame is widest at this depth below its top.
    constexpr double kFlameWidest = 0.7;
    const double r = std::fmin(std::fmax(depth, 0.0), 1.0);
    switch (shape) {
        case kConical: return 0.2 + 0.8 * r;
        case kSpherical: return 0.2 + 0.8 * std::sin(kPi * r);
        case kHemispherical: return 0.2 + 0.8 * std::sin(0.5 * kPi * r);
        case kTaperedCylindrical: return 0.5 + 0.5 * r;
        case kFlame: return r <= kFlameWidest ? r / kFlameWidest : (1.0 - r) / (1.0 - kFlameWidest);
        case kInverseConical: return 1.0 - 0.8 * r;
        case kTendFlame:
            return r <= kFlameWidest ? 0.5 + 0.5 * r / kFlameWidest : 0.5 + 0.5 * (1.0 - r) / (1.0 - kFlameWidest);
        case kUmbrella: return 0.2 + 0.8 * std::sqrt(1.0 - r * r);
        default: return 1.0;
    }
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
