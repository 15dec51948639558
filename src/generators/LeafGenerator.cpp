#include "generators/LeafGenerator.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <thread>
#include <unordered_map>
#include <vector>

#include "geometry/Rotation3.h"
#include "io/TGXMLFileWriter.h"

namespace grovewright {

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
// segment: R x C grid points and their normals. It depends only on the page and
// the leaf's size, so it is built once per page and size and reused for every
// segment; turning it is one matrix per segment.
struct LocalLeaf {
    int rows = 0;
    int columns = 0;
    std::vector<Vector3D> points;
    std::vector<Vector3D> normals;
    const Vector3D& Point(int r, int c) const { return points[r * columns + c]; }
};

LocalLeaf BuildLocalLeaf(const LeafSetup& page, int height, int width) {
    LocalLeaf leaf;
    const int rows = page.Get(V::kLeafSplit), n = page.Get(V::kSegmentCount);
    leaf.rows = rows;
    leaf.columns = n + 1;
    const double step = static_cast<double>(height) / n;
    const double split = page.Get(V::kSplitAngle), spread = page.Get(V::kSpreadAngle);
    for (int r = 0; r < rows; ++r) {
        const double z = -width / 2.0 + static_cast<double>(width) * r / (rows - 1);
        for (int c = 0; c <= n; ++c) {
            // The spine is a polyline whose j-th piece is bent by j x SplitAngle.
            Vector3D p(0, 0, z);
            for (int j = 0; j <= c; ++j) {
                if (j > 0) p.x += step;
                // Both halves of a three-row leaf fold the same way; the middle row stays.
                if (j == 0 && rows > 2) p.RotateX(p.z < 0 ? spread : -spread);
                p.RotateZ(split);
            }
            p.RotateZ(-split).RotateX(page.Get(V::kTwistAngle)).RotateZ(page.Get(V::kAddAngle));
            p.RotateX(page.Get(V::kOriAngle));
            leaf.points.push_back(p);
        }
    }
    // Smooth normals: around each vertex the cross products of consecutive edges
    // to its neighbours (up, left, down, right, cyclically) where both exist. A
    // zero-sized leaf gives zero vectors here, never NaN.
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c <= n; ++c) {
            const Vector3D& v = leaf.Point(r, c);
            auto edge = [&](int rr, int cc, Vector3D& out) {
                if (rr < 0 || rr >= rows || cc < 0 || cc > n) return false;
                out = leaf.Point(rr, cc);
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
    return leaf;
}

// Whether the page puts a leaf on the branches of the level depth (0: the outermost level).
bool Reaches(const LeafSetup& page, int depth) { return page.UseLeaf() && page.Get(V::kRelativAddDownTo) >= depth; }

// One leaf of the page: LeafSplit - 1 strips of 2 x (SegmentCount + 1) vertices.
LeafGeneratorModel::Counts OneLeaf(const LeafSetup& page) {
    const auto strips = static_cast<std::size_t>(page.Get(V::kLeafSplit) - 1);
    return {strips, strips * 2 * static_cast<std::size_t>(page.Get(V::kSegmentCount) + 1)};
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

// Writes the R - 1 strips of one leaf turned by toSegment and moved to anchor;
// turned is scratch space for the leaf's turned points and normals.
void EmitLeaf(const LocalLeaf& leaf, const Rotation3& toSegment, const Vector3D& anchor,
              std::vector<LeafVertex>& turned, LeafList::RunWriter& list) {
    const int rows = leaf.rows, columns = leaf.columns;
    turned.resize(leaf.points.size());
    for (std::size_t i = 0; i < leaf.points.size(); ++i) {
        const Vector3D p = toSegment * leaf.points[i];
        const Vector3D normal = toSegment * leaf.normals[i];
        // Position in double, stored as float.
        turned[i] = LeafVertex{static_cast<float>(p.x + anchor.x), static_cast<float>(p.y + anchor.y),
                               static_cast<float>(p.z + anchor.z), static_cast<float>(normal.x),
                               static_cast<float>(normal.y), static_cast<float>(normal.z), 0, 0};
    }
    const float vStep = static_cast<float>(1.0 / (columns - 1));
    for (int r = 0; r + 1 < rows; ++r) {
        LeafVertex* out = list.Append(2 * columns, kTriangleStrip).Vertices();
        for (int c = 0; c < columns; ++c) {
            for (int row : {r + 1, r}) {
                *out = turned[row * columns + c];
                out->u = static_cast<float>(static_cast<double>(row) / (rows - 1));
                out->v = static_cast<float>(c * vStep);
                ++out;
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
               int onlyPage = -1, std::vector<std::uint32_t>* written = nullptr)
        : pages_(pages), active_(active), onlyPage_(onlyPage), written_(written) {
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
                if (branch >= first) WriteBranch(BranchPieces(segment), run->depth, writer);
                if (++branch == last) return;
            }
        }
    }

private:
    // One leaf per page on the branch, however many pieces it is drawn with:
    // placed along the whole branch and turned as the piece it sits on.
    void WriteBranch(const BranchPieces& branch, int depth, LeafList::RunWriter& writer) {
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
                const LeafGeneratorModel::Counts leaf = OneLeaf(page);
                writer.Skip(leaf.strips, leaf.vertices);
                continue;
            }
            const std::size_t firstPolygon = writer.Polygon();
            WriteLeaf(page, a, branch, lengthSize, writer);
            if (written_)
                for (std::size_t p = firstPolygon; p < writer.Polygon(); ++p)
                    written_->push_back(static_cast<std::uint32_t>(p));
        }
    }

    void WriteLeaf(const LeafSetup& page, std::size_t a, const BranchPieces& branch, int lengthSize,
                   LeafList::RunWriter& writer) {
        const int h = page.Get(V::kHeight) >= 1 ? page.Get(V::kHeight) : lengthSize;
        const int w = page.Get(V::kWidth) >= 1 ? page.Get(V::kWidth) : lengthSize;
        Vector3D anchor;
        const int piece = branch.PieceAt(page.Get(V::kRelAdd) / 100.0, anchor);
        EmitLeaf(caches_[a].Get(h, w), page.AddHorizontal() ? turnHorizontal_[piece] : turn_[piece], anchor, turned_,
                 writer);
    }

    const std::array<LeafSetup, LeafGeneratorModel::kPageCount>& pages_;
    const std::vector<int>& active_;
    int onlyPage_;
    std::vector<std::uint32_t>* written_;
    std::vector<LeafCache> caches_;
    std::vector<LeafVertex> turned_;
    Rotation3 turn_[kMaxBranchPieces], turnHorizontal_[kMaxBranchPieces];
};

}  // namespace

LeafGeneratorModel::Counts LeafGeneratorModel::BranchLeaves(int depth) const {
    Counts counts;
    for (const LeafSetup& page : pages_) {
        if (!Reaches(page, depth)) continue;
        const Counts leaf = OneLeaf(page);
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
        counts.strips += branchesPerLevel[levels - 1 - k] * branch.strips;
        counts.vertices += branchesPerLevel[levels - 1 - k] * branch.vertices;
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

void LeafGeneratorModel::Generate(const SkeletonLevels& skeleton, LeafStore& leaves) const {
    // The result is one list; an existing single list is reused with its buffers.
    if (leaves.ListCount() != 1) {
        leaves.Clear();
        leaves.AppendList();
    }
    LeafList& list = leaves[0];
    list.clear();
    const std::vector<int> active = ActivePages(pages_);
    if (active.empty()) return;
    WriteInHalves(skeleton, list, true,
                  [&](const std::vector<LevelRun>& runs, std::size_t first, std::size_t last, int) {
                      LeafWriter(pages_, active).Write(runs, first, last, list);
                  });
}

bool LeafGeneratorModel::KeepsPlaces(int leafValue) {
    switch (leafValue) {
        case LeafSetup::kUseLeaf:
        case V::kLeafSplit:
        case V::kSegmentCount:
        case V::kRelativAddDownTo:
            return false;
        default:
            return true;
    }
}

bool LeafGeneratorModel::RegeneratePage(const SkeletonLevels& skeleton, LeafStore& leaves, int page,
                                        std::vector<std::uint32_t>& written) const {
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
            LeafWriter(pages_, active, onlyPage, half == 0 ? &written : &secondHalf)
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
            for (const LeafSetup& page : pages_)
                if (Reaches(page, depth))
                    places.insert(places.end(), static_cast<std::size_t>(page.Get(V::kLeafSplit) - 1),
                                  Place{&segment, level, static_cast<float>(page.Get(V::kRelAdd) / 100.0)});
        }
    }
    return places;
}

void LeafGeneratorModel::WriteSetup(TGXMLFileWriter& writer) const {
    writer.WriteLine(std::string(kGeneratorIndent) + "<" + GetName() + ">");
    for (int i = 0; i < kPageCount; ++i) pages_[i].Write(writer, i + 1);
    writer.WriteLine(std::string(kGeneratorIndent) + "</" + GetName() + ">");
}

bool LeafGeneratorModel::ReadSetup(TGXMLFileReader& reader, std::vector<int>* unreadPages) {
    loaded_ = pages_;
    bool any = false;
    for (int i = 0; i < kPageCount; ++i) {
        bool complete = false;
        const bool read = loaded_[i].Read(reader, GetName(), i + 1, &complete);
        if (!complete && unreadPages) unreadPages->push_back(i + 1);
        any = read || any;
    }
    return any;
}

}  // namespace grovewright
