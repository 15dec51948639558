#pragma once

#include <string>

#include "generators/BaseSetup.h"

namespace grovewright {

// One branch level of the regular and complex generators: eight slider values
// and the flags, which the BranchSetup element holds, then the form values
// (laterals per parent, their spread and turn, the angle's change along the
// parent), which the project file keeps in the generator's BranchForms element.
// Lengths in centimetres, reductions, RelativAdd and SpreadTo in percent, angles
// in degrees, Diameter in centimetres.
class BranchSetup {
public:
    enum Value { kDiameter, kHeight, kHeightReduction, kRelativAdd, kAddFrom, kAddTo, kOriAngle, kAddAngle, kValueCount };
    enum Flag { kUseBranch, kCut, kOnlyTrunc, kTruncBranches, kUseTwist, kFlagCount };
    static constexpr int kFileCount = kValueCount + kFlagCount;
    enum Form { kLaterals = kFileCount, kSpreadTo, kDivergence, kAngleChange, kCount };

    // The values, then the flags (a flag's index is kValueCount + flag), then the
    // form values; every edit regrows the tree.
    static constexpr Parameter kParameters[kCount] = {
        {"Diameter", "Diameter: ", ValueFormat::Hundredths, {1, 200}, 1, kStaleSkeleton,
         "Thickest this level's branches may be, in metres (0.01 to 2.00 m); never thicker than their parent where "
         "they sit."},
        {"Height", "Height: ", ValueFormat::Metres, {0, 500}, 0, kStaleSkeleton,
         "Length of this level's branches, in metres (0 to 5.00 m); 0 takes the length of the parent segment."},
        {"HeightReduction", "Heightred.: ", ValueFormat::Hundredths, {0, 100}, 100, kStaleSkeleton,
         "Each branch is shorter by this factor for every level its parent sits above the trunk (0 to 1.00): 0.85 "
         "gives the cone of a conifer."},
        {"RelativAdd", "Rel. add: ", ValueFormat::Hundredths, {0, 100}, 100, kStaleSkeleton,
         "Where on its parent a branch starts, as a share of the parent's length (0 at its base to 1.00 at its tip)."},
        {"AddFrom", "Add from: ", ValueFormat::Integer, {0, 20}, 0, kStaleSkeleton,
         "The lowest level whose segments get this page's branches (0 to 20; 0 is the trunk)."},
        {"AddTo", "Add to: ", ValueFormat::Integer, {0, 20}, 20, kStaleSkeleton,
         "The highest level whose segments get this page's branches (0 to 20)."},
        {"OriAngle", "Ori angle: ", ValueFormat::Integer, {0, 360}, 0, kStaleSkeleton,
         "Turn of the branches about their parent's axis, in degrees (0 to 360): pages at 0, 120 and 240 make a "
         "whorl."},
        {"AddAngle", "Add angle: ", ValueFormat::Integer, {-180, 180}, 0, kStaleSkeleton,
         "Lean of the branches away from their parent's axis, in degrees (-180 to 180)."},
        {"UseBranch", "Use branch: ", ValueFormat::None, kFlagRange, 0, kStaleSkeleton,
         "This page adds one branch to every segment of the levels from Add from to Add to."},
        {"Cut", "Cut: ", ValueFormat::None, kFlagRange, 0, kStaleSkeleton,
         "Closes the ends of this level's branches with caps."},
        {"OnlyTrunc", "Only trunc: ", ValueFormat::None, kFlagRange, 0, kStaleSkeleton,
         "Branches grow on the trunk pieces only."},
        {"TruncBranches", "Trunc/branches: ", ValueFormat::None, kFlagRange, 0, kStaleSkeleton,
         "Without Only trunc: branches grow on trunk pieces and branches alike (else on branches only)."},
        {"UseTwist", "Use twist: ", ValueFormat::None, kFlagRange, 0, kStaleSkeleton,
         "Turns each level's branches a further 137.5 degrees, so that they spiral up instead of standing in rows."},
        {"Laterals", "Laterals: ", ValueFormat::Integer, {1, 64}, 1, kStaleSkeleton,
         "How many branches this page gives every parent (1 to 64), spread along it from the Rel. add place to "
         "the Spread to place and turned by Divergence from one to the next."},
        {"SpreadTo", "Spread to: ", ValueFormat::Hundredths, {0, 100}, 100, kStaleSkeleton,
         "Where on its parent the last of several laterals starts, as a share of the parent's length (0 to 1.00)."},
        {"Divergence", "Divergence: ", ValueFormat::Integer, {0, 360}, 137, kStaleSkeleton,
         "Turn about the parent from one lateral to the next, in degrees (0 to 360): 137 spirals them, 180 gives "
         "two rows, 90 four."},
        {"AngleChange", "Angle change: ", ValueFormat::Integer, {-90, 90}, 0, kStaleSkeleton,
         "How much the Add angle grows from the parent's base to its tip, in degrees (-90 to 90): on a trunk, a "
         "negative value lets the upper branches rise while the lower ones spread."},
    };
    static constexpr int FlagIndex(Flag f) { return kValueCount + f; }
    static constexpr ParameterRange Range(Value v) { return kParameters[v].range; }

    // complex: the page of the complex generator, whose OnlyTrunc starts set.
    explicit BranchSetup(bool complex = false);

    int Get(Value v) const { return values_.Get(v); }
    // Takes the value only inside its slider's range; says whether it did.
    bool Set(Value v, long value) { return values_.Set(v, value); }
    bool Get(Flag f) const { return values_.Get(FlagIndex(f)) != 0; }
    void Set(Flag f, bool on) { values_.Set(FlagIndex(f), on ? 1 : 0); }
    int GetParameter(int i) const { return values_.Get(i); }
    bool SetParameter(int i, long v) { return values_.Set(i, v); }
    bool IsComplex() const { return complex_; }

    // The form values are all at their defaults.
    bool PlainForm() const;
    void ResetForm();

    // "         <BranchSetup<level>>" with the values in file order.
    void Write(TGXMLFileWriter& writer, int level) const;
    // The page's "<Form<level>>" child of BranchForms, written only when a form
    // value differs from its default.
    void WriteForm(TGXMLFileWriter& writer, int level) const;
    // Reads the form values from the working text (inside BranchForms, or none),
    // which it may narrow: a page without its child gets the defaults, a value
    // missing from it keeps its default. False, changing nothing, when a value
    // is out of range.
    bool ReadForm(TGXMLFileReader& reader, int level);
    // Reads the values of the working text (inside BranchSetup<level>) as the
    // file's loaded values: a refused value keeps its earlier content and makes
    // the result false; a missing Diameter takes baseDiameter; a missing flag
    // reads -1 and so loads as set.
    bool ReadValues(const TGXMLFileReader& reader, int baseDiameter);

    bool operator==(const BranchSetup& o) const { return complex_ == o.complex_ && values_ == o.values_; }
    bool operator!=(const BranchSetup& o) const { return !(*this == o); }

private:
    bool complex_;
    ParameterValues<kCount> values_{kParameters};
};

}  // namespace grovewright
