// The stored drawings of the domain: the seven loci (polylines of knots, one
// store per locus kind), the traced curves (each in one colour) and the points
// through which coordinate lines were drawn. Everything is in domain
// coordinates (u, v), so that any target - the main panel, a printed page, an
// exported image - can draw it at its own size. Each store holds exactly
// what was stored, in order.
#pragma once

#include "geometry/ScalarInvariants.h"
#include "platform/Colour.h"
#include "platform/VelmoraTypes.h"

#include <array>
#include <cstdint>
#include <vector>

namespace velmora {

// One knot of a locus polyline: key 1 lifts the pen and starts a new piece at
// pos, any other key draws a line to pos.
struct wireKnot {
    uint8_t key = 0;
    Vector2 pos{0, 0};
};
using wireKnots = std::vector<wireKnot>;

// A traced curve in the domain, drawn in one colour.
struct Curve {
    TColor c = 0;
    std::vector<Vector2> pts;
};

inline constexpr int kLociCount = kInvariantKinds;

inline constexpr TColor kLocusColour = 0xC0C0C0;      // every locus, silver
inline constexpr TColor kCoordLineColour = 0xCCCCCC;  // coordinate lines, light grey

// Colours of curves started by the higher-degree tracers, by the class of
// their starting direction: 1 minimal deviation (fuchsia), 2 a relative
// minimum that is not the minimum (blue), 3 a relative maximum that is not the
// maximum (green), 4 maximal deviation (red); any other class takes the
// picker's colour.
TColor ExtremalsCurveColour(int cl, TColor pickerColour);

class TDrawingStores {
public:
    // ---- loci -----------------------------------------------------------------
    // Every locus store is emptied.
    void InitializeLoci();
    // Starts (or restarts) the store of a locus kind for a trace; the knots
    // that follow go there. A value that is no kind is refused (false).
    bool BeginLocus(TLocusKind kind);
    // Stores one knot of the locus being traced (key 1: start of a piece).
    void AddLocusSegment(const Vector2& currentX, int key);
    // Replaces the store of a kind by the knots of a trace made elsewhere.
    void SetLocus(TLocusKind kind, wireKnots knots);
    TLocusKind lociOption() const { return lociOption_; }
    // The knots of each kind, in the order they were stored.
    const std::array<wireKnots, kLociCount>& loci() const { return loci_; }
    // The stored locus of a kind as its pieces: a knot with key 1 starts the
    // next piece (the first knot always starts one).
    std::vector<std::vector<Vector2>> LocusPieces(TLocusKind kind) const;

    // ---- curves -----------------------------------------------------------------
    void InitializeLines();
    // key 1 starts a new curve in `newCurveColour` whose first point is point;
    // any other key appends point to the current curve (a first point without a
    // curve starts one as well).
    void AddLineSegment(const Vector2& point, uint8_t key, TColor newCurveColour);
    // The same for the higher-degree tracers: a new curve takes the colour of
    // its class cl.
    void AddLineSegmentExtremals(const Vector2& point, uint8_t key, int cl, TColor pickerColour);
    // Forgets the last curve (not the coordinate lines); false when there is none.
    bool EraseLastLine();
    // The curve being traced, the last one (null when there is none).
    const Curve* CurrentCurve() const { return lines_.empty() ? nullptr : &lines_.back(); }
    // Every curve, in the order they were started.
    const std::vector<Curve>& lines() const { return lines_; }

    // ---- coordinate lines -------------------------------------------------------
    void AddCoordinatePoint(const Vector2& param);
    const std::vector<Vector2>& coordLines() const { return coordLines_; }

    // Grows with every change of any store: a view of the drawings that saw
    // the same value has seen them all.
    uint64_t Revision() const { return revision_; }

private:
    uint64_t revision_ = 0;
    std::array<wireKnots, kLociCount> loci_;
    TLocusKind lociOption_ = TLocusKind::GaussCurvature;
    std::vector<Curve> lines_;
    std::vector<Vector2> coordLines_;
};

}  // namespace velmora
