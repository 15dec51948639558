#include "generators/TrunkFoot.h"

#include <algorithm>
#include <cmath>

#include "generators/ShootGrowth.h"

namespace grovewright {

namespace {

// The trunk's diameter at a share of its height, widened by the flare, which
// falls off with the cube of the way up it: steep at the ground, gone smoothly
// at its top.
double TrunkDiameter(const BaseSetup& base, const GrowthSetup& growth, double height) {
    const double reduction = base.DiameterReduction() / 100.0;
    const double plain = base.Diameter() * (1.0 - (1.0 - reduction) * height);
    const double reach = growth.FlareHeight() / 100.0;
    if (height >= reach) return plain;
    const double below = 1.0 - height / reach;
    return plain * (1.0 + growth.FlareWidth() / 100.0 * below * below * below);
}

// The share of its height the trunk's piece boundary i (0 .. pieces) lies at:
// closer together near the ground, where the flare curves most.
double FlareBoundary(const GrowthSetup& growth, int i) {
    if (i > kFlarePieces) return 1.0;
    const double along = static_cast<double>(i) / kFlarePieces;
    return growth.FlareHeight() / 100.0 * along * std::sqrt(along);
}

}  // namespace

int TrunkPieces(const GrowthSetup& growth) {
    if (growth.FlareWidth() == 0) return 1;
    return growth.FlareHeight() == 100 ? kFlarePieces : kFlarePieces + 1;
}

void AppendTrunk(SkeletonLevels::Level& level, const BaseSetup& base, const GrowthSetup& growth) {
    const double height = base.Height(), diameter = base.Diameter();
    const int pieces = TrunkPieces(growth);
    if (pieces == 1) {
        level.Append(Vector3D(0, 0, 0), Vector3D(0, height, 0), 0.0, 0.0, 1.0, diameter);
        return;
    }
    const BranchSegment* below = nullptr;
    for (int i = 0; i < pieces; ++i) {
        const double from = FlareBoundary(growth, i), to = FlareBoundary(growth, i + 1);
        const double start = TrunkDiameter(base, growth, from), end = TrunkDiameter(base, growth, to);
        BranchSegment& piece =
            level.Append(Vector3D(0, height * from, 0), Vector3D(0, height * to, 0), 0.0, 0.0, 1.0, start, below);
        piece.SetPiece(i, pieces);
        // A trunk narrowing to nothing has a tip of 0: the reduction's own tip.
        piece.SetTipScale(start > 0.0 ? static_cast<float>(end / start) : 0.0f);
        below = &piece;
    }
}

void AppendRoots(SkeletonLevels& skeleton, const BaseSetup& base, const GrowthSetup& growth, int generator) {
    const int roots = growth.Roots();
    if (roots == 0) return;
    const ShootGrowth shoots(growth, generator, 1.0);
    // A root is nearly half as thick as the trunk above its flare where it
    // leaves it, and a seventh of that at its tip.
    constexpr double kRootShare = 0.45, kTipShare = 0.15;
    const double thickest = base.Diameter() * kRootShare;
    const double top = growth.RootRise() - 0.5 * thickest;
    // The centre line runs along the ground (half the root above it) unless the
    // root starts lower; it never rises on its way out.
    const double surface = std::min(0.0, top);
    const double tipHeight = std::min(-static_cast<double>(growth.RootDepth()), surface);
    // The share of its length over which a root comes down from the buttress.
    constexpr double kButtressShare = 0.2;
    for (int r = 0; r < roots; ++r) {
        const std::uint64_t identity = shoots.Identity(0x726f6f74, r);
        // Up to 0.3 of the spacing to either side, and 0.75 to 1.25 times as long.
        const double turn = 360.0 * (r + 0.6 * (static_cast<double>(identity & 0xffff) / 65536.0 - 0.5)) / roots;
        const double reach = growth.RootLength() * (0.75 + 0.5 * static_cast<double>((identity >> 16) & 0xffff) / 65536.0);
        const double c = CosDeg(turn), s = SinDeg(turn);
        auto point = [&](double along) {
            // Out evenly; down from the buttress to the surface over the first
            // part, then along it, sinking ever faster to the tip's depth.
            double height;
            if (along < kButtressShare) {
                const double left = 1.0 - along / kButtressShare;
                height = surface + (top - surface) * left * left;
            } else {
                const double on = (along - kButtressShare) / (1.0 - kButtressShare);
                height = surface + (tipHeight - surface) * on * on;
            }
            return Vector3D(c * reach * along, height, s * reach * along);
        };
        auto thickness = [&](double along) { return thickest * (1.0 - (1.0 - kTipShare) * along); };
        const BranchSegment* inner = nullptr;
        for (int i = 0; i < kRootPieces; ++i) {
            const double from = static_cast<double>(i) / kRootPieces, to = static_cast<double>(i + 1) / kRootPieces;
            BranchSegment& piece =
                skeleton.Roots().Append(point(from), point(to), 0.0, 0.0, 1.0, thickness(from), inner);
            piece.SetPiece(i, kRootPieces);
            piece.SetTipScale(thickness(from) > 0.0 ? static_cast<float>(thickness(to) / thickness(from)) : 0.0f);
            inner = &piece;
        }
    }
}

}  // namespace grovewright
