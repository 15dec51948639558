#include "generators/BranchSetup.h"

#include <initializer_list>

#include "io/NumberFormat.h"
#include "io/TGXMLFileReader.h"
#include "io/TGXMLFileWriter.h"

namespace grovewright {

namespace {

constexpr const char* kBranchValueIndent = "            ";

// The file order of a level's entries, each a value or a flag.
struct Entry {
    bool isFlag;
    int index;
};
using B = BranchSetup;
const Entry kRegularOrder[] = {{false, B::kHeight},   {false, B::kHeightReduction}, {false, B::kRelativAdd},
                               {false, B::kAddFrom},  {false, B::kAddTo},           {false, B::kAddAngle},
                               {false, B::kOriAngle}, {true, B::kUseBranch},        {false, B::kDiameter},
                               {true, B::kCut}};
const Entry kComplexOrder[] = {{false, B::kHeight},       {false, B::kHeightReduction}, {false, B::kRelativAdd},
                               {false, B::kAddFrom},      {false, B::kAddTo},           {false, B::kAddAngle},
                               {false, B::kOriAngle},     {true, B::kOnlyTrunc},        {true, B::kTruncBranches},
                               {true, B::kUseTwist},      {true, B::kUseBranch},        {false, B::kDiameter},
                               {true, B::kCut}};

template <typename F>
void ForEachEntry(bool complex, F&& f) {
    if (complex)
        for (const Entry& e : kComplexOrder) f(e);
    else
        for (const Entry& e : kRegularOrder) f(e);
}

}  // namespace

const BranchSetup::Description BranchSetup::kValues[kValueCount] = {
    {"Diameter", {1, 200}, 1},   {"Height", {0, 500}, 0}, {"HeightReduction", {0, 100}, 100},
    {"RelativAdd", {0, 100}, 100}, {"AddFrom", {0, 20}, 0}, {"AddTo", {0, 20}, 20},
    {"OriAngle", {0, 360}, 0},   {"AddAngle", {-180, 180}, 0},
};

const char* const BranchSetup::kFlagNames[kFlagCount] = {"UseBranch", "Cut", "OnlyTrunc", "TruncBranches",
                                                         "UseTwist"};

BranchSetup::BranchSetup(bool complex) : complex_(complex) {
    for (int v = 0; v < kValueCount; ++v) values_[v] = kValues[v].initial;
    flags_[kOnlyTrunc] = complex;
}

void BranchSetup::Write(TGXMLFileWriter& writer, int level) const {
    writer.WriteLine(std::string(kValueIndent) + "<BranchSetup" + FormatInt(level) + ">");
    ForEachEntry(complex_, [&](const Entry& e) {
        if (e.isFlag)
            writer.WriteValue(kBranchValueIndent, kFlagNames[e.index], flags_[e.index] ? 1 : 0);
        else
            writer.WriteValue(kBranchValueIndent, kValues[e.index].name, values_[e.index]);
    });
    writer.WriteLine(std::string(kValueIndent) + "</BranchSetup" + FormatInt(level) + ">");
}

bool BranchSetup::ReadValues(const TGXMLFileReader& reader, int baseDiameter) {
    bool accepted = true;
    ForEachEntry(complex_, [&](const Entry& e) {
        if (e.isFlag) {
            flags_[e.index] = reader.ReadInt(kFlagNames[e.index]) != 0;
            return;
        }
        long value = reader.ReadInt(kValues[e.index].name);
        if (e.index == kDiameter && value == -1) value = baseDiameter;
        accepted = Set(static_cast<Value>(e.index), value) && accepted;
    });
    return accepted;
}

bool BranchSetup::operator==(const BranchSetup& o) const {
    for (int v = 0; v < kValueCount; ++v)
        if (values_[v] != o.values_[v]) return false;
    for (int f = 0; f < kFlagCount; ++f)
        if (flags_[f] != o.flags_[f]) return false;
    return complex_ == o.complex_;
}

}  // namespace grovewright
