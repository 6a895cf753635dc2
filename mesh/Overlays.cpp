#include "mesh/Overlays.h"

#include "geometry/DomainMap.h"
#include "session/DrawingStores.h"

namespace velmora {

namespace {

TLiftedPolyline Lift(const std::vector<Vector2>& domainPoints, TColor colour, TSurfacePoints& surface) {
    TLiftedPolyline line;
    line.colour = colour;
    line.points.reserve(domainPoints.size());
    for (const Vector2& p : domainPoints) line.points.push_back(surface.At(p));
    return line;
}

std::optional<Vector3> ImageOf(const Vector4& p, const TSurfaceMesh& mesh, const Matrix4& rotation,
                               TProjectionKind kind) {
    Vector4 centred;
    for (int c = 0; c < 4; ++c) centred[c] = p[c] - mesh.centre[c];
    return ProjectRotated(Apply(rotation, centred), kind, mesh.radius);
}

void AddSegment(const Vector3& a, const Vector3& b, TColor colour, TProjectedLines& out) {
    const float rgb[3] = {(colour & 0xFF) / 255.0f, ((colour >> 8) & 0xFF) / 255.0f, ((colour >> 16) & 0xFF) / 255.0f};
    for (const Vector3* p : {&a, &b}) {
        for (int c = 0; c < 3; ++c) {
            out.positions.push_back(static_cast<float>((*p)[c]));
            out.colours.push_back(rgb[c]);
        }
    }
}

}  // namespace

std::vector<TLiftedPolyline> LiftDrawings(const TDrawingStores& stores, const TDomainMap& map, TSurfacePoints& surface) {
    std::vector<TLiftedPolyline> lines;
    for (int k = 0; k < kLociCount; ++k)
        for (const std::vector<Vector2>& piece : stores.LocusPieces(static_cast<TLocusKind>(k)))
            if (piece.size() > 1) lines.push_back(Lift(piece, kLocusColour, surface));
    for (const Vector2& c : stores.coordLines()) {
        std::vector<Vector2> uLine, vLine;
        for (int s = 0; s <= kCoordinateLineSamples; ++s) {
            const double t = static_cast<double>(s) / kCoordinateLineSamples;
            uLine.push_back({map.min2D[0] + t * map.edges2D[0], c[1]});
            vLine.push_back({c[0], map.min2D[1] + t * map.edges2D[1]});
        }
        lines.push_back(Lift(uLine, kCoordLineColour, surface));
        lines.push_back(Lift(vLine, kCoordLineColour, surface));
    }
    for (const Curve& curve : stores.lines())
        if (curve.pts.size() > 1) lines.push_back(Lift(curve.pts, curve.c, surface));
    return lines;
}

void LiftSpecialPoints(const TSpecialPointsResult& found, TSurfacePoints& surface, TLiftedDrawings& out) {
    for (const TSpecialPoint& p : found.points)
        if (const std::optional<Vector4> q = surface.At(p.at)) out.markers.push_back({*q, MarkerColour(p)});
    for (const TSpecialSet& set : found.sets)
        if (set.curve.size() > 1) out.lines.push_back(Lift(set.curve, SpecialSetColour(set.kind), surface));
}

void ProjectPolylines(const std::vector<TLiftedPolyline>& lines, const TSurfaceMesh& mesh, const TView4D& view,
                      TProjectedLines& out) {
    out.positions.clear();
    out.colours.clear();
    const Matrix4 rotation = RotationOf(view.angles);
    for (const TLiftedPolyline& line : lines) {
        std::optional<Vector3> previous;
        for (const std::optional<Vector4>& p : line.points) {
            std::optional<Vector3> image = p ? ImageOf(*p, mesh, rotation, view.projection) : std::nullopt;
            if (image && previous) AddSegment(*previous, *image, line.colour, out);
            previous = image;
        }
    }
}

void AddMarker(const Vector4& point, const TSurfaceMesh& mesh, const TView4D& view, TProjectedLines& out,
               TColor colour, double reach) {
    const std::optional<Vector3> image = ImageOf(point, mesh, RotationOf(view.angles), view.projection);
    if (!image) return;
    const double h = reach * mesh.radius;
    for (int axis = 0; axis < 3; ++axis) {
        Vector3 a = *image, b = *image;
        a[axis] -= h;
        b[axis] += h;
        AddSegment(a, b, colour, out);
    }
}

}  // namespace velmora
