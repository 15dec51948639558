#include "generators/LeafSetup.h"

#include "io/NumberFormat.h"
#include "io/TGXMLFileReader.h"
#include "io/TGXMLFileWriter.h"

namespace grovewright {

const LeafSetup::Description LeafSetup::kValues[kValueCount] = {
    {"Height", {0, 500}, 0},         {"Width", {0, 500}, 0},       {"AddAngle", {-180, 180}, 0},
    {"SplitAngle", {-90, 90}, 0},    {"SpreadAngle", {-90, 90}, 0}, {"TwistAngle", {0, 360}, 0},
    {"OriAngle", {0, 360}, 0},       {"RelativAddDownTo", {0, 20}, 0}, {"RelAdd", {0, 100}, 100},
    {"LeafSplit", {2, 3}, 2},        {"SegmentCount", {1, 10}, 1},
};

LeafSetup::LeafSetup() {
    for (int v = 0; v < kValueCount; ++v) values_[v] = kValues[v].initial;
}

bool LeafSetup::Set(Value v, long value) { return SetInRange(values_[v], value, kValues[v].range); }

void LeafSetup::Write(TGXMLFileWriter& writer, int index) const {
    writer.Write(std::string(kSectionIndent) + "<LeafSetup");
    writer.Write(FormatInt(index));
    writer.WriteLine(">");
    for (int v = 0; v < kValueCount; ++v) writer.WriteValue(kValueIndent, kValues[v].name, values_[v]);
    writer.WriteValue(kValueIndent, "AddHorizontal", addHorizontal_ ? 1 : 0);
    writer.WriteValue(kValueIndent, "UseLeaf", useLeaf_ ? 1 : 0);
    writer.WriteLine(std::string(kSectionIndent) + "</LeafSetup" + FormatInt(index) + ">");
}

bool LeafSetup::Read(TGXMLFileReader& reader, const std::string& creatorName, int index) {
    if (!EnterSection(reader, creatorName, ("LeafSetup" + FormatInt(index)).c_str())) return false;
    for (int v = 0; v < kValueCount; ++v) Set(static_cast<Value>(v), reader.ReadInt(kValues[v].name));
    const long addHorizontal = reader.ReadInt("AddHorizontal");
    const long useLeaf = reader.ReadInt("UseLeaf");
    if (BaseSetup::kFlag.Contains(addHorizontal)) addHorizontal_ = addHorizontal != 0;
    if (BaseSetup::kFlag.Contains(useLeaf)) useLeaf_ = useLeaf != 0;
    reader.Rewind();
    return true;
}

bool LeafSetup::operator==(const LeafSetup& o) const {
    for (int v = 0; v < kValueCount; ++v)
        if (values_[v] != o.values_[v]) return false;
    return addHorizontal_ == o.addHorizontal_ && useLeaf_ == o.useLeaf_;
}

}  // namespace grovewright
