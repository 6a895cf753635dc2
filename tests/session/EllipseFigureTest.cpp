// The mathematics of the ellipse panel on hand-built normal planes: the basis,
// the extent of the figure, the focal conic against its closed form, and the
// projection on a line with the curvatures of the projected surface. (The
// pixels are tests/app/EllipseLayoutTest's.)
#include "session/EllipseFigure.h"

#include "tests/session/NormalPlaneFrame.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <optional>

namespace velmora {
namespace {

using testing::NormalPlaneFrame;

TEST(EllipseFigure, TheBasisStartsAlongHThenBThenC) {
    // e2 = CrossProductR4(t, Jt, e1): Det(e4, e1, e2, e3) = -1 gives e2 = -e4
    // for e1 = e3; for e1 = (3 e3 + 4 e4)/5 it gives (4 e3 - 3 e4)/5.
    std::optional<TEllipseFigure> f =
        TEllipseFigure::FromFrame(NormalPlaneFrame({0, 0, 3, 4}, {0, 0, 1, 0}, {0, 0, 0, 2}));
    ASSERT_TRUE(f.has_value());
    EXPECT_DOUBLE_EQ(f->h(), 5);
    EXPECT_EQ(f->e1(), (Vector4{0, 0, 0.6, 0.8}));
    EXPECT_NEAR(f->e2()[2], 0.8, 1e-15);
    EXPECT_NEAR(f->e2()[3], -0.6, 1e-15);
    EXPECT_NEAR(f->b1(), 0.6, 1e-15);
    EXPECT_NEAR(f->b2(), 0.8, 1e-15);
    EXPECT_NEAR(f->c1(), 1.6, 1e-15);
    EXPECT_NEAR(f->c2(), -1.2, 1e-15);

    f = TEllipseFigure::FromFrame(NormalPlaneFrame({0, 0, 0, 0}, {0, 0, 0, -0.5}, {0, 0, 0.3, 0}));
    ASSERT_TRUE(f.has_value());
    EXPECT_EQ(f->e1(), (Vector4{0, 0, 0, -1}));  // along B
    EXPECT_DOUBLE_EQ(f->b1(), 0.5);
    f = TEllipseFigure::FromFrame(NormalPlaneFrame({0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0.3, 0}));
    ASSERT_TRUE(f.has_value());
    EXPECT_EQ(f->e1(), (Vector4{0, 0, 1, 0}));  // along C
    EXPECT_DOUBLE_EQ(f->c1(), 0.3);

    // H, B and C all of length at most 1e-7: no basis.
    EXPECT_FALSE(TEllipseFigure::FromFrame(NormalPlaneFrame({0, 0, 5e-8, 0}, {0, 0, 0, 0}, {0, 0, 0, 5e-8})));
}

TEST(EllipseFigure, TheExtentHoldsTheCircleAndTheOrigin) {
    // Half axes 0.5 and 0.25: the circle through the corners has radius
    // sqrt(0.3125); with h = 2 the origin lies outside it.
    const double a = std::sqrt(0.3125);
    auto f = TEllipseFigure::FromFrame(NormalPlaneFrame(2, 0.5, 0, 0, 0.25));
    ASSERT_TRUE(f.has_value());
    EXPECT_DOUBLE_EQ(f->CircleRadius(), a);
    EXPECT_TRUE(f->OriginOutsideCircle());
    EXPECT_DOUBLE_EQ(f->Extent(), 2 + a);  // from the origin to the circle's far side
    // With h = 0.1 the origin is inside: the circle's diameter.
    f = TEllipseFigure::FromFrame(NormalPlaneFrame(0.1, 0.5, 0, 0, 0.25));
    EXPECT_FALSE(f->OriginOutsideCircle());
    EXPECT_DOUBLE_EQ(f->Extent(), 2 * a);
    // The ellipse point at t relative to H.
    const Vector2 q = f->EllipseOffset(std::numbers::pi / 2);
    EXPECT_NEAR(q[0], 0, 1e-16);
    EXPECT_DOUBLE_EQ(q[1], 0.25);
}

TEST(EllipseFigure, ASegmentHasThePolarsOfItsEnds) {
    // H = e1, B = 0.5 e1, C = 0: the segment from 0.5 to 1.5 on the e1 axis.
    TFocalConic conic = TEllipseFigure::FromFrame(NormalPlaneFrame(1, 0.5, 0, 0, 0))->FocalConic();
    EXPECT_TRUE(conic.degenerate);
    EXPECT_TRUE(conic.samples.empty());
    ASSERT_EQ(conic.polars.size(), 2u);
    EXPECT_EQ(conic.polars[0].P, (Vector2{1.5, 0}));
    EXPECT_DOUBLE_EQ(conic.polars[0].f, 2.25);
    EXPECT_EQ(conic.polars[1].P, (Vector2{0.5, 0}));
    // A segment from the origin: nothing from its end at the origin on.
    conic = TEllipseFigure::FromFrame(NormalPlaneFrame(0.5, 0, 0, 0.5, 0))->FocalConic();
    EXPECT_TRUE(conic.degenerate);
    ASSERT_EQ(conic.polars.size(), 1u);
    EXPECT_EQ(conic.polars[0].P, (Vector2{1, 0}));
}

// The inverse of the pedal curve of a circle of radius r about (h, 0) is the
// conic with a focus at the origin |h x - 1| = r |X| (an ellipse when h < r,
// a hyperbola when h > r, whose two branches are told apart by the side).
void ExpectFocalConic(double h, double r, int sideChanges) {
    const TFocalConic conic = TEllipseFigure::FromFrame(NormalPlaneFrame(h, r, 0, 0, r))->FocalConic();
    EXPECT_FALSE(conic.degenerate);
    ASSERT_EQ(conic.samples.size(), 101u);
    int changes = 0;
    for (std::size_t i = 0; i < conic.samples.size(); ++i) {
        const TConicSample& q = conic.samples[i];
        ASSERT_TRUE(q.finite);
        const double x = q.Q[0] / q.g, y = q.Q[1] / q.g;
        EXPECT_NEAR(std::fabs(h * x - 1), r * std::hypot(x, y), 1e-12 * (1 + std::hypot(x, y))) << i;
        if (i > 0) changes += q.side != conic.samples[i - 1].side;
    }
    EXPECT_EQ(changes, sideChanges);
}

TEST(EllipseFigure, TheFocalConicOfACircleIsAConicWithAFocusAtTheOrigin) {
    ExpectFocalConic(0.5, 1, 0);  // an ellipse
    ExpectFocalConic(2, 1, 2);    // a hyperbola: two branches
}

TEST(EllipseFigure, TheProjectionOnALine) {
    // h = 0, B = 0.5 e1, C = 0.3 e2; the line at 45 degrees below right:
    // n = (e1 + e2)/sqrt 2 = (e3 - e4)/sqrt 2.
    TLocalFrame frame = NormalPlaneFrame(0, 0.5, 0, 0, 0.3);
    frame.G11 = {0, 0, 1, 0};
    frame.G12 = {0, 0, 0, 0.5};
    frame.G22 = {0, 0, 2, 0};
    const auto f = TEllipseFigure::FromFrame(frame);
    const auto pr = f->Projection(1, 1);
    ASSERT_TRUE(pr.has_value());
    // L = n.G11 = 1/sqrt 2, M = -1/(2 sqrt 2), N = sqrt 2.
    EXPECT_NEAR(pr->K, 7.0 / 8, 1e-15);
    EXPECT_NEAR(pr->Hm, 3 / (2 * std::sqrt(2.0)), 1e-15);
    ASSERT_TRUE(pr->hasSegments);
    // The ellipse point farthest along n: (0.5 cos t, 0.3 sin t) with
    // tan t = 0.3/0.5; its projection is the support sqrt(0.25/2 + 0.09/2),
    // its foot on the line at support/sqrt 2 in both coordinates.
    const double k = 1 / std::sqrt(0.34), foot = std::sqrt(0.17) / std::sqrt(2.0);
    const auto expect = [](const Vector2& got, double x, double y) {
        EXPECT_NEAR(got[0], x, 1e-15);
        EXPECT_NEAR(got[1], y, 1e-15);
    };
    expect(pr->segments[0].first, 0.25 * k, 0.09 * k);
    expect(pr->segments[0].second, foot, foot);
    expect(pr->segments[1].first, -0.25 * k, -0.09 * k);
    expect(pr->segments[1].second, -foot, -foot);
    // The line from the far foot to the pointer (1, 1), farther out than the near foot.
    expect(pr->segments[2].first, -foot, -foot);
    expect(pr->segments[2].second, 1, 1);
    // The pointer on the origin: nothing.
    EXPECT_FALSE(f->Projection(0, 0).has_value());
    EXPECT_FALSE(f->Projection(2e-4, 2e-4).has_value());
}

TEST(EllipseFigure, AnEllipseReducedToHProjectsWithoutTangents) {
    TLocalFrame frame = NormalPlaneFrame(1, 0, 0, 0, 0);
    frame.G11 = {0, 0, 2, 0};
    const auto pr = TEllipseFigure::FromFrame(frame)->Projection(0.7, 0);  // along e1
    ASSERT_TRUE(pr.has_value());
    EXPECT_DOUBLE_EQ(pr->Hm, 1);
    EXPECT_FALSE(pr->hasSegments);
}

}  // namespace
}  // namespace velmora
