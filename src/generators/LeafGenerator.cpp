#include "generators/LeafGenerator.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <exception>
#include <thread>
#include <unordered_map>
#include <vector>

#include "generators/GrowthStop.h"
#include "generators/ShootGrowth.h"
#include "geometry/Rotation3.h"
#include "io/TGXMLFileWriter.h"

namespace grovewright {

namespace {

// The leaf section's element of the pages' foliage values.
constexpr const char* kFoliageElement = "FoliageSetup";

}  // namespace

// The branches of one level in the order leaves are written (outermost level
// first) and what each of them takes: every branch of a level gets a leaf from
// the same pages, so any branch's place in the list is known before anything
// is written, and two threads can write their halves in place.
struct LeafGeneratorModel::LevelRun {
    const SkeletonLevels::Level* level;
    int depth;  // 0: the outermost level
    std::size_t branches = 0, strips = 0, vertices = 0;  // strips and vertices of one branch's leaves
};

namespace {

using V = LeafSetup::Value;

// A leaf in its own frame (its axis along +x), before it is turned onto its
// segment: one grid of rows x columns points and their normals for a simple
// leaf, one 2 x 2 grid per leaflet for a compound one. It depends only on the
// page and the leaf's size, so it is built once per page and size and reused
// for every leaf; turning it is one matrix per leaf.
struct LocalLeaf {
    int rows = 0;
    int columns = 0;
    int grids = 0;
    std::vector<Vector3D> points;
    std::vector<Vector3D> normals;
    const Vector3D& Point(int g, int r, int c) const { return points[(g * rows + r) * columns + c]; }
};

// Smooth normals of one grid: around each vertex the cross products of
// consecutive edges to its neighbours (up, left, down, right, cyclically) where
// both exist. A zero-sized leaf gives zero vectors here, never NaN.
void AddGridNormals(LocalLeaf& leaf, int g) {
    const int rows = leaf.rows, n = leaf.columns - 1;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c <= n; ++c) {
            const Vector3D& v = leaf.Point(g, r, c);
            auto edge = [&](int rr, int cc, Vector3D& out) {
                if (rr < 0 || rr >= rows || cc < 0 || cc > n) return false;
                out = leaf.Point(g, rr, cc);
                out.Subtract(v);
                return true;
            };
            Vector3D around[4];
            const bool exists[4] = {edge(r - 1, c, around[0]), edge(r, c - 1, around[1]), edge(r + 1, c, around[2]),
                                    edge(r, c + 1, around[3])};
            Vector3D sum;
            int pairs = 0;
            for (int k = 0; k < 4; ++k) {
                const int next = (k + 1) % 4;
                if (!exists[k] || !exists[next]) continue;
                Vector3D cross = around[k];
                sum.Add(cross.CrossNormalize(around[next]));
                ++pairs;
            }
            if (pairs > 1) sum.Normalize();
            leaf.normals.push_back(sum);
        }
    }
}

// A point of the leaf's grid before its twist, rise and turn: the spine is a
// polyline whose j-th piece is bent by j x SplitAngle; z is across the leaf.
Vector3D BladePoint(const LeafSetup& page, int rows, double step, double z, int c) {
    const double split = page.Get(V::kSplitAngle), spread = page.Get(V::kSpreadAngle);
    Vector3D p(0, 0, z);
    for (int j = 0; j <= c; ++j) {
        if (j > 0) p.x += step;
        // Both halves of a three-row leaf fold the same way; the middle row stays.
        if (j == 0 && rows > 2) p.RotateX(p.z < 0 ? spread : -spread);
        p.RotateZ(split);
    }
    return p.RotateZ(-split);
}

// The leaf's twist, rise and turn about its branch.
Vector3D Place(const LeafSetup& page, Vector3D p) {
    p.RotateX(page.Get(V::kTwistAngle)).RotateZ(page.Get(V::kAddAngle));
    return p.RotateX(page.Get(V::kOriAngle));
}

// Leaflets of a compound leaf: pairs along the bent spine from a short stalk to
// the tip, slanted toward the tip, longest in the middle and drooping a little
// at their ends, so that a frond reads as one. Each is one flat 2 x 2 grid whose
// texture runs from its base (v 0) to its tip.
void BuildLeaflets(const LeafSetup& page, int height, int width, LocalLeaf& leaf) {
    const int n = page.Get(V::kSegmentCount), pairs = page.Get(LeafSetup::kLeaflets);
    const double step = static_cast<double>(height) / n;
    std::vector<Vector3D> spine;
    for (int c = 0; c <= n; ++c) spine.push_back(BladePoint(page, 2, step, 0.0, c));
    leaf.rows = 2, leaf.columns = 2, leaf.grids = 2 * pairs;
    const double longest = height * page.Get(LeafSetup::kLeafletLength) / 100.0;
    const double halfWidth = width * page.Get(LeafSetup::kLeafletWidth) / 200.0;
    constexpr double kSlant = 40.0, kDroop = 0.25, kStalk = 0.12;
    for (int k = 0; k < pairs; ++k) {
        const double t = kStalk + (1.0 - kStalk) * (k + 0.5) / pairs;
        const double along = t * n;
        const int piece = std::min(n - 1, static_cast<int>(along));
        Vector3D tangent = spine[piece + 1];
        tangent.Subtract(spine[piece]);
        if (Dot(tangent, tangent) < 1e-24) tangent = Vector3D(1, 0, 0);
        tangent.Normalize();
        Vector3D base = tangent;
        base.Scale((along - piece) * step).Add(spine[piece]);
        const double length = longest * (0.55 + 0.45 * SinDeg(180.0 * t));
        // Down from the leaf's face: the spine's tangent crossed with the across direction.
        const Vector3D down = Cross(tangent, Vector3D(0, 0, 1));
        for (double side : {-1.0, 1.0}) {
            Vector3D direction(0, 0, side * CosDeg(kSlant));
            Vector3D forward = tangent;
            direction.Add(forward.Scale(SinDeg(kSlant))).Normalize();
            // Across the leaflet, chosen so that its rows run the way the blade's do.
            Vector3D across = Cross(down, direction);
            across.Normalize();
            Vector3D tip = direction;
            Vector3D sag = down;
            tip.Scale(length).Add(base).Add(sag.Scale(kDroop * length));
            const int g = static_cast<int>(leaf.points.size()) / 4;
            for (int r = 0; r < 2; ++r) {
                for (const Vector3D& end : {base, tip}) {
                    Vector3D offset = across;
                    Vector3D p = end;
                    leaf.points.push_back(Place(page, p.Add(offset.Scale((r == 0 ? -1 : 1) * halfWidth))));
                }
            }
            AddGridNormals(leaf, g);
        }
    }
}

LocalLeaf BuildLocalLeaf(const LeafSetup& page, int height, int width) {
    LocalLeaf leaf;
    if (page.Get(LeafSetup::kLeaflets) > 0) {
        BuildLeaflets(page, height, width, leaf);
        return leaf;
    }
    const int rows = page.Get(V::kLeafSplit), n = page.Get(V::kSegmentCount);
    leaf.rows = rows;
    leaf.columns = n + 1;
    // A crossed leaf: the blade again, turned a quarter about its midrib (x).
    leaf.grids = page.Get(LeafSetup::kCrossed) ? 2 : 1;
    const double step = static_cast<double>(height) / n;
    for (int g = 0; g < leaf.grids; ++g) {
        for (int r = 0; r < rows; ++r) {
            const double z = -width / 2.0 + static_cast<double>(width) * r / (rows - 1);
            for (int c = 0; c <= n; ++c) {
                Vector3D p = BladePoint(page, rows, step, z, c);
                if (g == 1) p.RotateX(90.0);
                leaf.points.push_back(Place(page, p));
            }
        }
        AddGridNormals(leaf, g);
    }
    return leaf;
}

// Whether the page puts a leaf on the branches of the level depth (0: the outermost level).
bool Reaches(const LeafSetup& page, int depth) { return page.UseLeaf() && page.Get(V::kRelativAddDownTo) >= depth; }

// One leaf of the page: LeafSplit - 1 strips of 2 x (SegmentCount + 1)
// vertices (twice as many for a crossed leaf), or one strip of four vertices
// per leaflet.
LeafGeneratorModel::Counts OneLeaf(const LeafSetup& page) {
    if (page.Get(LeafSetup::kLeaflets) > 0) {
        const auto leaflets = 2 * static_cast<std::size_t>(page.Get(LeafSetup::kLeaflets));
        return {leaflets, 4 * leaflets};
    }
    const auto strips = static_cast<std::size_t>(page.Get(V::kLeafSplit) - 1) * (page.Get(LeafSetup::kCrossed) ? 2 : 1);
    return {strips, strips * 2 * static_cast<std::size_t>(page.Get(V::kSegmentCount) + 1)};
}

// The leaves of the page on one shoot.
LeafGeneratorModel::Counts ShootLeaves(const LeafSetup& page) {
    const LeafGeneratorModel::Counts leaf = OneLeaf(page);
    const auto count = static_cast<std::size_t>(page.Get(LeafSetup::kShootLeaves));
    return {leaf.strips * count, leaf.vertices * count};
}

// Where the k-th leaf of a shoot sits and how far it is turned about the shoot:
// the leaves stand in nodes of one, two (opposite) or three (whorled), spread
// evenly from the page's RelAdd place toward the tip; node after node turns by
// the arrangement's angle. The first leaf sits where a page's single leaf does.
struct LeafNode {
    double fraction;
    double turn;
};
LeafNode NodeOf(const LeafSetup& page, int k) {
    static constexpr int kPerNode[] = {1, 1, 2, 3};
    static constexpr double kNodeTurn[] = {137.5, 180.0, 90.0, 60.0};
    const int arrangement = page.Get(LeafSetup::kArrangement);
    const int perNode = kPerNode[arrangement];
    const int nodes = (page.Get(LeafSetup::kShootLeaves) + perNode - 1) / perNode;
    const int node = k / perNode, inNode = k % perNode;
    const double start = page.Get(V::kRelAdd) / 100.0;
    return {start + (1.0 - start) * node / nodes, node * kNodeTurn[arrangement] + inNode * 360.0 / perNode};
}

// The pages that grow leaves, in page order.
std::vector<int> ActivePages(const std::array<LeafSetup, LeafGeneratorModel::kPageCount>& pages) {
    std::vector<int> active;
    for (int i = 0; i < LeafGeneratorModel::kPageCount; ++i)
        if (pages[i].UseLeaf()) active.push_back(i);
    return active;
}

// The local leaves of one page, by size.
class LeafCache {
public:
    explicit LeafCache(const LeafSetup& page) : page_(page) {}
    const LocalLeaf& Get(int height, int width) {
        const std::uint64_t key = (static_cast<std::uint64_t>(static_cast<std::uint32_t>(height)) << 32) |
                                  static_cast<std::uint32_t>(width);
        auto found = leaves_.find(key);
        if (found == leaves_.end()) found = leaves_.emplace(key, BuildLocalLeaf(page_, height, width)).first;
        return found->second;
    }

private:
    const LeafSetup& page_;
    std::unordered_map<std::uint64_t, LocalLeaf> leaves_;
};

// What one leaf's own random numbers make of it: uniform in [0, 1) each.
struct LeafDraw {
    double size, rise, turn, shade, hue;
};
LeafDraw Draw(std::uint64_t identity) {
    constexpr double kTwelveBits = 4096.0;
    auto part = [&](int at) { return static_cast<double>((identity >> (12 * at)) & 0xfff) / kTwelveBits; };
    return {part(0), part(1), part(2), part(3), part(4)};
}

// The colour a leaf's texture is multiplied by: darker by up to the lightness
// variation, leaning toward yellow (less blue) or blue-green (less red) by up to
// the hue variation.
std::uint32_t LeafColour(const LeafSetup& page, const LeafDraw& draw) {
    const double shade = 1.0 - page.Get(LeafSetup::kLightnessVariation) / 100.0 * draw.shade;
    const double lean = page.Get(LeafSetup::kHueVariation) / 100.0 * (2.0 * draw.hue - 1.0);
    const double red = shade * (1.0 - std::max(0.0, -lean) * 0.6);
    const double green = shade * (1.0 - std::fabs(lean) * 0.1);
    const double blue = shade * (1.0 - std::max(0.0, lean) * 0.8);
    auto byte = [](double c) { return static_cast<std::uint32_t>(std::lround(std::clamp(c, 0.0, 1.0) * 255.0)); };
    return byte(red) | byte(green) << 8 | byte(blue) << 16 | 0xff000000u;
}

// Scratch space for one leaf's turned points and normals and their heights.
struct LeafScratch {
    std::vector<LeafVertex> turned;
    std::vector<double> heights;
};

// Writes the strips of one leaf: its local points scaled by size, turned by
// toLeaf and moved to anchor, and, when aboveGround, lifted as a whole where it
// would reach below the ground (y 0).
void EmitLeaf(const LocalLeaf& leaf, const Rotation3& toLeaf, double size, Vector3D anchor, bool aboveGround,
              std::uint32_t colour, LeafScratch& scratch, LeafList::RunWriter& list) {
    const int rows = leaf.rows, columns = leaf.columns;
    const Rotation3 scaled = size == 1.0 ? toLeaf : toLeaf * size;
    std::vector<LeafVertex>& turned = scratch.turned;
    std::vector<double>& heights = scratch.heights;
    turned.resize(leaf.points.size());
    heights.resize(leaf.points.size());
    // Positions in double, stored as float; the heights wait for the lift.
    double lowest = 0.0;
    for (std::size_t i = 0; i < leaf.points.size(); ++i) {
        const Vector3D p = scaled * leaf.points[i];
        const Vector3D normal = toLeaf * leaf.normals[i];
        heights[i] = p.y;
        lowest = std::min(lowest, p.y + anchor.y);
        turned[i] = LeafVertex{static_cast<float>(p.x + anchor.x), 0.0f, static_cast<float>(p.z + anchor.z),
                               static_cast<float>(normal.x), static_cast<float>(normal.y),
                               static_cast<float>(normal.z), 0, 0};
    }
    // A lifted leaf's lowest point is on the ground, not a rounding below it.
    if (aboveGround) anchor.y -= lowest;
    for (std::size_t i = 0; i < leaf.points.size(); ++i)
        turned[i].y = static_cast<float>(aboveGround ? std::max(0.0, heights[i] + anchor.y) : heights[i] + anchor.y);
    const float vStep = static_cast<float>(1.0 / (columns - 1));
    for (int g = 0; g < leaf.grids; ++g) {
        const LeafVertex* grid = &turned[static_cast<std::size_t>(g * rows * columns)];
        for (int r = 0; r + 1 < rows; ++r) {
            LeafVertex* out = list.Append(2 * columns, kTriangleStrip, colour).Vertices();
            for (int c = 0; c < columns; ++c) {
                for (int row : {r + 1, r}) {
                    *out = grid[row * columns + c];
                    out->u = static_cast<float>(static_cast<double>(row) / (rows - 1));
                    out->v = static_cast<float>(c * vStep);
                    ++out;
                }
            }
        }
    }
}

// Below this many leaves they are generated on one thread: starting another costs more.
constexpr std::size_t kParallelLeaves = 2048;

using LevelRun = LeafGeneratorModel::LevelRun;

// Writes the leaves of a run of branches in place. Each writer has its own
// local leaves and scratch, so that two can run at once. A writer of one page
// (an index into active) passes over the other pages' leaves, which stay as
// they were, and lists the polygons it writes.
class LeafWriter {
public:
    LeafWriter(const std::array<LeafSetup, LeafGeneratorModel::kPageCount>& pages, const std::vector<int>& active,
               std::uint64_t seed, int onlyPage = -1, std::vector<std::uint32_t>* written = nullptr)
        : pages_(pages), active_(active), seed_(seed), onlyPage_(onlyPage), written_(written) {
        for (int i : active) caches_.emplace_back(pages[i]);
    }

    // The branches first .. last - 1, counted in writing order over all runs.
    void Write(const std::vector<LevelRun>& runs, std::size_t first, std::size_t last, LeafList& list) {
        if (first >= last) return;
        // The first branch's leaves go after those of every branch before it.
        std::size_t branch = 0, polygon = 0, vertex = 0;
        auto run = runs.begin();
        for (; run != runs.end() && branch + run->branches <= first; ++run) {
            branch += run->branches;
            polygon += run->branches * run->strips, vertex += run->branches * run->vertices;
        }
        if (run == runs.end()) return;
        polygon += (first - branch) * run->strips, vertex += (first - branch) * run->vertices;
        LeafList::RunWriter writer(list, polygon, vertex);
        for (; run != runs.end(); ++run) {
            for (const BranchSegment& segment : *run->level) {
                if (!segment.IsBranchEnd()) continue;
                GrowthStop::Check();
                if (branch >= first) WriteBranch(BranchPieces(segment), run->depth, branch, writer);
                if (++branch == last) return;
            }
        }
    }

private:
    // Each page's leaves on the branch, however many pieces it is drawn with:
    // placed along the whole branch and turned as the piece each sits on.
    void WriteBranch(const BranchPieces& branch, int depth, std::size_t index, LeafList::RunWriter& writer) {
        for (int i = 0; i < branch.count; ++i) {
            const double orientation = branch.pieces[i]->OrientationAngle();
            turn_[i] = SegmentFrame(branch.pieces[i]->ObliqueAngle(), orientation);
            // Horizontal leaves turn as a segment of inclination 0 would.
            turnHorizontal_[i] = SegmentFrame(0.0, orientation);
        }
        const int lengthSize = static_cast<int>(branch.Length());
        for (std::size_t a = 0; a < active_.size(); ++a) {
            const LeafSetup& page = pages_[active_[a]];
            if (!Reaches(page, depth)) continue;
            if (onlyPage_ >= 0 && static_cast<int>(a) != onlyPage_) {
                const LeafGeneratorModel::Counts leaves = ShootLeaves(page);
                writer.Skip(leaves.strips, leaves.vertices);
                continue;
            }
            const std::size_t firstPolygon = writer.Polygon();
            for (int k = 0; k < page.Get(LeafSetup::kShootLeaves); ++k) WriteLeaf(page, a, branch, lengthSize, index, k, writer);
            if (written_)
                for (std::size_t p = firstPolygon; p < writer.Polygon(); ++p)
                    written_->push_back(static_cast<std::uint32_t>(p));
        }
    }

    void WriteLeaf(const LeafSetup& page, std::size_t a, const BranchPieces& branch, int lengthSize,
                   std::size_t index, int k, LeafList::RunWriter& writer) {
        const int h = page.Get(V::kHeight) >= 1 ? page.Get(V::kHeight) : lengthSize;
        const int w = page.Get(V::kWidth) >= 1 ? page.Get(V::kWidth) : lengthSize;
        const LeafNode node = NodeOf(page, k);
        Vector3D anchor;
        const int piece = branch.PieceAt(node.fraction, anchor);
        const Rotation3& toSegment = page.AddHorizontal() ? turnHorizontal_[piece] : turn_[piece];
        const bool aboveGround = page.Get(LeafSetup::kAboveGround) != 0;
        const bool varies = page.Get(LeafSetup::kSizeVariation) > 0 || page.Get(LeafSetup::kAngleVariation) > 0 || page.Tinted();
        if (!varies && node.turn == 0.0) {
            EmitLeaf(caches_[a].Get(h, w), toSegment, 1.0, anchor, aboveGround, kWhiteLeaf, scratch_, writer);
            return;
        }
        // The leaf's own numbers: the seed, the page, the branch and the leaf's
        // place on it, so that an edit of one page moves no other page's leaves.
        const LeafDraw draw = Draw(ShootGrowth::Mix(seed_ + (active_[a] + 1) * 0xd1b54a32d192ed03ull +
                                                    index * 0xaf251af3b0f025b5ull + k * 0xb564ef22ec7aece5ull));
        const double angle = page.Get(LeafSetup::kAngleVariation);
        const Rotation3 toLeaf = toSegment * Rotation3::X(node.turn + angle * (2.0 * draw.turn - 1.0)) *
                                 Rotation3::Z(angle * (2.0 * draw.rise - 1.0));
        const double size = 1.0 + page.Get(LeafSetup::kSizeVariation) / 100.0 * (2.0 * draw.size - 1.0);
        EmitLeaf(caches_[a].Get(h, w), toLeaf, size, anchor, aboveGround,
                 page.Tinted() ? LeafColour(page, draw) : kWhiteLeaf, scratch_, writer);
    }

    const std::array<LeafSetup, LeafGeneratorModel::kPageCount>& pages_;
    const std::vector<int>& active_;
    std::uint64_t seed_;
    int onlyPage_;
    std::vector<std::uint32_t>* written_;
    std::vector<LeafCache> caches_;
    LeafScratch scratch_;
    Rotation3 turn_[kMaxBranchPieces], turnHorizontal_[kMaxBranchPieces];
};

}  // namespace

LeafGeneratorModel::Counts LeafGeneratorModel::BranchLeaves(int depth) const {
    Counts counts;
    for (const LeafSetup& page : pages_) {
        if (!Reaches(page, depth)) continue;
        const Counts leaf = ShootLeaves(page);
        counts.strips += leaf.strips;
        counts.vertices += leaf.vertices;
    }
    return counts;
}

LeafGeneratorModel::Counts LeafGeneratorModel::CountLeaves(const std::vector<std::size_t>& branchesPerLevel) const {
    Counts counts;
    const int levels = static_cast<int>(branchesPerLevel.size());
    for (int k = 0; k < levels; ++k) {
        const Counts branch = BranchLeaves(k);
        counts.strips = CountSum(counts.strips, CountProduct(branchesPerLevel[levels - 1 - k], branch.strips));
        counts.vertices = CountSum(counts.vertices, CountProduct(branchesPerLevel[levels - 1 - k], branch.vertices));
    }
    return counts;
}

bool LeafGeneratorModel::WriteInHalves(
    const SkeletonLevels& skeleton, LeafList& list, bool fresh,
    const std::function<void(const std::vector<LevelRun>&, std::size_t, std::size_t, int)>& write) const {
    // The runs of every level, outermost first, and the room all their leaves take.
    const int levels = static_cast<int>(skeleton.LevelCount());
    std::vector<LevelRun> runs;
    std::size_t branches = 0, strips = 0, vertices = 0;
    for (int k = 0; k < levels; ++k) {
        const Counts leaves = BranchLeaves(k);
        LevelRun run{&skeleton[levels - 1 - k], k, 0, leaves.strips, leaves.vertices};
        for (const BranchSegment& segment : *run.level) run.branches += segment.IsBranchEnd() ? 1 : 0;
        branches += run.branches, strips += run.branches * run.strips, vertices += run.branches * run.vertices;
        runs.push_back(run);
    }
    if (fresh) {
        // All of it at once: a large tree's leaves fill hundreds of megabytes.
        list.AppendUnwritten(strips, vertices);
    } else if (list.size() != strips || list.VertexTotal() != vertices) {
        return false;
    }

    if (strips < kParallelLeaves || std::thread::hardware_concurrency() < 2) {
        write(runs, 0, branches, 0);
        return true;
    }
    // Two halves of about the same number of vertices, the second on a thread of its own.
    std::size_t half = 0, written = 0;
    for (const LevelRun& run : runs) {
        if (run.vertices > 0 && written + run.branches * run.vertices >= vertices / 2) {
            half += (vertices / 2 - written) / run.vertices;
            break;
        }
        half += run.branches, written += run.branches * run.vertices;
    }
    std::exception_ptr failure;
    std::thread second([&] {
        try {
            write(runs, half, branches, 1);
        } catch (...) {
            failure = std::current_exception();
        }
    });
    try {
        write(runs, 0, half, 0);
    } catch (...) {
        second.join();
        throw;
    }
    second.join();
    if (failure) std::rethrow_exception(failure);
    return true;
}

std::uint64_t LeafGeneratorModel::Seed(int growthSeed, int generator) {
    // Apart from the branches' numbers of the same seed and generator.
    return ShootGrowth::Mix(static_cast<std::uint64_t>(growthSeed) * 4 + static_cast<std::uint64_t>(generator) +
                            0x6c65617665730000ull);
}

bool LeafGeneratorModel::Tinted() const {
    for (const LeafSetup& page : pages_)
        if (page.UseLeaf() && page.Tinted()) return true;
    return false;
}

void LeafGeneratorModel::Generate(const SkeletonLevels& skeleton, LeafStore& leaves, std::uint64_t seed) const {
    // The result is one list; an existing single list is reused with its buffers.
    if (leaves.ListCount() != 1) {
        leaves.Clear();
        leaves.AppendList();
    }
    LeafList& list = leaves[0];
    list.clear();
    const std::vector<int> active = ActivePages(pages_);
    if (active.empty()) return;
    list.SetTinted(Tinted());
    WriteInHalves(skeleton, list, true,
                  [&](const std::vector<LevelRun>& runs, std::size_t first, std::size_t last, int) {
                      LeafWriter(pages_, active, seed).Write(runs, first, last, list);
                  });
}

bool LeafGeneratorModel::KeepsPlaces(int leafValue) {
    switch (leafValue) {
        case LeafSetup::kUseLeaf:
        case LeafSetup::kShootLeaves:
        case LeafSetup::kLeaflets:
        case LeafSetup::kCrossed:
        // Colours may come or go: the list's polygons all change colour.
        case LeafSetup::kLightnessVariation:
        case LeafSetup::kHueVariation:
        case V::kLeafSplit:
        case V::kSegmentCount:
        case V::kRelativAddDownTo:
            return false;
        default:
            return true;
    }
}

bool LeafGeneratorModel::RegeneratePage(const SkeletonLevels& skeleton, LeafStore& leaves, int page,
                                        std::vector<std::uint32_t>& written, std::uint64_t seed) const {
    written.clear();
    const std::vector<int> active = ActivePages(pages_);
    const auto at = std::find(active.begin(), active.end(), page);
    const int onlyPage = at == active.end() ? -1 : static_cast<int>(at - active.begin());
    // Generate always leaves one list; a page without leaves has nothing to rewrite.
    if (leaves.ListCount() != 1) return false;
    if (onlyPage < 0) return true;
    std::vector<std::uint32_t> secondHalf;
    const bool inPlace = WriteInHalves(
        skeleton, leaves[0], false,
        [&](const std::vector<LevelRun>& runs, std::size_t first, std::size_t last, int half) {
            LeafWriter(pages_, active, seed, onlyPage, half == 0 ? &written : &secondHalf)
                .Write(runs, first, last, leaves[0]);
        });
    written.insert(written.end(), secondHalf.begin(), secondHalf.end());
    return inPlace;
}

std::vector<LeafGeneratorModel::Place> LeafGeneratorModel::Places(const SkeletonLevels& skeleton) const {
    // As Generate writes them: outermost level first, branch by branch, page by page.
    std::vector<Place> places;
    const int levels = static_cast<int>(skeleton.LevelCount());
    for (int depth = 0; depth < levels; ++depth) {
        const int level = levels - 1 - depth;
        for (const BranchSegment& segment : skeleton[level]) {
            if (!segment.IsBranchEnd()) continue;
            for (const LeafSetup& page : pages_) {
                if (!Reaches(page, depth)) continue;
                for (int k = 0; k < page.Get(LeafSetup::kShootLeaves); ++k)
                    places.insert(places.end(), OneLeaf(page).strips,
                                  Place{&segment, level, static_cast<float>(NodeOf(page, k).fraction)});
            }
        }
    }
    return places;
}

void LeafGeneratorModel::WriteSetup(TGXMLFileWriter& writer) const {
    writer.WriteLine(std::string(kGeneratorIndent) + "<" + GetName() + ">");
    for (int i = 0; i < kPageCount; ++i) pages_[i].Write(writer, i + 1);
    if (!std::all_of(pages_.begin(), pages_.end(), [](const LeafSetup& page) { return page.PlainFoliage(); })) {
        writer.WriteLine(std::string(kSectionIndent) + "<" + kFoliageElement + ">");
        for (int i = 0; i < kPageCount; ++i) pages_[i].WriteFoliage(writer, i + 1);
        writer.WriteLine(std::string(kSectionIndent) + "</" + kFoliageElement + ">");
    }
    writer.WriteLine(std::string(kGeneratorIndent) + "</" + GetName() + ">");
}

std::string LeafGeneratorModel::RefusedValue(TGXMLFileReader& reader, int page) const {
    std::string refused = LeafSetup::RefusedValue(reader, GetName(), page);
    if (refused.empty() && reader.EnterElement(GetName()) && reader.EnterElement(kFoliageElement))
        refused = LeafSetup::RefusedFoliageValue(reader, page);
    reader.Rewind();
    return refused;
}

bool LeafGeneratorModel::ReadSetup(TGXMLFileReader& reader, std::vector<int>* unreadPages) {
    loaded_ = pages_;
    bool any = false;
    for (int i = 0; i < kPageCount; ++i) {
        bool complete = false;
        const bool read = loaded_[i].Read(reader, GetName(), i + 1, &complete);
        // A leaf section without foliage values has them at their defaults.
        if (reader.EnterElement(GetName())) {
            if (reader.EnterElement(kFoliageElement)) {
                if (!loaded_[i].ReadFoliage(reader, i + 1)) complete = false;
            } else {
                loaded_[i].ResetFoliage();
            }
        }
        reader.Rewind();
        if (!complete && unreadPages) unreadPages->push_back(i + 1);
        any = read || any;
    }
    return any;
}

}  // namespace grovewright
