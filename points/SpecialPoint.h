// The points of the domain where the direction fields of the line families are
// singular, as values: what kind of point each is (from the products of the
// local geometry), its index and separatrices as measured on the field of one
// line class, and the sets of such points that are not isolated (a curve, or
// the whole domain). The scan (points/SpecialPointScan.h) finds them; the
// session keeps the last result for the panel, the page and the data panel.
#pragma once

#include "geometry/LineClass.h"
#include "platform/Colour.h"
#include "platform/VelmoraTypes.h"

#include <cmath>
#include <cstddef>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace velmora {

enum class TSpecialKind : int {
    Axiumbilic = 0,         // the curvature ellipse is a circle: bb - cc = 0, bc = 0
    Inflection = 1,         // the ellipse is a segment on a line through the origin: jhb = jhc = 0, H != 0
    Minimal = 2,            // H = 0
    PrincipalSingular = 3,  // H normal to B and C: hb = hc = 0, H != 0
    Degenerate = 4,         // the metric is degenerate: f_u and f_v parallel, or one of them zero
};
inline constexpr int kSpecialKinds = 5;

// "axiumbilic", "inflection", "minimal", "principal-singular", "degenerate".
const char* SpecialKindName(TSpecialKind kind);

// Where the origin of the normal plane lies with respect to the segment that
// the ellipse of an inflection point is.
enum class TOriginSide { Inside, Outside };
const char* OriginSideName(TOriginSide side);  // "inside", "outside"

// ---- which points belong to which line class ------------------------------------
// Points are looked for with the classes 1 to 4 (whose fields are given by
// quadratic forms) and, with 0, for every kind. The fields of the extremal
// deviation and strong principal lines (5 to 7) have no special points here.
constexpr bool HasSpecialPoints(TLineClass c) {
    return c >= TLineClass::CoordinateLines && c <= TLineClass::Principal;
}
// What the window and velmora4-cli say when asked for the points of another class.
inline constexpr const char* kNoSpecialPointsOfClass =
    "Special points are found for the line classes 1 to 4 (curvature, asymptotic, mean curvature and "
    "principal lines) and 0 (every kind)";

// The kinds looked for with a class: those whose points are singular for its
// field - curvature lines: axiumbilic; asymptotic lines: inflection; mean
// curvature lines: inflection and minimal; principal lines: minimal and
// principal-singular; 0: all four - and always the degenerate points, where
// no field is defined. Nothing for the classes 5 to 7.
std::vector<TSpecialKind> SpecialKindsOf(TLineClass c);
// True when the points of `kind` are singular for the field of class c (1..4).
bool IsSingularFor(TSpecialKind kind, TLineClass c);
// The field whose index a point of `kind` gets when the points of class c are
// looked for: c itself for 1 to 4; with 0 the kind's own field (axiumbilic:
// curvature lines, inflection and minimal: mean curvature lines,
// principal-singular: principal lines). Degenerate points have none
// (CoordinateLines).
TLineClass MeasuredField(TSpecialKind kind, TLineClass c);

// ---- the points and the sets ------------------------------------------------------
struct TSpecialPoint {
    Vector2 at{};
    TSpecialKind kind = TSpecialKind::Axiumbilic;
    // The class whose field was measured round the point; CoordinateLines
    // when none was (degenerate points).
    TLineClass field = TLineClass::CoordinateLines;
    // The turns of the field's direction along a small loop round the point
    // (+1/4 or -1/4 for the curvature lines, +1/2 or -1/2 for the others);
    // NaN where the field is not defined all round the loop.
    double index = std::numeric_limits<double>::quiet_NaN();
    // The rays from the point along which the field is radial; -1 when not measured.
    int separatrices = -1;
    // The pattern of the lines round the point: "E3", "E4", "E5" (curvature
    // lines, by the number of separatrices), "lemon", "monstar", "star"
    // (the other fields); empty when it could not be measured.
    std::string type;
    // Inflection points: the origin of the normal plane inside or outside the segment.
    std::optional<TOriginSide> origin;

    bool IndexMeasured() const { return std::isfinite(index); }
};

// Singular points that are not isolated: a curve of them (one polyline), or
// every point of the domain.
struct TSpecialSet {
    TSpecialKind kind = TSpecialKind::Axiumbilic;
    bool everywhere = false;
    std::vector<Vector2> curve;  // empty when everywhere
};

inline constexpr std::size_t kMaxSpecialPoints = 10000;

struct TSpecialPointsResult {
    TLineClass lineClass = TLineClass::CoordinateLines;
    std::vector<TSpecialPoint> points;
    std::vector<TSpecialSet> sets;
    // More isolated points than the cap were found: the first ones (by v,
    // then u) are kept.
    bool capped = false;
    // A stop request ended the scan: the result is incomplete.
    bool stopped = false;
};

// The pattern named by the index and the separatrices of a field: by the
// number of separatrices for the curvature lines ("E3" ...), lemon (+1/2, one
// separatrix), monstar (+1/2, three or more) and star (-1/2) for the others;
// empty when the index was not measured or is not one of these.
std::string SpecialPointType(TLineClass field, double index, int separatrices);

// The colour of a point's marker, by the pattern of the lines round it ("E3",
// "lemon", ...; grey where it was not measured, black for degenerate points),
// and of a curve of points of a kind: the main panel, the page, the figures
// and the 3D view show them alike.
TColor MarkerColour(const TSpecialPoint& point);
TColor SpecialSetColour(TSpecialKind kind);

// "More than 10000 special points: the first 10000 are shown".
std::string SpecialPointsCapMessage(std::size_t cap = kMaxSpecialPoints);
// What a set covering the whole domain says, e.g. "Every point is minimal".
std::string EverywhereMessage(TSpecialKind kind);

}  // namespace velmora
