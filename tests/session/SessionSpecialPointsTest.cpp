// The session's search for special points: nothing before a read or for a
// class without points, a complete result kept for the panel and the page, a
// stopped one not, and a new read forgets the last result.
#include "session/SurfaceSession.h"

#include <gtest/gtest.h>

#include <cmath>

#include <stop_token>

namespace velmora {
namespace {

// A Monge form over [-0.3, 0.3]^2 with an axiumbilic point of index +1/4 at
// the origin (the ellipse is a circle there, (bb - cc) + 2 i bc = u + i v to
// first order).
const TInputTexts kE3 = {"u", "v", "0.25 (u^2 + v^2) + 0.5 (u^2 - v^2) + u^3/6", "u v - v^3/6",
                         "-0.3", "0.3", "-0.3", "0.3"};

TEST(SessionSpecialPoints, ACompleteResultIsKeptUntilTheNextRead) {
    for (const int workers : {0, 2}) {  // none: the search runs on the main engine set
        TSurfaceSession s(workers);
        EXPECT_FALSE(s.FindSpecialPoints(TLineClass::Curvature));  // before a read
        s.SetInputTexts(kE3);
        ASSERT_TRUE(s.ReadData().ok);
        EXPECT_EQ(s.ScanSets().size(), workers == 0 ? 1u : 2u);
        EXPECT_FALSE(s.FindSpecialPoints(TLineClass::StrongPrincipal));
        EXPECT_EQ(s.SpecialPoints(), nullptr);

        const auto found = s.FindSpecialPoints(TLineClass::Curvature);
        ASSERT_TRUE(found);
        ASSERT_NE(s.SpecialPoints(), nullptr);
        EXPECT_EQ(s.SpecialPoints()->lineClass, TLineClass::Curvature);
        ASSERT_EQ(s.SpecialPoints()->points.size(), found->points.size());
        bool origin = false;
        for (const TSpecialPoint& p : found->points)
            origin |= std::abs(p.at[0]) < 1e-9 && std::abs(p.at[1]) < 1e-9 && p.index == 0.25;
        EXPECT_TRUE(origin);

        // A stopped search leaves the last complete result in place.
        std::stop_source stop;
        stop.request_stop();
        const auto stopped = s.FindSpecialPoints(TLineClass::Principal, {}, stop.get_token());
        ASSERT_TRUE(stopped);
        EXPECT_TRUE(stopped->stopped);
        ASSERT_NE(s.SpecialPoints(), nullptr);
        EXPECT_EQ(s.SpecialPoints()->lineClass, TLineClass::Curvature);

        ASSERT_TRUE(s.ReadData().ok);
        EXPECT_EQ(s.SpecialPoints(), nullptr);
    }
}

}  // namespace
}  // namespace velmora
