#pragma once

namespace grovewright {

// The view's own copies of the tree values its mesh builder uses, with the
// view's acceptance rules: a value outside them is ignored and the old one stays.
class TreeViewParameters {
public:
    void SetDiameter(int v) {
        if (v > 0) diameter_ = v;
    }
    // Stored as a fraction: 80 percent becomes 0.8.
    void SetDiameterReduction(int v) {
        if (v > 0) diameterReduction_ = v / 100.0;
    }
    void SetDivision(int v) {
        if (v > 2) division_ = v;
    }
    void SetOrientationAngle(int v) {
        if (v >= 0) orientationAngle_ = v;
    }
    void SetObliqueAngle(int v) {
        if (v >= 0 && v <= 90) obliqueAngle_ = v;
    }

    double Diameter() const { return diameter_; }
    double DiameterReduction() const { return diameterReduction_; }
    int Division() const { return division_; }
    double OrientationAngle() const { return orientationAngle_; }
    double ObliqueAngle() const { return obliqueAngle_; }

private:
    double orientationAngle_ = 0.0;
    double obliqueAngle_ = 0.0;
    double diameter_ = 1.0;
    double diameterReduction_ = 1.0;
    int division_ = 3;
};

}  // namespace grovewright
