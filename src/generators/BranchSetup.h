#pragma once

#include <string>

#include "generators/BaseSetup.h"

namespace grovewright {

// One branch level of the regular and complex generators: eight slider values
// and the flags. Lengths in centimetres, reductions and RelativAdd in percent,
// angles in degrees, Diameter in centimetres.
class BranchSetup {
public:
    enum Value { kDiameter, kHeight, kHeightReduction, kRelativAdd, kAddFrom, kAddTo, kOriAngle, kAddAngle, kValueCount };
    enum Flag { kUseBranch, kCut, kOnlyTrunc, kTruncBranches, kUseTwist, kFlagCount };

    static constexpr int kCount = kValueCount + kFlagCount;
    // The values, then the flags (a flag's index is kValueCount + flag); every
    // edit regrows the tree.
    static constexpr Parameter kParameters[kCount] = {
        {"Diameter", "Diameter: ", ValueFormat::Hundredths, {1, 200}, 1, kStaleSkeleton},
        {"Height", "Height: ", ValueFormat::Metres, {0, 500}, 0, kStaleSkeleton},
        {"HeightReduction", "Heightred.: ", ValueFormat::Hundredths, {0, 100}, 100, kStaleSkeleton},
        {"RelativAdd", "Rel. add: ", ValueFormat::Hundredths, {0, 100}, 100, kStaleSkeleton},
        {"AddFrom", "Add from: ", ValueFormat::Integer, {0, 20}, 0, kStaleSkeleton},
        {"AddTo", "Add to: ", ValueFormat::Integer, {0, 20}, 20, kStaleSkeleton},
        {"OriAngle", "Ori angle: ", ValueFormat::Integer, {0, 360}, 0, kStaleSkeleton},
        {"AddAngle", "Add angle: ", ValueFormat::Integer, {-180, 180}, 0, kStaleSkeleton},
        {"UseBranch", "Use branch: ", ValueFormat::None, kFlagRange, 0, kStaleSkeleton},
        {"Cut", "Cut: ", ValueFormat::None, kFlagRange, 0, kStaleSkeleton},
        {"OnlyTrunc", "Only trunc: ", ValueFormat::None, kFlagRange, 0, kStaleSkeleton},
        {"TruncBranches", "Trunc/branches: ", ValueFormat::None, kFlagRange, 0, kStaleSkeleton},
        {"UseTwist", "Use twist: ", ValueFormat::None, kFlagRange, 0, kStaleSkeleton},
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

    // "         <BranchSetup<level>>" with the values in file order.
    void Write(TGXMLFileWriter& writer, int level) const;
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
