#include "generators/BranchSetup.h"

#include <initializer_list>

#include "io/NumberFormat.h"
#include "io/TGXMLFileReader.h"
#include "io/TGXMLFileWriter.h"

namespace grovewright {

namespace {

constexpr const char* kBranchValueIndent = "            ";

std::string FormChild(int level) { return "Form" + FormatInt(level); }

// The file order of a level's entries, as indices into the table.
using B = BranchSetup;
constexpr int kRegularOrder[] = {B::kHeight,  B::kHeightReduction, B::kRelativAdd,
                                 B::kAddFrom, B::kAddTo,           B::kAddAngle,
                                 B::kOriAngle, B::FlagIndex(B::kUseBranch), B::kDiameter,
                                 B::FlagIndex(B::kCut)};
constexpr int kComplexOrder[] = {B::kHeight,  B::kHeightReduction, B::kRelativAdd,
                                 B::kAddFrom, B::kAddTo,           B::kAddAngle,
                                 B::kOriAngle, B::FlagIndex(B::kOnlyTrunc), B::FlagIndex(B::kTruncBranches),
                                 B::FlagIndex(B::kUseTwist), B::FlagIndex(B::kUseBranch), B::kDiameter,
                                 B::FlagIndex(B::kCut)};

template <typename F>
void ForEachEntry(bool complex, F&& f) {
    if (complex)
        for (int i : kComplexOrder) f(i);
    else
        for (int i : kRegularOrder) f(i);
}

}  // namespace

BranchSetup::BranchSetup(bool complex) : complex_(complex) { Set(kOnlyTrunc, complex); }

void BranchSetup::Write(TGXMLFileWriter& writer, int level) const {
    writer.WriteLine(std::string(kValueIndent) + "<BranchSetup" + FormatInt(level) + ">");
    ForEachEntry(complex_, [&](int i) { writer.WriteValue(kBranchValueIndent, kParameters[i].name, GetParameter(i)); });
    writer.WriteLine(std::string(kValueIndent) + "</BranchSetup" + FormatInt(level) + ">");
}

bool BranchSetup::PlainForm() const { return PlainExtension(*this); }

void BranchSetup::ResetForm() { ResetExtension(*this); }

void BranchSetup::WriteForm(TGXMLFileWriter& writer, int level) const { WriteExtension(writer, FormChild(level), *this); }

bool BranchSetup::ReadForm(TGXMLFileReader& reader, int level) { return ReadExtension(reader, FormChild(level), *this); }

bool BranchSetup::ReadValues(const TGXMLFileReader& reader, int baseDiameter) {
    bool accepted = true;
    ForEachEntry(complex_, [&](int i) {
        long value = reader.ReadInt(kParameters[i].name);
        if (kParameters[i].IsFlag()) {
            SetParameter(i, value != 0);
            return;
        }
        if (i == kDiameter && value == -1) value = baseDiameter;
        accepted = SetParameter(i, value) && accepted;
    });
    return accepted;
}

}  // namespace grovewright
