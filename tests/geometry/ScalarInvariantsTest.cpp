// The table of scalar invariants: the loci, the backgrounds and the data panel
// read the same quantities, and the command line names them.
#include "geometry/ScalarInvariants.h"
#include "tests/geometry/SurfaceTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace velmora {
namespace {

using testing::DefaultSurfaceTexts;
using testing::MakeSurface;

TEST(ScalarInvariants, LociBackgroundsAndDataPanelAgreeOnTheDefaultSurface) {
    auto built = MakeSurface(DefaultSurfaceTexts());
    TLocalGeometry& s = built->s;
    int compared = 0;
    for (double u = 0.1; u < 6.2; u += 0.7)
        for (double v = 0.05; v < 2.2; v += 0.35) {
            const Vector2 p{u, v};
            TInvariants panel;
            ASSERT_TRUE(s.ComputeInvariants(p, panel));
            const auto value = [&](TInvariantKind k) { return LocusValue(s, k, p); };
            const auto scale = [](double a) { return 1e-9 * (1 + std::fabs(a)); };

            EXPECT_NEAR(value(TInvariantKind::GaussCurvature), panel.KGauss, scale(panel.KGauss));
            EXPECT_NEAR(value(TInvariantKind::DiscrNormalDeviation), panel.discrNormDev, scale(panel.discrNormDev));
            EXPECT_NEAR(value(TInvariantKind::DiscrLateralDeviation), panel.discrLatDev, scale(panel.discrLatDev));
            EXPECT_NEAR(value(TInvariantKind::DiscrStrongPrincipal), panel.discrStrPpal, scale(panel.discrStrPpal));
            // The panel's depth (confocal ellipse through the origin) and the
            // parabolic function are different measures with one sign.
            if (std::fabs(panel.depth) > 1e-6) {
                EXPECT_EQ(value(TInvariantKind::OriginDepth) > 0, panel.depth > 0) << u << "," << v;
            }
            const double angle = value(TInvariantKind::AngleHMajorAxis);
            if (panel.alpha == UndefinedValue)
                EXPECT_EQ(angle, UndefinedValue);
            else
                EXPECT_NEAR(std::fabs(angle), panel.alpha, 1e-12);

            for (const TScalarInvariant& entry : ScalarInvariants()) {
                const double locus = value(entry.kind);
                const double background = BackgroundValue(s, entry.kind, p);
                if (locus == UndefinedValue) continue;
                EXPECT_EQ(background, entry.backgroundMagnitude ? std::fabs(locus) : locus) << entry.name;
                ++compared;
            }
        }
    EXPECT_GT(compared, 300);
}

TEST(ScalarInvariants, DegenerateMetricIsUndefinedForEveryKind) {
    // f_v vanishes on v = 0.
    auto cone = MakeSurface({"v cos(u)", "v sen(u)", "v", "0"});
    for (const TScalarInvariant& entry : ScalarInvariants()) {
        EXPECT_EQ(LocusValue(cone->s, entry.kind, {0.4, 0}), UndefinedValue) << entry.name;
        EXPECT_EQ(BackgroundValue(cone->s, entry.kind, {0.4, 0}), UndefinedValue) << entry.name;
    }
    EXPECT_EQ(LocusValue(cone->s, static_cast<TInvariantKind>(7), {0.4, 0.5}), UndefinedValue);
}

TEST(ScalarInvariants, KindsAreNamedByNameOrNumber) {
    EXPECT_EQ(InvariantKindFromName("parabolic"), TInvariantKind::OriginDepth);
    EXPECT_EQ(InvariantKindFromName("3"), TInvariantKind::GaussCurvature);
    EXPECT_EQ(InvariantKindFromName("strong-principal"), TInvariantKind::DiscrStrongPrincipal);
    for (const char* bad : {"", "7", "-1", "gaus", "03", "Gauss"}) EXPECT_FALSE(InvariantKindFromName(bad)) << bad;
    for (int k = 0; k < kInvariantKinds; ++k)
        EXPECT_EQ(static_cast<int>(ScalarInvariants()[k].kind), k);  // the table is indexed by kind
}

}  // namespace
}  // namespace velmora
