// The probe of a point: what the data panel, the ellipse panel and the cross
// show, compared with the geometry's own operations at the same point, and
// which of the two sets of values the panel shows for each line class.
#include "session/SurfaceSession.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>

namespace velmora {
namespace {

// The session read with the given formulas over [-1, 1] x [-1, 1] (the
// default surface when none are given).
std::unique_ptr<TSurfaceSession> ReadSession(const char* x = nullptr, const char* y = nullptr,
                                             const char* z = nullptr, const char* w = nullptr) {
    auto s = std::make_unique<TSurfaceSession>(0);
    if (x) s->SetInputTexts({x, y, z, w, "-1", "1", "-1", "1"});
    const TReadResult r = s->ReadData();
    EXPECT_TRUE(r.ok) << r.message;
    return s;
}

template <class T>
bool SameBits(const T& a, const T& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(PointProbe, TheValuesAreThoseOfTheGeometryAtThePoint) {
    auto s = ReadSession();
    const TLocalGeometry& g = s->Surface();
    const Vector2 p{1.3, 0.9};
    const TPointProbe probe = s->Probe(p, TLineClass::CoordinateLines);
    EXPECT_EQ(probe.p, p);
    ASSERT_TRUE(probe.frame && probe.invariants && probe.crossValues);
    EXPECT_TRUE(SameBits(*probe.frame, *g.Frame(p)));
    TInvariants inv, crossValues;
    TDirectionCross cross;
    ASSERT_TRUE(g.ComputeInvariants(p, inv));
    ASSERT_TRUE(g.ComputeCross(p, TLineClass::CoordinateLines, s->Map().span2D, crossValues, cross));
    EXPECT_TRUE(SameBits(*probe.invariants, inv));
    EXPECT_TRUE(SameBits(*probe.crossValues, crossValues));
    // With the coordinate lines the panel shows the confocal depth, and no cross.
    EXPECT_EQ(probe.Shown(), &*probe.invariants);
    EXPECT_FALSE(probe.CrossShown());
    EXPECT_EQ(probe.cross.count, 0);
    EXPECT_EQ(probe.cross.curvesParts, 0);
}

TEST(PointProbe, ALineClassShowsItsCrossScaledToTheDomain) {
    auto s = ReadSession();
    const Vector2 p{1.3, 0.9};
    const double k = 0.025 * s->Map().span2D;
    for (int c = 1; c <= 7; ++c) {
        SCOPED_TRACE(::testing::Message() << "class " << c);
        const TLineClass lineClass = LineClassOfTag(c);
        const TPointProbe probe = s->Probe(p, lineClass);
        TInvariants values;
        TDirectionCross cross;
        if (!s->Surface().ComputeCross(p, lineClass, s->Map().span2D, values, cross)) {
            // No direction of the class here: the other values, no cross.
            ASSERT_TRUE(probe.invariants);
            EXPECT_FALSE(probe.crossValues);
            EXPECT_EQ(probe.Shown(), &*probe.invariants);
            EXPECT_FALSE(probe.CrossShown());
            continue;
        }
        ASSERT_TRUE(probe.crossValues);
        EXPECT_TRUE(SameBits(*probe.crossValues, values));
        EXPECT_EQ(probe.Shown(), &*probe.crossValues);
        EXPECT_TRUE(probe.CrossShown());
        ASSERT_EQ(probe.cross.count, cross.count);
        EXPECT_EQ(probe.cross.curvesParts, cross.curvesParts);
        EXPECT_GT(probe.cross.count, 0);
        for (int j = 0; j < cross.count; ++j) {
            EXPECT_EQ(probe.cross.segments[j], cross.segments[j]);
            const auto& [a, b] = probe.cross.segments[j];
            // Centred on p; classes 1 to 4 reach 0.025 span2D each way.
            EXPECT_NEAR((a[0] + b[0]) / 2, p[0], 1e-14);
            EXPECT_NEAR((a[1] + b[1]) / 2, p[1], 1e-14);
            if (c <= 4) {
                EXPECT_NEAR(std::hypot(b[0] - a[0], b[1] - a[1]) / 2, k, 1e-14);
            }
        }
    }
}

TEST(PointProbe, WithoutDirectionsTheOtherValuesAreShown) {
    // (u, v, 1.5u^2 - 0.5v^2, 2uv): at the origin the ellipse is a circle of
    // radius 2 about H = e3, so the origin lies inside it: there are neither
    // curvature nor asymptotic directions, but mean curvature ones.
    auto s = ReadSession("u", "v", "1.5*u^2 - 0.5*v^2", "2*u*v");
    for (TLineClass c : {TLineClass::Curvature, TLineClass::Asymptotic}) {
        const TPointProbe probe = s->Probe({0, 0}, c);
        ASSERT_TRUE(probe.frame && probe.invariants);
        EXPECT_FALSE(probe.crossValues);
        EXPECT_EQ(probe.Shown(), &*probe.invariants);
        EXPECT_FALSE(probe.CrossShown());
        EXPECT_NEAR(probe.Shown()->depth, 1, 1e-12);  // the confocal circle of radius |H|
    }
    const TPointProbe mean = s->Probe({0, 0}, TLineClass::MeanCurvature);
    ASSERT_TRUE(mean.crossValues);
    EXPECT_TRUE(mean.CrossShown());
    EXPECT_NEAR(mean.Shown()->depth, 0.5, 1e-12);  // the affine depth: -H = B/2
    EXPECT_EQ(mean.cross.count, 2);
}

TEST(PointProbe, APointWhereTheSurfaceIsNotImmersedHasNothing) {
    auto s = ReadSession("u^3", "v", "u^2*v", "0");
    for (int c = 0; c <= 7; ++c) {
        const TPointProbe probe = s->Probe({0, 0.5}, LineClassOfTag(c));
        EXPECT_FALSE(probe.frame);
        EXPECT_FALSE(probe.invariants);
        EXPECT_FALSE(probe.crossValues);
        EXPECT_EQ(probe.Shown(), nullptr);
        EXPECT_FALSE(probe.CrossShown());
    }
}

TEST(PointProbe, TheShownValuesFollowTheLineClass) {
    TInvariants a, b;
    a.depth = 1;
    b.depth = 2;
    TPointProbe probe;
    // Coordinate lines: the confocal values first, the others when they fail
    // (then with their empty cross).
    probe.lineClass = TLineClass::CoordinateLines;
    probe.invariants = a;
    probe.crossValues = b;
    EXPECT_EQ(probe.Shown()->depth, 1);
    EXPECT_FALSE(probe.CrossShown());
    probe.invariants.reset();
    EXPECT_EQ(probe.Shown()->depth, 2);
    EXPECT_TRUE(probe.CrossShown());
    // A line class: the values that came with its cross first.
    probe.lineClass = TLineClass::Principal;
    probe.invariants = a;
    EXPECT_EQ(probe.Shown()->depth, 2);
    EXPECT_TRUE(probe.CrossShown());
    probe.crossValues.reset();
    EXPECT_EQ(probe.Shown()->depth, 1);
    EXPECT_FALSE(probe.CrossShown());
    probe.invariants.reset();
    EXPECT_EQ(probe.Shown(), nullptr);
}

}  // namespace
}  // namespace velmora
