// A read whose code cannot be published (executable memory refused when it is
// mapped or made executable) reports the refusal and leaves the surface of the
// last successful read working, in the main set and in every worker set.
#include "session/SurfaceSession.h"

#include "geometry/LocalGeometry.h"
#include "platform/ExecutableMemory.h"
#include "tests/platform/MemoryTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>

namespace velmora {
namespace {

const TInputTexts kPlane = {"u", "v", "u*v", "u*u-v*v", "-1", "1", "-2", "2"};

// The default surface at (u, v), written out.
Vector4 DefaultSurfaceAt(double u, double v) {
    return {(1 - 0.1 * std::cos(v)) * std::cos(u) + 0.1 * std::sin(u) * std::sin(v),
            (1 - 0.1 * std::cos(v)) * std::sin(u) - 0.1 * std::cos(u) * std::sin(v),
            (1 - 0.4 * std::cos(v)) * std::cos(2 * u) + 0.8 * std::sin(2 * u) * std::sin(v),
            (1 - 0.4 * std::cos(v)) * std::sin(2 * u) - 0.8 * std::cos(2 * u) * std::sin(v)};
}

// Every set of the session computes the default surface, and its third
// derivatives are those of the default surface's z.
void ExpectDefaultSurfaceEverywhere(TSurfaceSession& s) {
    std::vector<TEngineSet*> sets = s.WorkerSets();
    sets.push_back(&s.MainEngines());
    const double at[2] = {0.8, 1.1};
    const Vector4 want = DefaultSurfaceAt(at[0], at[1]);
    // z_uuu = 8 (1 - 0.4 cos v) sin 2u - 8 (0.8) cos 2u sin v.
    const double zuuu = 8 * (1 - 0.4 * std::cos(at[1])) * std::sin(2 * at[0]) - 6.4 * std::cos(2 * at[0]) * std::sin(at[1]);
    for (TEngineSet* set : sets) {
        for (int i = 0; i < 4; ++i) {
            EXPECT_NEAR(set->evaluators[i].Value(at), want[i], 1e-14) << i;
            EXPECT_NEAR(set->partials[i].EvaluateFF(0, 0, 0, at), want[i], 1e-14) << i;
        }
        EXPECT_NEAR(set->partials[2].EvaluateFF(1, 1, 1, at), zuuu, 1e-13);
    }
}

// Refuses the n-th mapping (1 = the first) from now on, and no other call.
class NthMapRefused {
public:
    explicit NthMapRefused(int n) {
        remaining_.store(n);
        SetMemoryCallHook(&Hook);
    }
    ~NthMapRefused() { SetMemoryCallHook(nullptr); }
    NthMapRefused(const NthMapRefused&) = delete;
    NthMapRefused& operator=(const NthMapRefused&) = delete;

private:
    static bool Hook(MemoryCall call, std::size_t) { return call != MemoryCall::Map || remaining_.fetch_sub(1) != 1; }
    static inline std::atomic<int> remaining_{0};
};

TEST(SessionFault, RefusedExecutableMemoryKeepsThePreviousSurface) {
    TSurfaceSession s(2);
    ASSERT_TRUE(s.ReadData().ok);
    const TDomainMap map = s.Map();
    const auto strs = s.InputStrs();
    TInvariants before;
    ASSERT_TRUE(s.Surface().ComputeInvariants({0.8, 1.1}, before));

    // The mapping, its protection change, and the mapping of the second of
    // the three sets (when the first is already mapped) are refused in turn.
    for (int attempt = 0; attempt < 3; ++attempt) {
        SCOPED_TRACE(attempt);
        s.SetInputTexts(kPlane);
        TReadResult r;
        {
            test::MemoryCallRecorder calls;
            std::unique_ptr<NthMapRefused> second;
            if (attempt == 0) calls.Refuse(MemoryCall::Map);
            if (attempt == 1) calls.Refuse(MemoryCall::MakeReadExecute);
            if (attempt == 2) second = std::make_unique<NthMapRefused>(2);
            r = s.ReadData();
        }
        EXPECT_FALSE(r.ok);
        EXPECT_TRUE(r.codeNotPublished);
        EXPECT_EQ(r.message, attempt == 1 ? kMakeExecutableFailedMessage : kMapFailedMessage);
        EXPECT_FALSE(test::AnyWritableExecutableMapping());

        // Nothing changed: the session is still read, with its domain, its
        // document lines and every engine set's code.
        EXPECT_TRUE(s.alreadyParsed());
        EXPECT_EQ(s.Map().min2D, map.min2D);
        EXPECT_EQ(s.Map().max2D, map.max2D);
        EXPECT_EQ(s.InputStrs(), strs);
        ExpectDefaultSurfaceEverywhere(s);
        TInvariants after;
        ASSERT_TRUE(s.Surface().ComputeInvariants({0.8, 1.1}, after));
        EXPECT_EQ(after.KGauss, before.KGauss);
        EXPECT_EQ(after.depth, before.depth);
        EXPECT_EQ(after.discrStrPpal, before.discrStrPpal);  // from the third derivatives
    }

    // With memory again, the same input reads.
    ASSERT_TRUE(s.ReadData().ok);
    EXPECT_EQ(s.MainEngines().partials[2].EvaluateFF(1, 2, 0, Vector2{2, 3}.data()), 1);
    EXPECT_EQ(s.WorkerSets()[1]->evaluators[3].Value(Vector2{2, 3}.data()), -5);
}

TEST(SessionFault, RefusedMemoryBeforeAnySuccessfulReadLeavesTheSessionUnread) {
    TSurfaceSession s(1);
    TReadResult r;
    {
        test::MemoryCallRecorder calls;
        calls.Refuse(MemoryCall::Map);
        r = s.ReadData();
    }
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.codeNotPublished);
    EXPECT_FALSE(s.alreadyParsed());
    EXPECT_EQ(s.InputStrs()[4], "");
    EXPECT_TRUE(s.ReadData().ok);
    ExpectDefaultSurfaceEverywhere(s);
}

}  // namespace
}  // namespace velmora
