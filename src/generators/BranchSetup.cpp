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

bool BranchSetup::PlainForm() const {
    for (int i = kFileCount; i < kCount; ++i)
        if (GetParameter(i) != kParameters[i].initial) return false;
    return true;
}

void BranchSetup::ResetForm() {
    for (int i = kFileCount; i < kCount; ++i) SetParameter(i, kParameters[i].initial);
}

void BranchSetup::WriteForm(TGXMLFileWriter& writer, int level) const {
    if (PlainForm()) return;
    writer.WriteLine(std::string(kValueIndent) + "<" + FormChild(level) + ">");
    for (int i = kFileCount; i < kCount; ++i) writer.WriteValue(kBranchValueIndent, kParameters[i].name, GetParameter(i));
    writer.WriteLine(std::string(kValueIndent) + "</" + FormChild(level) + ">");
}

bool BranchSetup::ReadForm(TGXMLFileReader& reader, int level) {
    BranchSetup read = *this;
    read.ResetForm();
    // Page 1's child is found by its whole tag: "<Form1" also begins "<Form10>".
    if (reader.EnterWholeElement(FormChild(level))) {
        for (int i = kFileCount; i < kCount; ++i)
            if (reader.HasElement(kParameters[i].name) && !read.SetParameter(i, reader.ReadInt(kParameters[i].name)))
                return false;
    }
    *this = read;
    return true;
}

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
