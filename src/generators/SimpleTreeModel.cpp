#include "generators/SimpleTreeModel.h"

#include <cmath>
#include <vector>

#include "generators/GrowthStop.h"
#include "generators/ShootGrowth.h"
#include "geometry/Rotation3.h"
#include "geometry/SkeletonLevels.h"
#include "io/TGXMLFileReader.h"
#include "io/TGXMLFileWriter.h"

namespace grovewright {

void SimpleSetup::Write(TGXMLFileWriter& writer) const {
    writer.WriteLine(std::string(kSectionIndent) + "<CustomSetup>");
    WriteParameters(writer, kValueIndent, *this);
    writer.WriteLine(std::string(kSectionIndent) + "</CustomSetup>");
}

bool SimpleSetup::Read(TGXMLFileReader& reader, const std::string& generatorName) {
    if (!EnterSection(reader, generatorName, "CustomSetup")) return false;
    const bool read = ReadAllParameters(reader, *this);
    reader.Rewind();
    return read;
}

void SimpleTreeModel::Reset() {
    custom_ = SimpleSetup();
    TreeGeneratorModel::Reset();
}

bool SimpleTreeModel::ReadSetup(TGXMLFileReader& reader) {
    const bool baseRead = TreeGeneratorModel::ReadSetup(reader);
    const bool customRead = loadedCustom_.Read(reader, GetName());
    return baseRead && customRead;
}

void SimpleTreeModel::ApplySetup() {
    TreeGeneratorModel::ApplySetup();
    custom_ = loadedCustom_;
}

void SimpleTreeModel::GrowBranches(SkeletonLevels& skeleton) const {
    GrowSimpleTree(Base(), custom_, Growth(), skeleton);
}

namespace {

// How one of the two children of every segment is placed.
struct ChildRule {
    double share;        // fraction of the spread it takes
    double spread;       // signed spread angle, degrees
    double twist;        // turn about the vertical, degrees
    bool shortened;      // the balance shortens it by lengthFactor
    double lengthFactor; // k = 2 (1 - share)
    double diameterBase;
    bool linked;         // continues the parent's tip smoothly
    Rotation3 turn;      // its own placement: RotateZ(share * spread), then RotateY(twist)
    // With angle variation: cosines and sines of the twist and of the lean
    // moved by every angle step.
    struct CosSin {
        double cos, sin;
    };
    CosSin twists[ShootGrowth::kAngleSteps], leans[ShootGrowth::kAngleSteps];

    // Y(twist + twist step) * Z(lean + lean step), written out; length takes the
    // variation's factor.
    Rotation3 VariedTurn(const BranchVariation& v, double& length) const {
        length *= v.lengthFactor;
        const double ct = twists[v.turnStep].cos, st = twists[v.turnStep].sin;
        const double cl = leans[v.leanStep].cos, sl = leans[v.leanStep].sin;
        return {{{ct * cl, -ct * sl, st}, {sl, cl, 0}, {-st * cl, st * sl, ct}}};
    }
};

// Depth-first growth. A child's direction is (0, L, 0) turned by its own
// placement and then by the placement of every ancestor from its parent down to
// the trunk. The composition of those placements is carried down the recursion
// as one matrix, so each segment costs one matrix product instead of a chain of
// rotations as long as its depth. Gravity's turn of a shoot joins the matrix, so
// that its children grow from its bent tip.
class SimpleGrowth {
public:
    SimpleGrowth(const BaseSetup& base, const SimpleSetup& custom, const GrowthSetup& growth,
                 SkeletonLevels& skeleton)
        : skeleton_(skeleton),
          shoots_(growth, 0, base.DiameterReduction() / 100.0),
          maxDepth_(base.Iteration()),
          cut_(custom.Cut()),
          heightFactor_(base.HeightReduction() / 100.0),
          diameterCapFactor_(base.DiameterReduction() / 100.0) {
        for (int depth = 0; depth <= maxDepth_; ++depth)
            diameterFactor_.push_back(std::pow(base.DiameterReduction() / 100.0, depth));
        const double balance = custom.Balance() / 100.0;
        rules_[0] = MakeRule(base, custom, balance, custom.SpreadAngle());
        rules_[1] = MakeRule(base, custom, 1.0 - balance, -custom.SpreadAngle());
    }

    // lineage: the parent's identity for pruning, from which its children's are drawn.
    void Grow(int depth, const Rotation3& ancestors, double parentLength, double parentDiameter,
              std::uint64_t lineage) {
        if (depth > maxDepth_) return;
        GrowthStop::Check();
        if (skeleton_.LevelCount() < static_cast<std::size_t>(depth) + 1) skeleton_.AppendLevel();
        auto& level = skeleton_[depth];
        const BranchSegment& parent = skeleton_[depth - 1].back();
        const double diameterCap = diameterCapFactor_ * parentDiameter;
        for (int r = 0; r < 2; ++r) {
            const ChildRule& rule = rules_[r];
            const std::uint64_t identity = shoots_.Identity(depth, lineage, 1 + r);
            if (shoots_.LeftOut(identity)) continue;
            double length = parentLength * heightFactor_;
            if (rule.shortened) length *= rule.lengthFactor;
            double diameter = rule.diameterBase * diameterFactor_[depth];
            if (diameter > diameterCap) diameter = diameterCap;
            const BranchSegment* link = rule.linked ? &parent : nullptr;
            const bool cut = depth == maxDepth_ && cut_;
            if (!shoots_.Active()) {
                const Rotation3 placement = ancestors * rule.turn;
                Vector3D end = placement.Column(1);
                end.Scale(length).Add(parent.End());
                BranchSegment& child =
                    level.Append(parent.End(), end, rule.twist, rule.spread, rule.share, diameter, link);
                if (cut) child.SetCut(true);
                Grow(depth + 1, placement, child.Length(), diameter, identity);
                continue;
            }
            // Each branch varies around the design's length: variation does not
            // compound from level to level.
            const double designLength = length;
            const Rotation3 own =
                shoots_.Varies() ? rule.VariedTurn(shoots_.Vary(shoots_.Identity(depth, level.size())), length)
                                 : rule.turn;
            // The outermost branches have no children: their direction is all
            // they need of the placement.
            if (depth == maxDepth_) {
                Vector3D direction = ancestors * own.Column(1);
                shoots_.AppendShoot(level, parent.End(), direction, length,
                                    {rule.twist, rule.spread, rule.share, diameter, link, cut});
                continue;
            }
            Rotation3 placement = ancestors * own;
            Vector3D direction = placement.Column(1);
            CayleyTurn turn;
            shoots_.AppendShoot(level, parent.End(), direction, length,
                                {rule.twist, rule.spread, rule.share, diameter, link, cut}, &turn);
            if (!turn.IsNone()) placement = turn.ApplyAfter(placement, direction);
            Grow(depth + 1, placement, designLength, diameter, identity);
        }
    }

private:
    ChildRule MakeRule(const BaseSetup& base, const SimpleSetup& custom, double share, double spread) const {
        ChildRule rule;
        rule.share = share;
        rule.spread = spread;
        rule.twist = custom.TwistAngle();
        rule.lengthFactor = 2.0 * (1.0 - share);
        // A share below one half keeps the full length.
        rule.shortened = custom.BalanceDependence() && rule.lengthFactor <= 1.0;
        rule.diameterBase = base.Diameter();
        if (custom.DiameterBalanceDep() && share > 0.5) rule.diameterBase = base.Diameter() * 2.0 * (1.0 - share);
        rule.linked = share <= 0.5;
        rule.turn = Rotation3::Y(rule.twist) * Rotation3::Z(share * spread);
        if (shoots_.Varies()) {
            for (int step = 0; step < ShootGrowth::kAngleSteps; ++step) {
                const double offset = shoots_.AngleOffset(step);
                rule.twists[step] = {CosDeg(rule.twist + offset), SinDeg(rule.twist + offset)};
                rule.leans[step] = {CosDeg(share * spread + offset), SinDeg(share * spread + offset)};
            }
        }
        return rule;
    }

    SkeletonLevels& skeleton_;
    ShootGrowth shoots_;
    int maxDepth_;
    bool cut_;
    double heightFactor_;
    double diameterCapFactor_;
    std::vector<double> diameterFactor_;  // (DiameterReduction / 100)^depth
    ChildRule rules_[2];
};

// Counts what SimpleGrowth::Grow keeps under pruning, drawing every child by the
// same identity: its depth, its parent's identity and which of the two it is.
void CountKept(const ShootGrowth& shoots, int depth, int maxDepth, std::uint64_t lineage,
               std::vector<std::size_t>& perLevel) {
    if (depth > maxDepth) return;
    if (perLevel.size() < static_cast<std::size_t>(depth) + 1) perLevel.resize(depth + 1, 0);
    for (int r = 0; r < 2; ++r) {
        const std::uint64_t own = shoots.Identity(depth, lineage, 1 + r);
        if (shoots.LeftOut(own)) continue;
        ++perLevel[depth];
        CountKept(shoots, depth + 1, maxDepth, own, perLevel);
    }
}

}  // namespace

void SimpleTreeModel::CountBranches(SkeletonCounts& counts) const {
    const int iteration = Base().Iteration();
    const ShootGrowth shoots(Growth(), 0, Base().DiameterReduction() / 100.0);
    if (shoots.Prunes())
        CountKept(shoots, 1, iteration, 0, counts.perLevel);
    else
        for (int depth = 1; depth <= iteration; ++depth) counts.perLevel.push_back(std::size_t{1} << depth);
    if (counts.perLevel.size() == static_cast<std::size_t>(iteration) + 1 && iteration >= 1 && custom_.Cut())
        counts.cut += counts.perLevel.back();
}

void GrowSimpleTree(const BaseSetup& base, const SimpleSetup& custom, const GrowthSetup& growth,
                    SkeletonLevels& skeleton) {
    if (base.Iteration() < 1 || skeleton.Empty()) return;
    SimpleGrowth simple(base, custom, growth, skeleton);
    // The trunk's last piece (the only one unless it is flared) is its end.
    const BranchPieces trunk(skeleton[0].back());
    simple.Grow(1, Rotation3(), trunk.Length(), base.Diameter(), 0);
}

}  // namespace grovewright
