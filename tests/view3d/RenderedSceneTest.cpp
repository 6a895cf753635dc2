// Pictures of the 3D view rendered offscreen: the surface shows the
// palette's colours where the background says, the loci's silver lies over
// it, and a rotation changes the picture.
#include "background/BackgroundThreads.h"
#include "mesh/SurfaceScene.h"
#include "session/SurfaceSession.h"
#include "tests/canvas/TestApp.h"
#include "view3d/OffscreenRenderer.h"

#include <gtest/gtest.h>

#include <QColor>

#include <cmath>
#include <cstdlib>
#include <memory>

namespace velmora {
namespace {

constexpr int kSide = 400;

// The graph of w = u^3/3 + v^2/2 over [-1, 1]^2 in the xyw space, seen from
// straight above the xy plane (the fourth axis dropped): the picture is the
// square of the domain, x to the right and y upwards. Its Gauss curvature
// 2u/(1 + u^4 + v^2)^2 changes sign on the line u = 0, its zero locus.
struct GraphScene {
    TSurfaceSession session{2};
    TSurfaceScene scene;
    GraphScene() {
        session.SetInputTexts({"u", "v", "0", "u^3/3 + v^2/2", "-1", "1", "-1", "1"});
        EXPECT_TRUE(session.ReadData().ok);
        EXPECT_TRUE(session.TraceLocus(TLocusKind::GaussCurvature));
        scene.SetMesh(*SampleSessionMesh(session, 200, TInvariantKind::GaussCurvature));
        scene.SetDrawings(LiftSessionDrawings(session));
        scene.camera = TCamera{0, 0, 1.2, 0, 0};
    }
    // The pixel where the surface point of (u, v) appears.
    QPoint PixelOf(double u, double v) const {
        const Vector4 q = *SessionSurfacePointConst(u, v);
        const Vector3 p{q[0] - scene.Mesh().centre[0], q[1] - scene.Mesh().centre[1], q[2] - scene.Mesh().centre[2]};
        const Vector3 s = ScreenPosition(scene.Frame(kSide, kSide), p, kSide, kSide);
        return QPoint(static_cast<int>(std::floor(s[0])), static_cast<int>(std::floor(s[1])));
    }
    std::optional<Vector4> SessionSurfacePointConst(double u, double v) const {
        return SessionSurfacePoint(const_cast<TSurfaceSession&>(session), {u, v});
    }
};

int Distance(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
}

QRgb RgbOf(uint32_t colour) { return qRgb(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF); }

TEST(RenderedScene, PaletteColoursWhereTheBackgroundSaysAndSilverLociOverThem) {
    GraphScene g;
    const TSceneImage picture = RenderSceneImage(g.scene, kSide, kSide, 3.0f);  // lines 3 pixels wide
    ASSERT_TRUE(picture) << picture.error.toStdString();
    ASSERT_EQ(picture.image.size(), QSize(kSide, kSide));
    const QImage& image = picture.image;

    // Away from the locus every pixel shows the palette's colour of the
    // background's value there (a few entries either way: the pixel's point
    // lies between vertices), lit nearly head-on.
    const TColouringPalette palette = ColouringPalette(TColouring::Invariant);
    const TLocalGeometry& geometry = g.session.Surface();
    int checked = 0, pink = 0, blue = 0;
    for (double u : {-0.8, -0.5, -0.2, 0.2, 0.5, 0.8}) {
        for (double v : {-0.7, -0.3, 0.1, 0.6}) {
            const double value = BackgroundValue(geometry, TBackgroundType::GaussCurvature, {u, v});
            ASSERT_NE(value, UndefinedValue);
            const int index = BackgroundIndex(value);
            (index < 256 ? pink : blue) += 1;
            const QRgb pixel = image.pixel(g.PixelOf(u, v));
            int best = 255;
            for (int k = std::max(0, index - 3); k <= std::min(511, index + 3); ++k)
                best = std::min(best, Distance(pixel, RgbOf(palette[k])));
            EXPECT_LE(best, 6) << "u=" << u << " v=" << v << " pixel " << std::hex << pixel;
            ++checked;
        }
    }
    EXPECT_EQ(checked, 24);
    EXPECT_GT(pink, 0);
    EXPECT_GT(blue, 0);

    // The zero locus u = 0 in silver over the surface.
    for (double v : {-0.6, -0.2, 0.3, 0.7}) {
        const QPoint at = g.PixelOf(0, v);
        int best = 255;
        for (int dx = -1; dx <= 1; ++dx) best = std::min(best, Distance(image.pixel(at + QPoint(dx, 0)), RgbOf(kLocusColour)));
        EXPECT_LE(best, 8) << "v=" << v;
    }
    // Outside the square: the view's background.
    EXPECT_LE(Distance(image.pixel(3, 3), qRgb(41, 43, 51)), 1);
}

TEST(RenderedScene, TurningInRFourChangesThePicture) {
    GraphScene g;
    const QImage before = RenderSceneImage(g.scene, 200, 200).image;
    TView4D view = g.scene.View();
    view.angles[TPlane::YW] = 60;
    g.scene.SetView(view);
    const QImage after = RenderSceneImage(g.scene, 200, 200).image;
    ASSERT_FALSE(before.isNull());
    ASSERT_FALSE(after.isNull());
    int changed = 0;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 200; ++x) changed += before.pixel(x, y) != after.pixel(x, y);
    EXPECT_GT(changed, 200 * 200 / 10);
    // The fourth coordinate now shows in y: the picture is the same again
    // after the opposite turn.
    view.angles[TPlane::YW] = 0;
    g.scene.SetView(view);
    EXPECT_EQ(RenderSceneImage(g.scene, 200, 200).image, before);
}

TEST(RenderedScene, HolesShowTheBackgroundOfTheView) {
    // sqrt(u) has no value for u < 0: the left half of the square is missing.
    TSurfaceSession session(1);
    session.SetInputTexts({"u", "v", "0", "sqrt(u)", "-1", "1", "-1", "1"});
    ASSERT_TRUE(session.ReadData().ok);
    TSurfaceScene scene;
    scene.SetMesh(*SampleSessionMesh(session, 100, std::nullopt));
    scene.SetView(TView4D{{}, TProjectionKind::Orthographic, TColouring::Plain});
    scene.camera = TCamera{0, 0, 1, 0, 0};
    const QImage image = RenderSceneImage(scene, 200, 200).image;
    ASSERT_FALSE(image.isNull());
    const TCameraFrame frame = scene.Frame(200, 200);
    const auto pixel = [&](double u, double v) {
        const Vector4& c = scene.Mesh().centre;
        const Vector3 s = ScreenPosition(frame, {u - c[0], v - c[1], -c[2]}, 200, 200);
        return image.pixel(static_cast<int>(s[0]), static_cast<int>(s[1]));
    };
    const QRgb background = qRgb(41, 43, 51);
    EXPECT_LE(Distance(pixel(-0.5, 0), background), 1);
    EXPECT_LE(Distance(pixel(-0.5, 0.5), background), 1);
    EXPECT_LE(Distance(pixel(0.5, 0), RgbOf(kPlainSurfaceColour)), 4);
}

}  // namespace
}  // namespace velmora
