#pragma once

#include <string>

#include "generators/BaseSetup.h"

namespace grovewright {

// One leaf page's values: eleven slider integers and two flags, which the
// LeafSetup element holds, then the foliage values (leaves along a shoot, leaf
// by leaf variation, leaflets), which the project file keeps in the leaf
// section's FoliageSetup element. Lengths are in centimetres (shown as metres),
// angles in degrees, RelAdd and the shares in percent.
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

    enum Flag { kAddHorizontal = kValueCount, kUseLeaf, kFileCount };
    enum Foliage {
        kShootLeaves = kFileCount,
        kArrangement,
        kSizeVariation,
        kAngleVariation,
        kLightnessVariation,
        kHueVariation,
        kLeaflets,
        kLeafletLength,
        kLeafletWidth,
        kAboveGround,
        kCrossed,
        kCount
    };
    // The arrangements of leaves along a shoot.
    enum Arrangement { kSpiral, kAlternate, kOpposite, kWhorled };
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
        {"ShootLeaves", "Leaves/shoot: ", ValueFormat::Integer, {1, 64}, 1, kStaleLeaves,
         "How many leaves this page puts on every shoot (1 to 64), spread from the Rel. add place to the tip "
         "and turned about the shoot as Arrangement says."},
        {"Arrangement", "Arrangement: ", ValueFormat::Integer, {0, 3}, 0, kStaleLeaves,
         "How the leaves along a shoot turn about it (0 to 3): 0 spiral (137.5 degrees from leaf to leaf), 1 "
         "alternate (180), 2 opposite pairs (each pair a quarter turn from the last), 3 whorls of three."},
        {"SizeVariation", "Size var. %: ", ValueFormat::Integer, {0, 100}, 0, kStaleLeaves,
         "How much each leaf's size differs from the page's, in percent (0 to 100): 30 makes every leaf between "
         "0.70 and 1.30 times as large. Drawn from the Growth seed."},
        {"AngleVariation", "Angle var.: ", ValueFormat::Integer, {0, 90}, 0, kStaleLeaves,
         "How far each leaf's rise and turn about its shoot differ from the page's, in degrees (0 to 90)."},
        {"LightnessVariation", "Lightness var. %: ", ValueFormat::Integer, {0, 100}, 0, kStaleLeaves,
         "How much darker than the texture a leaf may be, in percent (0 to 100): every leaf gets its own shade."},
        {"HueVariation", "Hue var. %: ", ValueFormat::Integer, {0, 100}, 0, kStaleLeaves,
         "How far each leaf's colour leans toward yellow or toward blue, in percent (0 to 100)."},
        {"Leaflets", "Leaflet pairs: ", ValueFormat::Integer, {0, 40}, 0, kStaleLeaves,
         "Makes the leaf compound (0 to 40): this many pairs of leaflets along its spine instead of one blade, "
         "as a palm frond or an ash leaf. 0: a simple leaf."},
        {"LeafletLength", "Leaflet length %: ", ValueFormat::Integer, {1, 100}, 30, kStaleLeaves,
         "Length of the longest leaflets as a share of the leaf's length, in percent (1 to 100)."},
        {"LeafletWidth", "Leaflet width %: ", ValueFormat::Integer, {1, 100}, 20, kStaleLeaves,
         "Width of the leaflets as a share of the leaf's width, in percent (1 to 100)."},
        {"AboveGround", "Above ground: ", ValueFormat::None, kFlagRange, 0, kStaleLeaves,
         "Lifts every leaf that would reach below the ground just onto it."},
        {"Crossed", "Crossed: ", ValueFormat::None, kFlagRange, 0, kStaleLeaves,
         "Every leaf or card is drawn twice, the second turned a quarter about its midrib, so that a card seen "
         "edge-on still shows (twice the leaf triangles). Not for compound leaves."},
    };
    static constexpr ParameterRange Range(int v) { return kParameters[v].range; }

    int Get(int v) const { return values_.Get(v); }
    // Takes the value only inside its slider's range; says whether it did.
    bool Set(int v, long value) { return values_.Set(v, value); }
    bool AddHorizontal() const { return values_.Get(kAddHorizontal) != 0; }
    bool UseLeaf() const { return values_.Get(kUseLeaf) != 0; }
    void SetAddHorizontal(bool on) { values_.Set(kAddHorizontal, on ? 1 : 0); }
    void SetUseLeaf(bool on) { values_.Set(kUseLeaf, on ? 1 : 0); }
    int GetParameter(int i) const { return values_.Get(i); }
    bool SetParameter(int i, long v) { return values_.Set(i, v); }

    // The foliage values are all at their defaults.
    bool PlainFoliage() const;
    void ResetFoliage();
    // Leaves vary in colour from leaf to leaf.
    bool Tinted() const { return Get(kLightnessVariation) > 0 || Get(kHueVariation) > 0; }

    // "      <LeafSetup<index>>" ... "      </LeafSetup<index>>" with the values up to UseLeaf.
    void Write(TGXMLFileWriter& writer, int index) const;
    // Reads LeafSetup<index> inside the LeafCreator element: every value that is
    // present and in range replaces this one's, the others stay. False (nothing
    // changed) when the element is missing. complete, when given, tells whether
    // every value was taken. Rewinds the reader.
    bool Read(TGXMLFileReader& reader, const std::string& creatorName, int index, bool* complete = nullptr);
    // The page's "<Foliage<index>>" child of FoliageSetup, written only when a
    // foliage value differs from its default.
    void WriteFoliage(TGXMLFileWriter& writer, int index) const;
    // Reads the foliage values from the working text (inside FoliageSetup, or
    // none), which it may narrow: a page without its child gets the defaults, a
    // value missing from it keeps its default. False, changing nothing, when a
    // value is out of range.
    bool ReadFoliage(TGXMLFileReader& reader, int index);
    // The first value that Read (of LeafSetup<index> in the creator's element)
    // or ReadFoliage (in the working text) did not take, told as
    // `ShootLeaves "65" is not a number from 1 to 64` or `Height is missing`;
    // empty when each was taken.
    static std::string RefusedValue(TGXMLFileReader& reader, const std::string& creatorName, int index);
    static std::string RefusedFoliageValue(TGXMLFileReader& reader, int index);

    bool operator==(const LeafSetup& o) const { return values_ == o.values_; }
    bool operator!=(const LeafSetup& o) const { return !(*this == o); }

private:
    ParameterValues<kCount> values_{kParameters};
};

}  // namespace grovewright
