// The pixels of the ellipse panel on hand-built normal planes: the scale and
// place of the figure, the polygons, the focal conic against its closed form,
// the projection on the pointer line, and line clipping.
#include "app/EllipseLayout.h"

#include "tests/session/NormalPlaneFrame.h"

#include <gtest/gtest.h>

#include <cmath>

namespace velmora {
namespace {

using testing::NormalPlaneFrame;

TEST(EllipseLayout, WithoutANormalBasisNothingIsLaidOut) {
    TEllipseLayout f;
    EXPECT_FALSE(f.Layout());
    ASSERT_TRUE(f.ComputeEllipse(NormalPlaneFrame({0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0.3, 0})));
    ASSERT_TRUE(f.Layout());
    EXPECT_GT(f.sc(), 0);
    // No basis: sc := 0, the components stay, nothing is laid out.
    EXPECT_FALSE(f.ComputeEllipse(NormalPlaneFrame({0, 0, 5e-8, 0}, {0, 0, 0, 0}, {0, 0, 0, 5e-8})));
    EXPECT_EQ(f.sc(), 0);
    EXPECT_DOUBLE_EQ(f.Figure().c1(), 0.3);
    EXPECT_FALSE(f.Layout());
    EXPECT_FALSE(f.Projection(100, 100).has_value());
}

TEST(EllipseLayout, AnOriginOutsideTheCircleGoesToTheLeftMargin) {
    TEllipseLayout f;
    ASSERT_TRUE(f.ComputeEllipse(NormalPlaneFrame(2, 0.5, 0, 0, 0.25)));
    ASSERT_TRUE(f.Layout());
    const double a = std::sqrt(0.3125);  // radius of the circle through the corners
    const double sc = 224 * 0.9 / (2 + a);
    EXPECT_DOUBLE_EQ(f.sc(), sc);
    EXPECT_DOUBLE_EQ(f.originX(), 11.2);
    EXPECT_DOUBLE_EQ(f.originY(), 120);
    const double cx = 11.2 + 2 * sc;
    EXPECT_DOUBLE_EQ(f.centerX(), cx);
    EXPECT_DOUBLE_EQ(f.centerY(), 120);
    EXPECT_DOUBLE_EQ(f.h0(), 11.2);
    EXPECT_DOUBLE_EQ(f.v0(), 120);

    const TPixelSegment H = f.HSegment();
    EXPECT_EQ(H.a, (Vector2Int{RoundHalfEven(cx), 120}));
    EXPECT_EQ(H.b, (Vector2Int{11, 120}));
    const TPixelPolyline ellipse = f.EllipsePolygon();
    ASSERT_EQ(ellipse.size(), 25u);
    EXPECT_EQ(ellipse[0], (Vector2Int{RoundHalfEven(cx + 0.5 * sc), 120}));
    EXPECT_EQ(ellipse[6], (Vector2Int{RoundHalfEven(cx), RoundHalfEven(120 + 0.25 * sc)}));  // t = pi/2
    EXPECT_EQ(ellipse[24], ellipse[0]);
    const TPixelPolyline circle = f.CirclePolygon();
    ASSERT_EQ(circle.size(), 25u);
    EXPECT_EQ(circle[0], (Vector2Int{RoundHalfEven(cx + sc * a), 120}));
    EXPECT_EQ(circle[18], (Vector2Int{RoundHalfEven(cx), RoundHalfEven(120 - sc * a)}));  // s = 3 pi/2
    // The whole picture lies in 90 % of the width: its right end is at
    // 11.2 + 201.6 pixels.
    for (const Vector2Int& q : circle) EXPECT_LE(q.x, 213);

    const TPixelSegment bar = f.ScaleBar();
    EXPECT_EQ(bar.a, (Vector2Int{11, 5}));
    EXPECT_EQ(bar.b, (Vector2Int{112, 5}));
    EXPECT_EQ(f.margin(), 11);
    EXPECT_DOUBLE_EQ(f.ScaleLength(), 100.8 / sc);
}

TEST(EllipseLayout, ZeroMeanCurvatureCentresTheEllipse) {
    TEllipseLayout f;
    ASSERT_TRUE(f.ComputeEllipse(NormalPlaneFrame(0, 0.5, 0, 0, 0.3)));
    ASSERT_TRUE(f.Layout());
    EXPECT_DOUBLE_EQ(f.centerX(), 112);
    EXPECT_DOUBLE_EQ(f.originX(), 112);
    EXPECT_DOUBLE_EQ(f.sc(), 201.6 / (2 * std::sqrt(0.34)));
    EXPECT_EQ(f.HSegment().a, f.HSegment().b);  // H is a point
}

TEST(EllipseLayout, ASegmentHasThePolarsOfItsEndsAsFocalConic) {
    // H = e1, B = 0.5 e1, C = 0: the segment from 0.5 to 1.5 on the e1 axis;
    // sc = 201.6 / 1.5 and the origin at x = 11.2. The polar of the end 1.5 is
    // the vertical line x = 11.2 + sc/1.5 across the panel; that of 0.5, at
    // 11.2 + sc/0.5 = 280, lies beyond the panel's right edge.
    TEllipseLayout f;
    ASSERT_TRUE(f.ComputeEllipse(NormalPlaneFrame(1, 0.5, 0, 0, 0)));
    ASSERT_TRUE(f.Layout());
    ASSERT_DOUBLE_EQ(f.sc(), 134.4);
    auto pieces = f.FocalConic(1.0);
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(pieces[0], (TPixelPolyline{{101, 0}, {101, 240}}));
    // Up once: 1.5 times farther from the origin, 11.2 + 134.4 = 145.6.
    pieces = f.FocalConic(1.5);
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(pieces[0], (TPixelPolyline{{146, 0}, {146, 240}}));
    // A segment through the origin has no polar of its end at the origin.
    ASSERT_TRUE(f.ComputeEllipse(NormalPlaneFrame(0, 0.5, 0, 0, 0)));
    ASSERT_TRUE(f.Layout());
    EXPECT_LE(f.FocalConic(1.0).size(), 2u);
}

// The inverse of the pedal curve of a circle of radius r about (h, 0) is the
// conic with a focus at the origin |h x - 1| = r |X| (an ellipse when h < r,
// a hyperbola when h > r).
void ExpectFocalConic(double h, double r, std::size_t minPieces, std::size_t maxPieces) {
    TEllipseLayout f;
    ASSERT_TRUE(f.ComputeEllipse(NormalPlaneFrame(h, r, 0, 0, r)));
    ASSERT_TRUE(f.Layout());
    const double s = f.sc() * 1.0;
    const auto pieces = f.FocalConic(1.0);
    EXPECT_GE(pieces.size(), minPieces);
    EXPECT_LE(pieces.size(), maxPieces);
    std::size_t points = 0;
    for (const TPixelPolyline& piece : pieces)
        for (const Vector2Int& q : piece) {
            const double x = (q.x - f.originX()) / s, y = (q.y - f.originY()) / s;
            // A pixel is within 0.71 of the exact point; the conic's function
            // changes by at most (h + r) per unit.
            EXPECT_NEAR(std::fabs(h * x - 1), r * std::hypot(x, y), (h + r) * 0.71 / s) << x << "," << y;
            ++points;
        }
    EXPECT_GT(points, 50u);
}

TEST(EllipseLayout, TheFocalConicOfACircleIsAConicWithAFocusAtTheOrigin) {
    ExpectFocalConic(0.5, 1, 1, 1);  // an ellipse, in one piece
    ExpectFocalConic(2, 1, 2, 4);    // a hyperbola: its branches are not joined
}

TEST(EllipseLayout, TheProjectionOnAPointerLine) {
    // h = 0, B = 0.5 e1, C = 0.3 e2, the origin at the integer pixel (112, 120).
    // The pointer at 45 degrees below right: n = (e1 + e2)/sqrt 2 = (e3 - e4)/sqrt 2.
    TLocalFrame frame = NormalPlaneFrame(0, 0.5, 0, 0, 0.3);
    frame.G11 = {0, 0, 1, 0};
    frame.G12 = {0, 0, 0, 0.5};
    frame.G22 = {0, 0, 2, 0};
    TEllipseLayout f;
    EXPECT_FALSE(f.Projection(162, 170).has_value());  // no figure yet
    ASSERT_TRUE(f.ComputeEllipse(frame));
    ASSERT_TRUE(f.Layout());
    ASSERT_DOUBLE_EQ(f.h0(), 112);
    const double sc = f.sc();
    const auto pr = f.Projection(162, 170);
    ASSERT_TRUE(pr.has_value());
    // L = n.G11 = 1/sqrt 2, M = -1/(2 sqrt 2), N = sqrt 2.
    EXPECT_NEAR(pr->K, 7.0 / 8, 1e-15);
    EXPECT_NEAR(pr->Hm, 3 / (2 * std::sqrt(2.0)), 1e-15);
    ASSERT_TRUE(pr->hasSegments);
    // The ellipse point farthest along n: (0.5 cos t, 0.3 sin t) with
    // tan t = 0.3/0.5; its projection is the support sqrt(0.25/2 + 0.09/2).
    const double k = 1 / std::sqrt(0.34), support = std::sqrt(0.17);
    const auto px = [&](double x) { return RoundHalfEven(112 + sc * x); };
    const auto py = [&](double y) { return RoundHalfEven(120 + sc * y); };
    const double foot = support / std::sqrt(2.0);
    EXPECT_EQ(pr->segments[0].a, (Vector2Int{px(0.25 * k), py(0.09 * k)}));
    EXPECT_EQ(pr->segments[0].b, (Vector2Int{px(foot), py(foot)}));
    EXPECT_EQ(pr->segments[1].a, (Vector2Int{px(-0.25 * k), py(-0.09 * k)}));
    EXPECT_EQ(pr->segments[1].b, (Vector2Int{px(-foot), py(-foot)}));
    // The line covers both feet and the pointer, 50 sqrt 2 pixels out.
    const double hi = std::max(50 * std::sqrt(2.0) / sc, support) / std::sqrt(2.0);
    EXPECT_EQ(pr->segments[2].a, (Vector2Int{px(-foot), py(-foot)}));
    EXPECT_EQ(pr->segments[2].b, (Vector2Int{px(hi), py(hi)}));

    // The pointer on the origin: nothing.
    EXPECT_FALSE(f.Projection(112, 120).has_value());
}

TEST(EllipseLayout, AnEllipseReducedToHProjectsWithoutTangents) {
    TLocalFrame frame = NormalPlaneFrame(1, 0, 0, 0, 0);
    frame.G11 = {0, 0, 2, 0};
    TEllipseLayout f;
    ASSERT_TRUE(f.ComputeEllipse(frame));
    ASSERT_TRUE(f.Layout());
    const auto pr = f.Projection(200, 120);  // along e1
    ASSERT_TRUE(pr.has_value());
    EXPECT_DOUBLE_EQ(pr->Hm, 1);
    EXPECT_FALSE(pr->hasSegments);
}

TEST(ClipLine, LinesAgainstTheEllipsePanel) {
    double r0, r1;
    const auto clip = [&](double x0, double y0, double dx, double dy) {
        ClipLine(x0, y0, dx, dy, 0, 0, 224, 240, r0, r1);
    };
    // Vertical line through x = 100: from the top edge to the bottom edge.
    clip(100, 50, 0, 2);
    EXPECT_DOUBLE_EQ(r0, -25);
    EXPECT_DOUBLE_EQ(r1, 95);
    // Vertical line left of the panel: empty.
    clip(-1, 50, 0, 2);
    EXPECT_GT(r0, r1);
    // Horizontal line: inside when Top <= y < Bottom.
    clip(10, 239.5, -4, 0);
    EXPECT_DOUBLE_EQ(r0, -53.5);
    EXPECT_DOUBLE_EQ(r1, 2.5);
    clip(10, 240, 1, 0);
    EXPECT_GT(r0, r1);
    // Diagonal through the corner (0, 0) with slope 1: from (0, 0) to (224, 224).
    clip(10, 10, 1, 1);
    EXPECT_DOUBLE_EQ(r0, -10);
    EXPECT_DOUBLE_EQ(r1, 214);
    // A diagonal that misses the rectangle.
    clip(300, -100, 1, 1);
    EXPECT_GE(r0, r1);
    // No direction at all.
    clip(10, 10, 0, 0);
    EXPECT_EQ(r0, 1);
    EXPECT_EQ(r1, 0);
}

}  // namespace
}  // namespace velmora
