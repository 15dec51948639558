#pragma once

#include <string>

#include "generators/BaseSetup.h"

namespace grovewright {

// One leaf page's values: eleven slider integers and two flags. Lengths are in
// centimetres (shown as metres), angles in degrees, RelAdd in percent.
class LeafSetup {
public:
    enum Value {
        kHeight,
        kWidth,
        kAddAngle,
        kSplitAngle,
        kSpreadAngle,
        kTwistAngle,
        kOriAngle,
        kRelativAddDownTo,
        kRelAdd,
        kLeafSplit,
        kSegmentCount,
        kValueCount
    };

    enum Flag { kAddHorizontal = kValueCount, kUseLeaf, kCount };
    // In file order; an edit regenerates the leaves on the same skeleton.
    static constexpr Parameter kParameters[kCount] = {
        {"Height", "Height: ", ValueFormat::Metres, {0, 500}, 0, kStaleLeaves},
        {"Width", "Width: ", ValueFormat::Metres, {0, 500}, 0, kStaleLeaves},
        {"AddAngle", "Add Angle: ", ValueFormat::Integer, {-180, 180}, 0, kStaleLeaves},
        {"SplitAngle", "Split Angle: ", ValueFormat::Integer, {-90, 90}, 0, kStaleLeaves},
        {"SpreadAngle", "Spread Angle: ", ValueFormat::Integer, {-90, 90}, 0, kStaleLeaves},
        {"TwistAngle", "Twist Angle: ", ValueFormat::Integer, {0, 360}, 0, kStaleLeaves},
        {"OriAngle", "Ori Angle: ", ValueFormat::Integer, {0, 360}, 0, kStaleLeaves},
        {"RelativAddDownTo", "Add down to: ", ValueFormat::Integer, {0, 20}, 0, kStaleLeaves},
        {"RelAdd", "Rel. add: ", ValueFormat::Hundredths, {0, 100}, 100, kStaleLeaves},
        {"LeafSplit", "Leaf split: ", ValueFormat::Integer, {2, 3}, 2, kStaleLeaves},
        {"SegmentCount", "Segment count: ", ValueFormat::Integer, {1, 10}, 1, kStaleLeaves},
        {"AddHorizontal", "Add horiz.: ", ValueFormat::None, kFlagRange, 0, kStaleLeaves},
        {"UseLeaf", "Use leaf: ", ValueFormat::None, kFlagRange, 0, kStaleLeaves},
    };
    static constexpr ParameterRange Range(Value v) { return kParameters[v].range; }

    int Get(Value v) const { return values_.Get(v); }
    // Takes the value only inside its slider's range; says whether it did.
    bool Set(Value v, long value) { return values_.Set(v, value); }
    bool AddHorizontal() const { return values_.Get(kAddHorizontal) != 0; }
    bool UseLeaf() const { return values_.Get(kUseLeaf) != 0; }
    void SetAddHorizontal(bool on) { values_.Set(kAddHorizontal, on ? 1 : 0); }
    void SetUseLeaf(bool on) { values_.Set(kUseLeaf, on ? 1 : 0); }
    int GetParameter(int i) const { return values_.Get(i); }
    bool SetParameter(int i, long v) { return values_.Set(i, v); }

    // "      <LeafSetup<index>>" ... "      </LeafSetup<index>>".
    void Write(TGXMLFileWriter& writer, int index) const;
    // Reads LeafSetup<index> inside the LeafCreator element: every value that is
    // present and in range replaces this one's, the others stay. False (nothing
    // changed) when the element is missing. complete, when given, tells whether
    // every value was taken. Rewinds the reader.
    bool Read(TGXMLFileReader& reader, const std::string& creatorName, int index, bool* complete = nullptr);

    bool operator==(const LeafSetup& o) const { return values_ == o.values_; }
    bool operator!=(const LeafSetup& o) const { return !(*this == o); }

private:
    ParameterValues<kCount> values_{kParameters};
};

}  // namespace grovewright
