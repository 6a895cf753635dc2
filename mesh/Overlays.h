// The drawings of the domain lifted onto the surface for the 3D view: each
// stored locus piece, traced curve and coordinate line becomes a polyline of
// surface points, and the point under the mouse a marker. The lifted points
// live in R^4 and are projected like the mesh.
#pragma once

#include "mesh/Projection4D.h"
#include "mesh/SurfaceMesh.h"
#include "platform/Colour.h"
#include "platform/VelmoraTypes.h"

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

// The marker at the lifted mouse point: three crossing segments along the
// axes of the picture, 3% of R long on each side; nothing without an image.
void AddMarker(const Vector4& point, const TSurfaceMesh& mesh, const TView4D& view, TProjectedLines& out);

}  // namespace velmora
