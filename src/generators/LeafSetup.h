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
        {"Height", "Height: ", ValueFormat::Metres, {0, 500}, 0, kStaleLeaves,
         "Length of the leaves, in metres (0 to 5.00 m); 0 takes the length of the segment they sit on."},
        {"Width", "Width: ", ValueFormat::Metres, {0, 500}, 0, kStaleLeaves,
         "Width of the leaves, in metres (0 to 5.00 m); 0 takes the length of the segment they sit on."},
        {"AddAngle", "Add Angle: ", ValueFormat::Integer, {-180, 180}, 0, kStaleLeaves,
         "How far the leaves rise from their branch, in degrees (-180 to 180)."},
        {"SplitAngle", "Split Angle: ", ValueFormat::Integer, {-90, 90}, 0, kStaleLeaves,
         "Bend along the leaf, in degrees per segment (-90 to 90): curls the leaf up or down."},
        {"SpreadAngle", "Spread Angle: ", ValueFormat::Integer, {-90, 90}, 0, kStaleLeaves,
         "Fold of the two halves of a leaf, in degrees (-90 to 90); only with Leaf split 3."},
        {"TwistAngle", "Twist Angle: ", ValueFormat::Integer, {0, 360}, 0, kStaleLeaves,
         "Turn of the leaves about their own axis, in degrees (0 to 360)."},
        {"OriAngle", "Ori Angle: ", ValueFormat::Integer, {0, 360}, 0, kStaleLeaves,
         "Turn of the leaves about their branch, in degrees (0 to 360)."},
        {"RelativAddDownTo", "Add down to: ", ValueFormat::Integer, {0, 20}, 0, kStaleLeaves,
         "How many levels below the outermost one also get leaves (0 to 20; 0: the outermost level only)."},
        {"RelAdd", "Rel. add: ", ValueFormat::Hundredths, {0, 100}, 100, kStaleLeaves,
         "Where on its segment a leaf sits, as a share of the segment's length (0 at its base to 1.00 at its tip)."},
        {"LeafSplit", "Leaf split: ", ValueFormat::Integer, {2, 3}, 2, kStaleLeaves,
         "Rows of the leaf's grid across (2 or 3); 3 lets the halves fold."},
        {"SegmentCount", "Segment count: ", ValueFormat::Integer, {1, 10}, 1, kStaleLeaves,
         "Segments of the leaf's grid along it (1 to 10): more bend smoothly and cost triangles."},
        {"AddHorizontal", "Add horiz.: ", ValueFormat::None, kFlagRange, 0, kStaleLeaves,
         "Places the leaves as if every segment were horizontal."},
        {"UseLeaf", "Use leaf: ", ValueFormat::None, kFlagRange, 0, kStaleLeaves,
         "This page puts one leaf on every segment of the levels it covers."},
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
