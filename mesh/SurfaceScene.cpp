#include "mesh/SurfaceScene.h"

#include "platform/VelmoraError.h"
#include "session/SurfaceSession.h"

namespace velmora {

std::optional<TSurfaceMesh> SampleSessionMesh(TSurfaceSession& session, int side,
                                              std::optional<TInvariantKind> invariant, std::stop_token stop) {
    if (!session.alreadyParsed()) throw VelmoraError("The surface has not been read");
    std::vector<TEngineSet*> sets = session.WorkerSets();
    if (sets.empty()) sets.push_back(&session.MainEngines());
    const TDomainMap& map = session.Map();
    return SampleSurfaceMesh(sets, TMeshRequest{map.min2D, map.max2D, side, side, invariant}, std::move(stop));
}

TLiftedDrawings LiftSessionDrawings(TSurfaceSession& session) {
    if (!session.alreadyParsed()) return {};
    TSurfacePoints points(session.MainEngines());
    TLiftedDrawings drawings{LiftDrawings(session.Stores(), session.Map(), points), {}};
    if (const TSpecialPointsResult* found = session.SpecialPoints()) LiftSpecialPoints(*found, points, drawings);
    return drawings;
}

std::optional<Vector4> SessionSurfacePoint(TSurfaceSession& session, const Vector2& p) {
    if (!session.alreadyParsed()) return std::nullopt;
    TSurfacePoints points(session.MainEngines());
    return points.At(p);
}

void TSurfaceScene::SetMesh(TSurfaceMesh mesh) {
    mesh_ = std::move(mesh);
    hasMesh_ = true;
    ProjectAll();
}

void TSurfaceScene::SetDrawings(TLiftedDrawings drawings) {
    drawings_ = std::move(drawings);
    ProjectLines();
}

void TSurfaceScene::SetMarker(std::optional<Vector4> point) {
    marker_ = point;
    ProjectLines();
}

void TSurfaceScene::SetView(const TView4D& view) {
    view_ = view;
    ProjectAll();
}

void TSurfaceScene::SetAngle(TPlane plane, double degrees) {
    view_.angles[plane] = degrees;
    ProjectAll();
}

void TSurfaceScene::ProjectAll() {
    if (hasMesh_) ProjectMesh(mesh_, view_, projected_);
    ++meshRevision_;
    ProjectLines();
}

void TSurfaceScene::ProjectLines() {
    lines_.positions.clear();
    lines_.colours.clear();
    if (hasMesh_) {
        ProjectPolylines(drawings_.lines, mesh_, view_, lines_);
        for (const TLiftedMarker& m : drawings_.markers) AddMarker(m.point, mesh_, view_, lines_, m.colour, 0.02);
        if (marker_) AddMarker(*marker_, mesh_, view_, lines_);
    }
    ++linesRevision_;
}

TCameraFrame TSurfaceScene::Frame(int width, int height) const {
    return CameraFrame(camera, mesh_.radius, height > 0 ? static_cast<double>(width) / height : 1.0);
}

std::optional<Vector2> TSurfaceScene::Pick(double x, double y, int width, int height) const {
    if (!hasMesh_) return std::nullopt;
    const auto hit = PickMesh(mesh_, projected_, PixelRay(Frame(width, height), x, y, width, height));
    if (!hit) return std::nullopt;
    return hit->param;
}

}  // namespace velmora
