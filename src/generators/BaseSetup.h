#pragma once

#include <string>

namespace grovewright {

class TGXMLFileReader;
class TGXMLFileWriter;

// The inclusive range a parameter accepts from its slider and from a file.
struct ParameterRange {
    int min;
    int max;
    bool Contains(long value) const { return value >= min && value <= max; }
};

// Stores value into field when range holds it; otherwise leaves field alone.
// Returns whether the value was taken.
inline bool SetInRange(int& field, long value, ParameterRange range) {
    if (!range.Contains(value)) return false;
    field = static_cast<int>(value);
    return true;
}

// The ten parameters every tree has. Lengths in centimetres, angles in degrees,
// reductions in percent, all stored as the integers their sliders give.
class BaseSetup {
public:
    static constexpr ParameterRange kIteration{0, 20};
    static constexpr ParameterRange kHeight{0, 500};
    static constexpr ParameterRange kHeightReduction{0, 100};
    static constexpr ParameterRange kExtendTo{0, 20};
    static constexpr ParameterRange kObliqueAngle{0, 90};
    static constexpr ParameterRange kOrientationAngle{0, 360};
    static constexpr ParameterRange kDivision{3, 20};
    static constexpr ParameterRange kDiameter{1, 200};
    static constexpr ParameterRange kDiameterReduction{1, 100};
    static constexpr ParameterRange kFlag{0, 1};

    // Each setter ignores a value outside its range and says whether it took it.
    bool SetIteration(long v) { return SetInRange(iteration_, v, kIteration); }
    bool SetHeight(long v) { return SetInRange(height_, v, kHeight); }
    bool SetHeightReduction(long v) { return SetInRange(heightReduction_, v, kHeightReduction); }
    bool SetExtendTo(long v) { return SetInRange(extendTo_, v, kExtendTo); }
    bool SetObliqueAngle(long v) { return SetInRange(obliqueAngle_, v, kObliqueAngle); }
    bool SetOrientationAngle(long v) { return SetInRange(orientationAngle_, v, kOrientationAngle); }
    bool SetDivision(long v) { return SetInRange(division_, v, kDivision); }
    bool SetDiameter(long v) { return SetInRange(diameter_, v, kDiameter); }
    bool SetDiameterReduction(long v) { return SetInRange(diameterReduction_, v, kDiameterReduction); }
    void SetCut(bool cut) { cut_ = cut; }

    int Iteration() const { return iteration_; }
    int Height() const { return height_; }
    int HeightReduction() const { return heightReduction_; }
    int ExtendTo() const { return extendTo_; }
    int ObliqueAngle() const { return obliqueAngle_; }
    int OrientationAngle() const { return orientationAngle_; }
    int Division() const { return division_; }
    int Diameter() const { return diameter_; }
    int DiameterReduction() const { return diameterReduction_; }
    bool Cut() const { return cut_; }

    // The "      <BaseSetup>" block of a generator's section.
    void Write(TGXMLFileWriter& writer) const;
    // Reads the BaseSetup block inside the element generatorName. On success
    // stores all ten values and returns true; when the element, the block or any
    // value is missing or out of range, changes nothing and returns false. The
    // reader is rewound either way.
    bool Read(TGXMLFileReader& reader, const std::string& generatorName);

    bool operator==(const BaseSetup& o) const;
    bool operator!=(const BaseSetup& o) const { return !(*this == o); }

private:
    int iteration_ = 0;
    int height_ = 0;
    int heightReduction_ = 100;
    int extendTo_ = 0;
    int obliqueAngle_ = 0;
    int orientationAngle_ = 0;
    int division_ = 3;
    int diameter_ = 1;
    int diameterReduction_ = 100;
    bool cut_ = false;
};

// Narrows the reader to the section element ("BaseSetup", "CustomSetup") inside
// the generator's element. When either is missing the reader is rewound and the
// result is false.
bool EnterSection(TGXMLFileReader& reader, const std::string& generatorName, const char* section);

// Indentation of the project file: generator element, section, value lines.
inline constexpr const char* kGeneratorIndent = "   ";
inline constexpr const char* kSectionIndent = "      ";
inline constexpr const char* kValueIndent = "         ";

}  // namespace grovewright
