#pragma once

#include <cmath>
#include <cstdint>

#include "geometry/Vector3D.h"

namespace grovewright {

// The most pieces a bent branch is drawn with.
inline constexpr int kMaxBranchPieces = 8;

// One straight piece of trunk or branch. The end points are held by value: a
// skeleton of two million segments must not cost two heap blocks per segment.
class BranchSegment {
public:
    BranchSegment(const Vector3D& start, const Vector3D& end, double twist, double spread,
                  double share, double diameter, const BranchSegment* parent = nullptr)
        : start_(start), end_(end), parent_(parent), twist_(twist), spread_(spread),
          share_(share), diameter_(diameter) {}

    const Vector3D& Start() const { return start_; }
    const Vector3D& End() const { return end_; }
    // The segment whose tip this one continues smoothly; null for the trunk and for
    // branches that start as a separate tube.
    const BranchSegment* Parent() const { return parent_; }
    // Rotation about the vertical applied when the segment was placed, degrees.
    double Twist() const { return twist_; }
    // Signed spread angle applied when placing, degrees.
    double Spread() const { return spread_; }
    // Fraction of the spread this segment took (tilt = share * spread).
    double Share() const { return share_; }
    bool IsCut() const { return cut_; }
    void SetCut(bool cut) { cut_ = cut; }
    // Diameter at the start, centimetres.
    double Diameter() const { return diameter_; }
    void SetDiameter(double diameter) { diameter_ = diameter; }

    // A bent branch is drawn as consecutive pieces of one level, each the parent
    // of the next; its last piece is the branch's end. A straight branch is one
    // piece of one.
    int Piece() const { return piece_; }
    int Pieces() const { return pieces_; }
    bool IsBranchEnd() const { return piece_ + 1 == pieces_; }
    void SetPiece(int piece, int pieces) {
        piece_ = static_cast<std::uint8_t>(piece);
        pieces_ = static_cast<std::uint8_t>(pieces);
    }

    // A smooth piece bends with its neighbours: at a joint with a smooth piece
    // it continues (or that continues it) its ring lies across the mean of the
    // two directions, so the bend is shared by both and shows no kink.
    bool IsSmooth() const { return smooth_; }
    void SetSmooth(bool smooth) { smooth_ = smooth; }

    // The tip's diameter as a share of the start's when the segment has its
    // own (a flared trunk's pieces, roots); 0: the diameter reduction decides.
    float TipScale() const { return tipScale_; }
    void SetTipScale(float scale) { tipScale_ = scale; }

    double Length() const { return Distance(end_, start_); }
    // Tilt from the vertical, degrees.
    double ObliqueAngle() const { return Inclination(end_, start_); }
    // Azimuth about the vertical, degrees.
    double OrientationAngle() const { return Azimuth(end_, start_); }

private:
    Vector3D start_;
    Vector3D end_;
    const BranchSegment* parent_;
    double twist_;
    double spread_;
    double share_;
    double diameter_;
    bool cut_ = false;
    std::uint8_t piece_ = 0;
    std::uint8_t pieces_ = 1;
    bool smooth_ = false;
    float tipScale_ = 0.0f;  // fits the padding after the bytes above: a segment stays 96 bytes
};

static_assert(sizeof(BranchSegment) <= 96, "a skeleton of millions of segments: keep a segment small");

// The pieces of the branch that ends with end, first piece first.
struct BranchPieces {
    explicit BranchPieces(const BranchSegment& end) : count(end.Pieces()) {
        const BranchSegment* piece = &end;
        for (int i = count - 1; i >= 0; --i, piece = piece->Parent()) pieces[i] = piece;
    }
    const BranchSegment& First() const { return *pieces[0]; }
    // The branch's length, along its pieces.
    double Length() const {
        double length = pieces[0]->Length();
        for (int i = 1; i < count; ++i) length += pieces[i]->Length();
        return length;
    }
    // The piece (its index) that holds the point at this fraction (0 .. 1) of
    // the branch, and the point itself. The pieces of a branch are equally
    // long, but for a shaped one (its pieces have their own tip diameters: the
    // flared trunk), whose point is found by length.
    int PieceAt(double fraction, Vector3D& point) const {
        if (count > 1 && pieces[0]->TipScale() != 0.0f) return PieceByLength(fraction, point);
        const double scaled = fraction * count;
        const int i = scaled >= count ? count - 1 : static_cast<int>(scaled);
        const BranchSegment& piece = *pieces[i];
        point = piece.End();
        point.Subtract(piece.Start()).Scale(scaled - i).Add(piece.Start());
        return i;
    }

    int count;
    const BranchSegment* pieces[kMaxBranchPieces] = {};

private:
    int PieceByLength(double fraction, Vector3D& point) const {
        double left = fraction * Length();
        int i = 0;
        while (i + 1 < count && left > pieces[i]->Length()) left -= pieces[i++]->Length();
        const BranchSegment& piece = *pieces[i];
        const double length = piece.Length();
        point = piece.End();
        point.Subtract(piece.Start()).Scale(length > 0.0 ? std::fmin(left / length, 1.0) : 0.0).Add(piece.Start());
        return i;
    }
};

}  // namespace grovewright
