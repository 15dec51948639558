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

    // Element name, slider range and initial value of every value, in file order.
    struct Description {
        const char* name;
        ParameterRange range;
        int initial;
    };
    static const Description kValues[kValueCount];

    LeafSetup();

    int Get(Value v) const { return values_[v]; }
    // Takes the value only inside its slider's range; says whether it did.
    bool Set(Value v, long value);
    bool AddHorizontal() const { return addHorizontal_; }
    bool UseLeaf() const { return useLeaf_; }
    void SetAddHorizontal(bool on) { addHorizontal_ = on; }
    void SetUseLeaf(bool on) { useLeaf_ = on; }

    // "      <LeafSetup<index>>" ... "      </LeafSetup<index>>".
    void Write(TGXMLFileWriter& writer, int index) const;
    // Reads LeafSetup<index> inside the LeafCreator element: every value that is
    // present and in range replaces this one's, the others stay. False (nothing
    // changed) when the element is missing. Rewinds the reader.
    bool Read(TGXMLFileReader& reader, const std::string& creatorName, int index);

    bool operator==(const LeafSetup& o) const;
    bool operator!=(const LeafSetup& o) const { return !(*this == o); }

private:
    int values_[kValueCount];
    bool addHorizontal_ = false;
    bool useLeaf_ = false;
};

}  // namespace grovewright
