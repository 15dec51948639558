#pragma once

#include "generators/BaseSetup.h"

namespace grovewright {

// The view's own copies of the tree values its mesh builder uses, with the
// view's acceptance rule (BaseSetup::kViewRule, beside the parameter table): a
// value outside it is ignored and the old one stays.
class TreeViewParameters {
public:
    // Takes the five values from a generator's BaseSetup, in the order the view
    // expects them: ObliqueAngle, OrientationAngle, Diameter, DiameterReduction, Division.
    void Take(const BaseSetup& base) {
        SetObliqueAngle(base.ObliqueAngle());
        SetOrientationAngle(base.OrientationAngle());
        SetDiameter(base.Diameter());
        SetDiameterReduction(base.DiameterReduction());
        SetDivision(base.Division());
    }

    void SetDiameter(int v) {
        if (kRule.diameter.Contains(v)) diameter_ = v;
    }
    // Stored as a fraction: 80 percent becomes 0.8.
    void SetDiameterReduction(int v) {
        if (kRule.diameterReduction.Contains(v)) diameterReduction_ = v / 100.0;
    }
    void SetDivision(int v) {
        if (kRule.division.Contains(v)) division_ = v;
    }
    void SetOrientationAngle(int v) {
        if (kRule.orientationAngle.Contains(v)) orientationAngle_ = v;
    }
    void SetObliqueAngle(int v) {
        if (kRule.obliqueAngle.Contains(v)) obliqueAngle_ = v;
    }

    double Diameter() const { return diameter_; }
    double DiameterReduction() const { return diameterReduction_; }
    int Division() const { return division_; }
    double OrientationAngle() const { return orientationAngle_; }
    double ObliqueAngle() const { return obliqueAngle_; }

private:
    static constexpr BaseSetup::ViewRule kRule = BaseSetup::kViewRule;

    double orientationAngle_ = 0.0;
    double obliqueAngle_ = 0.0;
    double diameter_ = 1.0;
    double diameterReduction_ = 1.0;
    int division_ = 3;
};

}  // namespace grovewright
