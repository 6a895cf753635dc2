// The sampled surface: its points, its holes, its invariant values (those of
// the background), its projections of known surfaces, the lifted drawings,
// the camera and picking.
#include "background/BackgroundThreads.h"
#include "mesh/Camera.h"
#include "mesh/MeshPick.h"
#include "mesh/Overlays.h"
#include "mesh/Projection4D.h"
#include "mesh/SurfaceMesh.h"
#include "mesh/SurfaceScene.h"
#include "platform/VelmoraError.h"
#include "session/SurfaceSession.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <stop_token>

namespace velmora {
namespace {

constexpr double kPi = std::numbers::pi;

std::unique_ptr<TSurfaceSession> Read(const TInputTexts& texts, int workers = 2) {
    auto s = std::make_unique<TSurfaceSession>(workers);
    s->SetInputTexts(texts);
    EXPECT_TRUE(s->ReadData().ok);
    return s;
}

TSurfaceMesh Sample(TSurfaceSession& s, int columns, int rows, std::optional<TInvariantKind> kind = {}) {
    TMeshRequest r{s.Map().min2D, s.Map().max2D, columns, rows, kind};
    return *SampleSurfaceMesh(s.WorkerSets(), r);
}

const TInputTexts kClifford{"cos(u)/sqrt(2)", "sin(u)/sqrt(2)", "cos(v)/sqrt(2)", "sin(v)/sqrt(2)",
                            "0", "2 pi", "0", "2 pi"};

TEST(SurfaceMesh, CliffordTorusPointsAndItsOrthographicBoundingBox) {
    auto s = Read(kClifford);
    const TSurfaceMesh mesh = Sample(*s, 201, 181);
    ASSERT_EQ(mesh.VertexCount(), 201u * 181u);
    EXPECT_EQ(std::count(mesh.defined.begin(), mesh.defined.end(), 1), 201 * 181);
    // Vertex (i, j) is f(u_i, v_j), the grid closing on the edges of U.
    const Vector2 p = mesh.Param(50, 90);
    EXPECT_DOUBLE_EQ(p[0], 2 * kPi * 50 / 200);
    EXPECT_DOUBLE_EQ(p[1], 2 * kPi * 90 / 180);
    EXPECT_EQ(mesh.Param(200, 180), (Vector2{2 * kPi, 2 * kPi}));
    const Vector4 q = mesh.points[mesh.Index(50, 90)];
    EXPECT_NEAR(q[0], std::cos(p[0]) / std::sqrt(2.0), 1e-15);
    EXPECT_NEAR(q[3], std::sin(p[1]) / std::sqrt(2.0), 1e-15);
    // Centred on the origin, every point on the unit 3-sphere.
    for (int k = 0; k < 4; ++k) EXPECT_NEAR(mesh.centre[k], 0, 1e-12);
    EXPECT_NEAR(mesh.radius, 1, 1e-12);

    // Orthographically (cos u, sin u, cos v)/sqrt2: the flat torus shape in
    // the box [-1/sqrt2, 1/sqrt2]^3 (u and v both reach 0 and pi on this grid).
    TProjectedMesh out;
    ProjectMesh(mesh, TView4D{}, out);
    std::array<float, 3> lo{1e9f, 1e9f, 1e9f}, hi{-1e9f, -1e9f, -1e9f};
    for (std::size_t v = 0; v < mesh.VertexCount(); ++v)
        for (int c = 0; c < 3; ++c) {
            lo[c] = std::min(lo[c], out.positions[3 * v + c]);
            hi[c] = std::max(hi[c], out.positions[3 * v + c]);
        }
    const double h = 1 / std::sqrt(2.0);
    for (int c = 0; c < 3; ++c) {
        EXPECT_NEAR(lo[c], -h, 1e-6) << c;
        EXPECT_NEAR(hi[c], h, 1e-6) << c;
    }
    // Every cell of the grid gives two triangles.
    EXPECT_EQ(out.triangles.size(), 3u * 2 * 200 * 180);

    // Stereographically, the torus on the sphere goes to R (x, y, z)/(R - w).
    TView4D stereo;
    stereo.projection = TProjectionKind::Stereographic;
    ProjectMesh(mesh, stereo, out);
    const std::size_t k = mesh.Index(50, 90);
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(out.positions[3 * k + c], q[c] / (1 - q[3]), 1e-6);
}

TEST(SurfaceMesh, SurfaceInXyzSpaceIsUnchangedByRotationsThatFixW) {
    auto s = Read({"u", "v", "u v", "0", "-1", "2", "-1", "1"});
    const TSurfaceMesh mesh = Sample(*s, 31, 21);
    TView4D plain, turned;
    turned.angles[TPlane::XY] = 35;
    turned.angles[TPlane::XZ] = -70;
    turned.angles[TPlane::YZ] = 120;
    TProjectedMesh a, b, persp;
    ProjectMesh(mesh, plain, a);
    ProjectMesh(mesh, turned, b);
    turned.projection = TProjectionKind::Perspective;
    ProjectMesh(mesh, turned, persp);
    // The picture is a congruent copy: every distance between vertices stays,
    // and with w = 0 the perspective from the fourth axis changes nothing.
    const auto dist = [](const TProjectedMesh& m, std::size_t i, std::size_t j) {
        double d = 0;
        for (int c = 0; c < 3; ++c) d += std::pow(m.positions[3 * i + c] - m.positions[3 * j + c], 2);
        return std::sqrt(d);
    };
    for (std::size_t i = 0; i < mesh.VertexCount(); i += 37)
        for (std::size_t j = 0; j < mesh.VertexCount(); j += 53) EXPECT_NEAR(dist(a, i, j), dist(b, i, j), 1e-5);
    for (std::size_t i = 0; i < b.positions.size(); ++i) EXPECT_NEAR(b.positions[i], persp.positions[i], 1e-6);
    // The unturned picture is the surface itself, centred.
    const std::size_t k = mesh.Index(30, 20);  // (2, 1, 2)
    EXPECT_NEAR(a.positions[3 * k], 2 - mesh.centre[0], 1e-6);
    EXPECT_NEAR(a.positions[3 * k + 2], 2 - mesh.centre[2], 1e-6);
    EXPECT_EQ(mesh.centre[3], 0);
}

TEST(SurfaceMesh, HolesWhereAFormulaIsUndefinedAndNoTriangleReachesThem) {
    // sqrt(u) exists for u >= 0, ln(v) for v > 0, 1/(u - 0.5) except at u = 0.5.
    auto s = Read({"u", "v", "sqrt(u) + 1/(u - 0.5)", "ln(v)", "-1", "1", "-1", "1"});
    const TSurfaceMesh mesh = Sample(*s, 41, 41);
    for (int j = 0; j < 41; ++j)
        for (int i = 0; i < 41; ++i) {
            const Vector2 p = mesh.Param(i, j);
            const bool expected = p[0] >= 0 && p[1] > 0 && p[0] != 0.5;
            EXPECT_EQ(mesh.defined[mesh.Index(i, j)] != 0, expected) << p[0] << "," << p[1];
        }
    TProjectedMesh out;
    ProjectMesh(mesh, TView4D{}, out);
    ASSERT_FALSE(out.triangles.empty());
    for (uint32_t v : out.triangles) EXPECT_TRUE(mesh.defined[v]);
    // No vertex goes to a clamp value: the picture stays within the mesh's ball.
    for (float c : out.positions) EXPECT_LE(std::fabs(c), mesh.radius + 1e-6);
    // Cells with u >= 0 and v > 0, less the two beside u = 0.5: 18 x 19.
    EXPECT_EQ(out.triangles.size() / 3, 2u * 18 * 19);
}

TEST(SurfaceMesh, InvariantValuesAreTheBackgroundsAtTheSamePoints) {
    auto s = std::make_unique<TSurfaceSession>(2);  // the default surface
    ASSERT_TRUE(s->ReadData().ok);
    constexpr int W = 23, H = 17;
    const TSurfaceMesh mesh = Sample(*s, W, H, TInvariantKind::GaussCurvature);
    // The background bitmap of that size samples the same grid: column x is
    // u_x, row y is v_(H-1-y).
    std::vector<uint32_t> pixels(W * H);
    const TPixelView view{reinterpret_cast<uint8_t*>(pixels.data()), W * 4, W, H};
    TBackgroundWorkers workers;
    workers.Start(view, s->Map().min2D, s->Map().max2D, TBackgroundType::GaussCurvature, s->WorkerSets());
    workers.Wait();
    const TColouringPalette palette = ColouringPalette(TColouring::Invariant);
    int coloured = 0;
    for (int j = 0; j < H; ++j)
        for (int i = 0; i < W; ++i) {
            const double value = mesh.invariant[mesh.Index(i, j)];
            const uint32_t pixel = pixels[(H - 1 - j) * W + i];
            if (value == UndefinedValue) {
                EXPECT_EQ(pixel, 0xFFFFFFFFu);
                continue;
            }
            ++coloured;
            EXPECT_EQ(PixelOfColour(palette[InvariantShade(value)]), pixel) << i << "," << j;
        }
    EXPECT_GT(coloured, W * H / 2);
}

TEST(SurfaceMesh, StopsWhenAsked) {
    auto s = Read(kClifford);
    std::stop_source stop;
    stop.request_stop();
    TMeshRequest r{s->Map().min2D, s->Map().max2D, 100, 100, {}};
    EXPECT_FALSE(SampleSurfaceMesh(s->WorkerSets(), r, stop.get_token()));
    // An unread session has no programs to sample.
    TSurfaceSession unread(1);
    EXPECT_THROW(SampleSurfaceMesh(unread.WorkerSets(), r), VelmoraError);
}

TEST(Overlays, DrawingsLiftedOntoTheSurface) {
    auto s = Read({"u", "v", "u^2 - v^2", "u v", "-1", "1", "-1", "1"});
    s->Stores().AddCoordinatePoint({0.25, -0.5});
    s->Stores().AddLineSegment({0, 0}, 1, 0x0000FF);
    s->Stores().AddLineSegment({0.5, 0.5}, 0, 0);
    TSurfacePoints points(s->MainEngines());
    const auto lines = LiftDrawings(s->Stores(), s->Map(), points);
    ASSERT_EQ(lines.size(), 3u);  // the u line, the v line, the curve
    EXPECT_EQ(lines[0].colour, kCoordLineColour);
    ASSERT_EQ(lines[0].points.size(), kCoordinateLineSamples + 1u);
    // The u line through (0.25, -0.5) at u = -1 + 2 t: f = (u, -0.5, u^2 - 0.25, -0.5 u).
    const Vector4 q = *lines[0].points[100];
    EXPECT_DOUBLE_EQ(q[0], -0.5);
    EXPECT_DOUBLE_EQ(q[2], 0.25 - 0.25);
    EXPECT_DOUBLE_EQ(q[3], 0.25);
    EXPECT_EQ(*lines[1].points[0], (Vector4{0.25, -1, 0.0625 - 1, -0.25}));
    EXPECT_EQ(lines[2].colour, 0x0000FFu);
    EXPECT_EQ(*lines[2].points[1], (Vector4{0.5, 0.5, 0, 0.25}));

    // A point without surface breaks a line: one segment of three points, not two.
    const TSurfaceMesh mesh = Sample(*s, 5, 5);
    TLiftedPolyline broken{0xFF, {Vector4{0, 0, 0, 0}, std::nullopt, Vector4{1, 0, 0, 0}, Vector4{1, 1, 0, 0}}};
    TProjectedLines projected;
    ProjectPolylines({broken}, mesh, TView4D{}, projected);
    EXPECT_EQ(projected.Segments(), 1u);
    EXPECT_FLOAT_EQ(projected.colours[0], 1.0f);  // red in the low byte
    AddMarker({0, 0, 0, 0}, mesh, TView4D{}, projected);
    EXPECT_EQ(projected.Segments(), 4u);
}

TEST(Camera, RaysAndScreenPositionsAgree) {
    TCamera camera;
    camera.yaw = 40;
    camera.pitch = -25;
    camera.zoom = 1.7;
    camera.panX = 0.2;
    const TCameraFrame f = CameraFrame(camera, 2.5, 1.5);
    // The target is in the middle of the view, at the camera's distance.
    const Vector3 mid = ScreenPosition(f, f.target, 300, 200);
    EXPECT_NEAR(mid[0], 150, 1e-9);
    EXPECT_NEAR(mid[1], 100, 1e-9);
    EXPECT_NEAR(mid[2], kCameraDistance * 2.5 / 1.7, 1e-9);
    // The ray through the pixel where a point appears passes through it.
    const Vector3 p{0.7, -1.1, 0.4};
    const Vector3 at = ScreenPosition(f, p, 300, 200);
    const TRay ray = PixelRay(f, at[0], at[1], 300, 200);
    const Vector3 d{p[0] - ray.origin[0], p[1] - ray.origin[1], p[2] - ray.origin[2]};
    const double along = d[0] * ray.direction[0] + d[1] * ray.direction[1] + d[2] * ray.direction[2];
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(ray.origin[c] + along * ray.direction[c], p[c], 1e-9);
    // Dragging keeps the pitch short of the poles and the yaw within a turn.
    camera.Orbit(1000, 1000);
    EXPECT_EQ(camera.pitch, 89);
    EXPECT_LE(std::fabs(camera.yaw), 180);
    camera.Zoom(1000);
    EXPECT_EQ(camera.zoom, kMaxZoom);
}

TEST(Camera, PickingFindsTheDomainPointUnderThePixel) {
    auto s = Read({"u", "v", "0.3 sin(u) cos(v)", "u v", "-1", "1", "-1", "1"});
    const TSurfaceMesh mesh = Sample(*s, 81, 81);
    TProjectedMesh out;
    ProjectMesh(mesh, TView4D{}, out);
    TCamera camera;  // the default oblique view
    const TCameraFrame f = CameraFrame(camera, mesh.radius, 1);
    for (const Vector2 target : {Vector2{0.3, -0.4}, Vector2{-0.6, 0.55}}) {
        // The surface point of target, as pictured (orthographic, centred).
        const Vector3 p{target[0] - mesh.centre[0], target[1] - mesh.centre[1],
                        0.3 * std::sin(target[0]) * std::cos(target[1]) - mesh.centre[2]};
        const Vector3 at = ScreenPosition(f, p, 400, 400);
        const auto hit = PickMesh(mesh, out, PixelRay(f, at[0], at[1], 400, 400));
        ASSERT_TRUE(hit);
        EXPECT_NEAR(hit->param[0], target[0], 2e-3);
        EXPECT_NEAR(hit->param[1], target[1], 2e-3);
    }
    // Beside the surface the ray meets nothing.
    EXPECT_FALSE(PickMesh(mesh, out, PixelRay(f, 2, 2, 400, 400)));
}

}  // namespace
// Special points ride on the surface: a marker at f(p) in the colour of the
// point's pattern, a curve of points as a polyline in its kind's colour, and
// nothing for a set that covers the domain or a point where f has no value.
TEST(Overlays, SpecialPointsLiftedOntoTheSurface) {
    auto s = Read({"u", "v", "(u^2 - v^2)/2", "u v", "-1", "1", "-1", "1"});
    TSurfacePoints points(s->MainEngines());
    TSpecialPointsResult found;
    TSpecialPoint star;
    star.at = {0.5, -0.5};
    star.kind = TSpecialKind::Minimal;
    star.index = -0.5;
    star.separatrices = 3;
    star.type = "star";
    found.points.push_back(star);
    found.sets.push_back({TSpecialKind::Inflection, false, {{-1, 0}, {0, 0}, {1, 0}}});
    found.sets.push_back({TSpecialKind::Axiumbilic, true, {}});
    TLiftedDrawings drawings;
    LiftSpecialPoints(found, points, drawings);
    ASSERT_EQ(drawings.markers.size(), 1u);
    EXPECT_EQ(drawings.markers[0].point, (Vector4{0.5, -0.5, 0, -0.25}));
    EXPECT_EQ(drawings.markers[0].colour, MarkerColour(star));
    EXPECT_NE(drawings.markers[0].colour, kMarkerColour);
    ASSERT_EQ(drawings.lines.size(), 1u);
    EXPECT_EQ(drawings.lines[0].colour, SpecialSetColour(TSpecialKind::Inflection));
    EXPECT_EQ(*drawings.lines[0].points[2], (Vector4{1, 0, 0.5, 0}));

    // The session's stored search is lifted with its drawings, and a new read clears it.
    EXPECT_TRUE(LiftSessionDrawings(*s).markers.empty());
    s->StoreSpecialPoints(found);
    EXPECT_EQ(LiftSessionDrawings(*s).markers.size(), 1u);
    const uint64_t revision = s->SpecialPointsRevision();
    s->ClearSpecialPoints();
    EXPECT_NE(s->SpecialPointsRevision(), revision);
    EXPECT_TRUE(LiftSessionDrawings(*s).markers.empty());
}

}  // namespace velmora
