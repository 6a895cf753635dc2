// The drawings of the domain lifted onto the surface for the 3D view: each
// stored locus piece, traced curve and coordinate line becomes a polyline of
// surface points, each special point a marker in the colour of its pattern
// (a curve of special points a polyline in its kind's colour), and the point
// under the mouse a marker. The lifted points live in R^4 and are projected
// like the mesh.
#pragma once

#include "mesh/Projection4D.h"
#include "mesh/SurfaceMesh.h"
#include "platform/Colour.h"
#include "platform/VelmoraTypes.h"
#include "points/SpecialPoint.h"

#include <optional>
#include <vector>

namespace velmora {

class TDrawingStores;
struct TDomainMap;

inline constexpr TColor kMarkerColour = 0x00FFFF;  // the mouse point: yellow
inline constexpr int kCoordinateLineSamples = 400;

// Points of R^4 in order; a missing point (no surface there) breaks the line.
struct TLiftedPolyline {
    TColor colour = 0;
    std::vector<std::optional<Vector4>> points;
};

// Every locus piece in silver, every curve of more than one point in its
// colour, the two coordinate lines through every stored coordinate point
// (kCoordinateLineSamples + 1 points across U each) in light grey.
std::vector<TLiftedPolyline> LiftDrawings(const TDrawingStores& stores, const TDomainMap& map, TSurfacePoints& surface);

// A point of R^4 marked by three crossing segments of a colour.
struct TLiftedMarker {
    Vector4 point{};
    TColor colour = kMarkerColour;
};

// What the 3D view draws over the surface.
struct TLiftedDrawings {
    std::vector<TLiftedPolyline> lines;
    std::vector<TLiftedMarker> markers;
};

// The special points of a search lifted: a marker per isolated point with a
// surface point, a polyline per curve of points (none for a set that covers
// the whole domain, which has nothing to mark).
void LiftSpecialPoints(const TSpecialPointsResult& found, TSurfacePoints& surface, TLiftedDrawings& out);

// Line segments for the renderer: pairs of end points, with their colours.
struct TProjectedLines {
    std::vector<float> positions;  // 3 per end point, two end points per segment
    std::vector<float> colours;    // 3 per end point, 0 .. 1
    std::size_t Segments() const { return positions.size() / 6; }
};

// The polylines projected as the mesh of that centre and radius is: a segment
// is drawn between two consecutive points that both have an image.
void ProjectPolylines(const std::vector<TLiftedPolyline>& lines, const TSurfaceMesh& mesh, const TView4D& view,
                      TProjectedLines& out);

// A marker at a lifted point: three crossing segments along the axes of the
// picture, `reach` times R long on each side; nothing without an image. The
// mouse point's reaches 3% of R, a special point's 2%.
void AddMarker(const Vector4& point, const TSurfaceMesh& mesh, const TView4D& view, TProjectedLines& out,
               TColor colour = kMarkerColour, double reach = 0.03);

}  // namespace velmora
