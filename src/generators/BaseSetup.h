#pragma once

#include <string>

#include "generators/ParameterTable.h"
#include "io/TGXMLFileReader.h"
#include "io/TGXMLFileWriter.h"

namespace grovewright {

// The ten parameters every tree has. Lengths in centimetres, angles in degrees,
// reductions in percent, all stored as the integers their sliders give.
class BaseSetup {
public:
    enum Index {
        kIteration,
        kHeight,
        kHeightReduction,
        kExtendTo,
        kObliqueAngle,
        kOrientationAngle,
        kDivision,
        kDiameter,
        kDiameterReduction,
        kCut,
        kCount
    };
    // In file order. The tilt and turn are applied when drawing, the division
    // only meshes; everything else changes the skeleton.
    static constexpr Parameter kParameters[kCount] = {
        {"Iteration", "Iteration: ", ValueFormat::Integer, {0, 20}, 0, kStaleSkeleton,
         "How many levels of branches grow above the trunk (0 to 20). Each level adds branches to the one below, so "
         "the tree roughly doubles per level."},
        {"Height", "Height: ", ValueFormat::Metres, {0, 500}, 0, kStaleSkeleton,
         "Height of the trunk, in metres (0 to 5.00 m). Branch lengths follow from it."},
        {"HeightReduction", "Heightred.: ", ValueFormat::Hundredths, {0, 100}, 100, kStaleSkeleton,
         "Length of each branch level as a share of its parent's (0 to 1.00). Low values give a compact crown, 1.00 "
         "branches as long as the trunk."},
        {"ExtendTo", "Extend to: ", ValueFormat::Integer, {0, 20}, 0, kStaleSkeleton,
         "How many trunk pieces continue the trunk straight up through the levels (0 to 20), as the leader of a "
         "conifer."},
        {"ObliqueAngle", "Oblique: ", ValueFormat::Integer, {0, 90}, 0, kStaleView,
         "Tilt of the whole tree away from the vertical, in degrees (0 to 90). Changes only how it is drawn and "
         "exported."},
        {"OrientationAngle", "Ori: ", ValueFormat::Integer, {0, 360}, 0, kStaleView,
         "Turn of the whole tree about the vertical, in degrees (0 to 360). Changes only how it is drawn and "
         "exported."},
        {"Division", "Division: ", ValueFormat::Integer, {3, 20}, 3, kStaleTreeMesh,
         "Number of sides of every branch's tube (3 to 20). More sides: rounder branches and more triangles."},
        {"Diameter", "Diameter: ", ValueFormat::Metres, {1, 200}, 1, kStaleSkeleton,
         "Thickness of the trunk at the ground, in metres (0.01 to 2.00 m)."},
        {"DiameterReduction", "DiameterRed.: ", ValueFormat::Hundredths, {1, 100}, 100, kStaleSkeleton,
         "How thick a branch is at its tip, as a share of its base (0.01 to 1.00); each level gets thinner by it "
         "too."},
        {"Cut", "Cut: ", ValueFormat::None, kFlagRange, 0, kStaleSkeleton,
         "Closes the cut end of the trunk with a cap."},
    };
    static constexpr ParameterRange Range(Index i) { return kParameters[i].range; }

    // The view keeps its own copies of the values its mesh builder uses and
    // accepts them by its own, looser rule: only what the mesh cannot do without.
    struct ViewRule {
        ParameterRange diameter, diameterReduction, division, orientationAngle, obliqueAngle;
    };
    static constexpr int kUnbounded = 0x7fffffff;
    static constexpr ViewRule kViewRule{{1, kUnbounded}, {1, kUnbounded}, {3, kUnbounded}, {0, kUnbounded}, {0, 90}};

    int GetParameter(int i) const { return values_.Get(i); }
    // Ignores a value outside the parameter's range and says whether it took it.
    bool SetParameter(int i, long v) { return values_.Set(i, v); }

    bool SetIteration(long v) { return SetParameter(kIteration, v); }
    bool SetHeight(long v) { return SetParameter(kHeight, v); }
    bool SetHeightReduction(long v) { return SetParameter(kHeightReduction, v); }
    bool SetExtendTo(long v) { return SetParameter(kExtendTo, v); }
    bool SetObliqueAngle(long v) { return SetParameter(kObliqueAngle, v); }
    bool SetOrientationAngle(long v) { return SetParameter(kOrientationAngle, v); }
    bool SetDivision(long v) { return SetParameter(kDivision, v); }
    bool SetDiameter(long v) { return SetParameter(kDiameter, v); }
    bool SetDiameterReduction(long v) { return SetParameter(kDiameterReduction, v); }
    void SetCut(bool cut) { SetParameter(kCut, cut ? 1 : 0); }

    int Iteration() const { return GetParameter(kIteration); }
    int Height() const { return GetParameter(kHeight); }
    int HeightReduction() const { return GetParameter(kHeightReduction); }
    int ExtendTo() const { return GetParameter(kExtendTo); }
    int ObliqueAngle() const { return GetParameter(kObliqueAngle); }
    int OrientationAngle() const { return GetParameter(kOrientationAngle); }
    int Division() const { return GetParameter(kDivision); }
    int Diameter() const { return GetParameter(kDiameter); }
    int DiameterReduction() const { return GetParameter(kDiameterReduction); }
    bool Cut() const { return GetParameter(kCut) != 0; }

    // The "      <BaseSetup>" block of a generator's section.
    void Write(TGXMLFileWriter& writer) const;
    // Reads the BaseSetup block inside the element generatorName. On success
    // stores all ten values and returns true; when the element, the block or any
    // value is missing or out of range, changes nothing and returns false. The
    // reader is rewound either way.
    bool Read(TGXMLFileReader& reader, const std::string& generatorName);

    bool operator==(const BaseSetup& o) const { return values_ == o.values_; }
    bool operator!=(const BaseSetup& o) const { return !(*this == o); }

private:
    ParameterValues<kCount> values_{kParameters};
};

// Narrows the reader to the section element ("BaseSetup", "CustomSetup") inside
// the generator's element. When either is missing the reader is rewound and the
// result is false.
bool EnterSection(TGXMLFileReader& reader, const std::string& generatorName, const char* section);

// Writes every value of a table's record as a value line, in table order.
template <typename Record>
void WriteParameters(TGXMLFileWriter& writer, const char* indent, const Record& record) {
    for (int i = 0; i < Record::kCount; ++i)
        writer.WriteValue(indent, Record::kParameters[i].name, record.GetParameter(i));
}
// Reads every value of a table's record from the working text; stores them all
// and returns true only when every one is present and in range.
template <typename Record>
bool ReadAllParameters(const TGXMLFileReader& reader, Record& record) {
    Record read;
    for (int i = 0; i < Record::kCount; ++i)
        if (!read.SetParameter(i, reader.ReadInt(Record::kParameters[i].name))) return false;
    record = read;
    return true;
}

// Indentation of the project file: generator element, section, value lines.
inline constexpr const char* kGeneratorIndent = "   ";
inline constexpr const char* kSectionIndent = "      ";
inline constexpr const char* kValueIndent = "         ";
// The values a record has beyond its file's element (kFileCount .. kCount - 1),
// which the project file keeps in a child element of an element of their own,
// "<child>" found by its whole tag (child 1 must not be taken for child 10).

template <typename Record>
bool PlainExtension(const Record& record) {
    for (int i = Record::kFileCount; i < Record::kCount; ++i)
        if (record.GetParameter(i) != Record::kParameters[i].initial) return false;
    return true;
}
template <typename Record>
void ResetExtension(Record& record) {
    for (int i = Record::kFileCount; i < Record::kCount; ++i) record.SetParameter(i, Record::kParameters[i].initial);
}
// The child at the value indentation with its values one step inside, written
// only when one of them differs from its default.
template <typename Record>
void WriteExtension(TGXMLFileWriter& writer, const std::string& child, const Record& record) {
    if (PlainExtension(record)) return;
    const std::string inside = std::string(kValueIndent) + "   ";
    writer.WriteLine(std::string(kValueIndent) + "<" + child + ">");
    for (int i = Record::kFileCount; i < Record::kCount; ++i)
        writer.WriteValue(inside.c_str(), Record::kParameters[i].name, record.GetParameter(i));
    writer.WriteLine(std::string(kValueIndent) + "</" + child + ">");
}
// Reads the values from the working text, which it may narrow: without the child
// they are the defaults, a value missing from it keeps its default. False,
// changing nothing, when a value is out of range.
template <typename Record>
bool ReadExtension(TGXMLFileReader& reader, const std::string& child, Record& record) {
    Record read = record;
    ResetExtension(read);
    if (reader.EnterWholeElement(child)) {
        for (int i = Record::kFileCount; i < Record::kCount; ++i)
            if (reader.HasElement(Record::kParameters[i].name) &&
                !read.SetParameter(i, reader.ReadInt(Record::kParameters[i].name)))
                return false;
    }
    record = read;
    return true;
}

}  // namespace grovewright
