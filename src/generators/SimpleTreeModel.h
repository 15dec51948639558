#pragma once

#include "generators/TreeGeneratorModel.h"

namespace grovewright {

// The simple generator's own parameters.
class SimpleSetup {
public:
    static constexpr ParameterRange kBalance{0, 100};
    static constexpr ParameterRange kSpreadAngle{0, 180};
    static constexpr ParameterRange kTwistAngle{0, 180};

    bool SetBalance(long v) { return SetInRange(balance_, v, kBalance); }
    bool SetSpreadAngle(long v) { return SetInRange(spreadAngle_, v, kSpreadAngle); }
    bool SetTwistAngle(long v) { return SetInRange(twistAngle_, v, kTwistAngle); }
    void SetBalanceDependence(bool on) { balanceDependence_ = on; }
    void SetCut(bool on) { cut_ = on; }
    void SetDiameterBalanceDep(bool on) { diameterBalanceDep_ = on; }

    // Percent of the spread taken by the first child.
    int Balance() const { return balance_; }
    // Total angle between the two children, degrees.
    int SpreadAngle() const { return spreadAngle_; }
    // Turn about the vertical applied to every child, degrees.
    int TwistAngle() const { return twistAngle_; }
    // Children's lengths depend on the balance.
    bool BalanceDependence() const { return balanceDependence_; }
    // Segments of the last level get end caps.
    bool Cut() const { return cut_; }
    // Children's diameters depend on the balance.
    bool DiameterBalanceDep() const { return diameterBalanceDep_; }

    void Write(TGXMLFileWriter& writer) const;
    // Reads the CustomSetup block inside generatorName; stores the six values and
    // returns true only when all are present and in range. Rewinds the reader.
    bool Read(TGXMLFileReader& reader, const std::string& generatorName);

    bool operator==(const SimpleSetup& o) const;
    bool operator!=(const SimpleSetup& o) const { return !(*this == o); }

private:
    int balance_ = 50;
    int spreadAngle_ = 45;
    int twistAngle_ = 0;
    bool balanceDependence_ = true;
    bool cut_ = false;
    bool diameterBalanceDep_ = false;
};

// Every segment forks into two children that split the spread angle by the
// balance and twist about the vertical, depth first, Iteration levels deep.
class SimpleTreeModel : public TreeGeneratorModel {
public:
    std::string GetName() const override { return "SimpleGrovewright"; }

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
void GrowSimpleTree(const BaseSetup& base, const SimpleSetup& custom, SkeletonLevels& skeleton);

}  // namespace grovewright
