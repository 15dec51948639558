#pragma once

#include "generators/TreeGeneratorModel.h"

namespace grovewright {

// The simple generator's own parameters.
class SimpleSetup {
public:
    enum Index { kBalance, kSpreadAngle, kTwistAngle, kBalanceDependence, kCut, kDiameterBalanceDep, kCount };
    // In file order; every edit regrows the tree.
    static constexpr Parameter kParameters[kCount] = {
        {"Balance", "Balance: ", ValueFormat::Hundredths, {0, 100}, 50, kStaleSkeleton,
         "How the spread is shared between a fork's two children (0 to 1.00): 0.50 forks evenly, other values lean "
         "the tree to one side."},
        {"SpreadAngle", "Spread: ", ValueFormat::Integer, {0, 180}, 45, kStaleSkeleton,
         "Angle between the two children of every fork, in degrees (0 to 180)."},
        {"TwistAngle", "Twist: ", ValueFormat::Integer, {0, 180}, 0, kStaleSkeleton,
         "Turn of every fork about the vertical, in degrees (0 to 180): 0 keeps the tree flat, other values fill the"
         " crown around."},
        {"BalanceDependence", "Balance dep.: ", ValueFormat::None, kFlagRange, 1, kStaleSkeleton,
         "The child that takes the larger share of the spread is the shorter one."},
        {"Cut", "Cut: ", ValueFormat::None, kFlagRange, 0, kStaleSkeleton,
         "Closes the ends of the outermost branches with caps."},
        {"DiameterBalanceDep", "Diameter balance dep.: ", ValueFormat::None, kFlagRange, 0, kStaleSkeleton,
         "The children's thickness follows the balance too."},
    };
    static constexpr ParameterRange Range(Index i) { return kParameters[i].range; }

    int GetParameter(int i) const { return values_.Get(i); }
    bool SetParameter(int i, long v) { return values_.Set(i, v); }

    bool SetBalance(long v) { return SetParameter(kBalance, v); }
    bool SetSpreadAngle(long v) { return SetParameter(kSpreadAngle, v); }
    bool SetTwistAngle(long v) { return SetParameter(kTwistAngle, v); }
    void SetBalanceDependence(bool on) { SetParameter(kBalanceDependence, on ? 1 : 0); }
    void SetCut(bool on) { SetParameter(kCut, on ? 1 : 0); }
    void SetDiameterBalanceDep(bool on) { SetParameter(kDiameterBalanceDep, on ? 1 : 0); }

    // Percent of the spread taken by the first child.
    int Balance() const { return GetParameter(kBalance); }
    // Total angle between the two children, degrees.
    int SpreadAngle() const { return GetParameter(kSpreadAngle); }
    // Turn about the vertical applied to every child, degrees.
    int TwistAngle() const { return GetParameter(kTwistAngle); }
    // Children's lengths depend on the balance.
    bool BalanceDependence() const { return GetParameter(kBalanceDependence) != 0; }
    // Segments of the last level get end caps.
    bool Cut() const { return GetParameter(kCut) != 0; }
    // Children's diameters depend on the balance.
    bool DiameterBalanceDep() const { return GetParameter(kDiameterBalanceDep) != 0; }

    void Write(TGXMLFileWriter& writer) const;
    // Reads the CustomSetup block inside generatorName; stores the six values and
    // returns true only when all are present and in range. Rewinds the reader.
    bool Read(TGXMLFileReader& reader, const std::string& generatorName);

    bool operator==(const SimpleSetup& o) const { return values_ == o.values_; }
    bool operator!=(const SimpleSetup& o) const { return !(*this == o); }

private:
    ParameterValues<kCount> values_{kParameters};
};

// Every segment forks into two children that split the spread angle by the
// balance and twist about the vertical, depth first, Iteration levels deep.
class SimpleTreeModel : public TreeGeneratorModel {
public:
    std::string GetName() const override { return "SimpleGrovewright"; }
    int Index() const override { return 0; }

    SimpleSetup& Custom() { return custom_; }
    const SimpleSetup& Custom() const { return custom_; }
    const SimpleSetup& LoadedCustom() const { return loadedCustom_; }

    void Reset() override;
    // The BaseSetup and the CustomSetup must both read. A valid CustomSetup is
    // stored into the loaded values even when the BaseSetup was not.
    bool ReadSetup(TGXMLFileReader& reader) override;
    void ApplySetup() override;

protected:
    void WriteCustomSetup(TGXMLFileWriter& writer) const override { custom_.Write(writer); }
    void GrowBranches(SkeletonLevels& skeleton) const override;
    // Every segment forks in two: 2^k segments on level k.
    void CountBranches(SkeletonCounts& counts) const override;

private:
    SimpleSetup custom_;
    SimpleSetup loadedCustom_;
};

// The growth itself, usable without a model.
void GrowSimpleTree(const BaseSetup& base, const SimpleSetup& custom, const GrowthSetup& growth,
                    SkeletonLevels& skeleton);

}  // namespace grovewright
