// What the 3D view shows, without any display: the sampled surface, the
// drawings lifted onto it, the marker of the mouse point, the rotation and
// projection of R^4 with the colouring, and the camera. It keeps the
// projected picture up to date as any of them changes; the window's view and
// velmora4-cli render3d both draw from one.
#pragma once

#include "mesh/Camera.h"
#include "mesh/MeshPick.h"
#include "mesh/Overlays.h"
#include "mesh/Projection4D.h"
#include "mesh/SurfaceMesh.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace velmora {

class TSurfaceSession;

// The mesh of a read session with sides of `side` vertices, sampled on its
// worker engine sets (on the set of the calling thread when it has none);
// none when stopped. Throws VelmoraError before a successful read.
std::optional<TSurfaceMesh> SampleSessionMesh(TSurfaceSession& session, int side,
                                              std::optional<TInvariantKind> invariant, std::stop_token stop = {});
// The session's loci, curves, coordinate lines and stored special points
// lifted onto its surface.
TLiftedDrawings LiftSessionDrawings(TSurfaceSession& session);
// The session's surface point at a domain point (none where it has none).
std::optional<Vector4> SessionSurfacePoint(TSurfaceSession& session, const Vector2& p);

class TSurfaceScene {
public:
    void SetMesh(TSurfaceMesh mesh);
    void SetDrawings(TLiftedDrawings drawings);
    // The marker at a point of R^4 (none: no marker).
    void SetMarker(std::optional<Vector4> point);
    void SetView(const TView4D& view);
    void SetAngle(TPlane plane, double degrees);

    bool HasMesh() const { return hasMesh_; }
    const TSurfaceMesh& Mesh() const { return mesh_; }
    const TView4D& View() const { return view_; }
    const TProjectedMesh& Projected() const { return projected_; }
    const TProjectedLines& Lines() const { return lines_; }
    TColouringPalette Palette() const { return ColouringPalette(view_.colouring); }
    // Grows with each change of the projected mesh, of the lines.
    uint64_t MeshRevision() const { return meshRevision_; }
    uint64_t LinesRevision() const { return linesRevision_; }

    TCamera camera;
    TCameraFrame Frame(int width, int height) const;

    // The domain point of the surface seen at pixel (x, y) of a view of that size.
    std::optional<Vector2> Pick(double x, double y, int width, int height) const;

private:
    void ProjectAll();
    void ProjectLines();

    TSurfaceMesh mesh_;
    bool hasMesh_ = false;
    TLiftedDrawings drawings_;
    std::optional<Vector4> marker_;
    TView4D view_;
    TProjectedMesh projected_;
    TProjectedLines lines_;
    uint64_t meshRevision_ = 0, linesRevision_ = 0;
};

}  // namespace velmora
