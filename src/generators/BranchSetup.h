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

    struct Description {
        const char* name;
        ParameterRange range;
        int initial;
    };
    static const Description kValues[kValueCount];
    static const char* const kFlagNames[kFlagCount];

    // complex: the page of the complex generator, whose OnlyTrunc starts set.
    explicit BranchSetup(bool complex = false);

    int Get(Value v) const { return values_[v]; }
    // Takes the value only inside its slider's range; says whether it did.
    bool Set(Value v, long value) { return SetInRange(values_[v], value, kValues[v].range); }
    bool Get(Flag f) const { return flags_[f]; }
    void Set(Flag f, bool on) { flags_[f] = on; }
    bool IsComplex() const { return complex_; }

    // "         <BranchSetup<level>>" with the values in file order.
    void Write(TGXMLFileWriter& writer, int level) const;
    // Reads the values of the working text (inside BranchSetup<level>) as the
    // file's loaded values: a refused value keeps its earlier content and makes
    // the result false; a missing Diameter takes baseDiameter; a missing flag
    // reads -1 and so loads as set.
    bool ReadValues(const TGXMLFileReader& reader, int baseDiameter);

    bool operator==(const BranchSetup& o) const;
    bool operator!=(const BranchSetup& o) const { return !(*this == o); }

private:
    bool complex_;
    int values_[kValueCount];
    bool flags_[kFlagCount] = {};
};

}  // namespace grovewright
