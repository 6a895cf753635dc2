// The code area of an engine set: one mapping and one protection change per
// build, the previous area released when a set is built again, no callable
// code left behind by a failed build, and sets built and used on two threads.
#include "SurfaceTestSupport.h"

#include "geometry/EngineSet.h"
#include "platform/VelmoraError.h"
#include "tests/platform/MemoryTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <thread>
#include <vector>

namespace velmora::testing {
namespace {

using test::MemoryCallRecorder;
using test::ProtectionOf;

const std::array<std::string, 4> kPolynomialSurface = {"u", "v", "u*v", "u*u-v*v"};

// Every code address of the set's engines: the evaluators' functions and the
// symbolic objects' blocks.
std::vector<const void*> CodeOf(const TEngineSet& set) {
    std::vector<const void*> code;
    for (const TJetEvaluator& e : set.evaluators)
        for (JetFunction f : {JetFunction::Value, JetFunction::FirstAlongCurve, JetFunction::SecondAlongCurve,
                              JetFunction::Jet})
            code.push_back(e.Function(f).code);
    // The ten blocks of each coordinate: f, f_u, f_v, f_uu, f_uv, f_vv, f_uuu, f_uuv, f_uvv, f_vvv.
    const int blocks[10][3] = {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {1, 1, 0}, {1, 2, 0},
                               {2, 2, 0}, {1, 1, 1}, {1, 1, 2}, {1, 2, 2}, {2, 2, 2}};
    for (const TSymbolicPartials& d : set.partials)
        for (const auto& b : blocks) code.push_back(d.FF(b[0], b[1], b[2]).code);
    return code;
}

Vector4 Values(TEngineSet& set, double u, double v) {
    const double at[2] = {u, v};
    Vector4 x{};
    for (int i = 0; i < 4; ++i) x[i] = set.evaluators[i].SecondOrderJet(at).f;
    return x;
}

void ExpectDefaultSurfaceAt(TEngineSet& set, double u, double v) {
    const Vector4 want = DefaultSurfacePoint(u, v);
    const Vector4 got = Values(set, u, v);
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(got[i], want[i], 1e-14) << i;
}

TEST(EngineSet, ABuildMapsAllItsCodeOnceAndMakesItExecutableOnce) {
    auto set = std::make_unique<TEngineSet>();
    TFormulaCompiler parser;
    MemoryCallRecorder calls;
    set->Build(DefaultSurfaceTexts(), parser);
    EXPECT_EQ(calls.Count(MemoryCall::Map), 1);
    EXPECT_EQ(calls.Count(MemoryCall::MakeReadExecute), 1);
    EXPECT_EQ(calls.Count(MemoryCall::MakeReadWrite), 0);

    const auto& mapping = set->area.Mapping();
    ASSERT_TRUE(mapping);
    EXPECT_EQ(ProtectionOf(mapping->Base()).substr(0, 3), "r-x");
    const std::vector<const void*> code = CodeOf(*set);
    EXPECT_EQ(code.size(), 4u * 4 + 4u * 10);
    for (const void* c : code) {
        ASSERT_NE(c, nullptr);
        EXPECT_GE(static_cast<const uint8_t*>(c), mapping->Base());
        EXPECT_LT(static_cast<const uint8_t*>(c), mapping->Base() + mapping->Size());
    }
    ExpectDefaultSurfaceAt(*set, 1.3, 0.9);

    // "Enter" with a main set and two worker sets: one protection change each.
    auto second = std::make_unique<TEngineSet>(), third = std::make_unique<TEngineSet>();
    calls.Reset();
    TEngineSetsBuild build({set.get(), second.get(), third.get()});
    const auto texts = DefaultSurfaceTexts();
    for (int i = 0; i < 4; ++i) {
        parser.ParseNewText(texts[static_cast<std::size_t>(i)], "uv", "");
        build.Coordinate(i, parser, texts[static_cast<std::size_t>(i)]);
    }
    EXPECT_EQ(calls.ProtectionChanges(), 0) << "nothing is published before the build ends";
    build.Commit();
    EXPECT_EQ(calls.Count(MemoryCall::MakeReadExecute), 3);
    EXPECT_EQ(calls.Count(MemoryCall::MakeReadWrite), 0);
    for (TEngineSet* s : {set.get(), second.get(), third.get()}) ExpectDefaultSurfaceAt(*s, 0.4, 2.0);
}

TEST(EngineSet, BuildingAgainReplacesTheCodeAndReleasesThePreviousArea) {
    auto set = std::make_unique<TEngineSet>();
    TFormulaCompiler parser;
    set->Build(DefaultSurfaceTexts(), parser);
    const uint8_t* first = set->area.Mapping()->Base();
    set->Build(kPolynomialSurface, parser);
    EXPECT_EQ(ProtectionOf(first), "") << "no engine refers to the first area any more";
    const double at[2] = {1.5, -2};
    const TSecondOrderJet w = set->evaluators[3].SecondOrderJet(at);
    EXPECT_EQ(w.f, 2.25 - 4);
    EXPECT_EQ(w.fu, 3);
    EXPECT_EQ(w.fv, 4);
    EXPECT_EQ(w.fuu, 2);
    EXPECT_EQ(w.fuv, 0);
    EXPECT_EQ(w.fvv, -2);
    EXPECT_EQ(set->partials[2].EvaluateFF(1, 2, 0, at), 1);
    set->Build(DefaultSurfaceTexts(), parser);
    ExpectDefaultSurfaceAt(*set, 5.0, 0.3);
}

TEST(EngineSet, AFailedBuildLeavesThePreviousSurface) {
    auto set = std::make_unique<TEngineSet>();
    TFormulaCompiler parser;
    set->Build(DefaultSurfaceTexts(), parser);
    const double at[2] = {1.3, 0.9};
    std::array<double, 4> fuuu{};
    for (int i = 0; i < 4; ++i) fuuu[i] = set->partials[i].EvaluateFF(1, 1, 1, at);

    // The third formula is refused: the evaluators and the symbolic objects
    // keep their code and tables, also those whose new formula was parsed.
    auto texts = kPolynomialSurface;
    texts[2] = "u*(";
    EXPECT_THROW(set->Build(texts, parser), VelmoraError);
    ExpectDefaultSurfaceAt(*set, 1.3, 0.9);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(set->partials[i].EvaluateFF(1, 1, 1, at), fuuu[i]) << i;
    for (const void* c : CodeOf(*set)) {
        if (c != nullptr) {
            EXPECT_EQ(ProtectionOf(c).substr(0, 3), "r-x");
        }
    }

    // The publication itself is refused: the same, and nothing is left
    // writable and executable.
    set->Build(DefaultSurfaceTexts(), parser);
    {
        MemoryCallRecorder calls;
        calls.Refuse(MemoryCall::MakeReadExecute);
        try {
            set->Build(kPolynomialSurface, parser);
            ADD_FAILURE() << "the refused protection change was not reported";
        } catch (const VelmoraError& e) {
            EXPECT_STREQ(e.what(), kMakeExecutableFailedMessage);
        }
    }
    EXPECT_FALSE(test::AnyWritableExecutableMapping());
    ExpectDefaultSurfaceAt(*set, 1.3, 0.9);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(set->partials[i].EvaluateFF(1, 1, 1, at), fuuu[i]) << i;
    set->Build(kPolynomialSurface, parser);
    EXPECT_EQ(Values(*set, 2, 3), (Vector4{2, 3, 6, -5}));

    // Within a build, an evaluator given a refused program after its good one
    // keeps the code it had before the build; the others take the new code.
    {
        TEngineSetsBuild build({set.get()});
        const auto texts = DefaultSurfaceTexts();
        for (int i = 0; i < 4; ++i) {
            parser.ParseNewText(texts[static_cast<std::size_t>(i)], "uv", "");
            build.Coordinate(i, parser, texts[static_cast<std::size_t>(i)]);
        }
        const ByteArray undigested = {0xFF, 1, 0, 1, 0xFF, 1, 0, 2, '^'};
        EXPECT_THROW(set->evaluators[1].BuildFrom(undigested, parser.Table(), 2, 0, parser.LastConstantSlot(), parser.StackDepth()), VelmoraError);
        build.Commit();
    }
    const Vector4 mixed = Values(*set, 0.5, 0.25), surface = DefaultSurfacePoint(0.5, 0.25);
    EXPECT_NEAR(mixed[0], surface[0], 1e-15);
    EXPECT_EQ(mixed[1], 0.25) << "the polynomial surface's y = v";
    EXPECT_NEAR(mixed[2], surface[2], 1e-15);
}

TEST(EngineSet, SetsBuiltAndUsedOnTwoThreadsAtOnce) {
    const std::array<std::array<std::string, 4>, 2> surfaces = {DefaultSurfaceTexts(), kPolynomialSurface};
    // Each thread builds its set, then evaluates it over a grid of points.
    std::array<std::unique_ptr<TEngineSet>, 2> sets = {std::make_unique<TEngineSet>(), std::make_unique<TEngineSet>()};
    std::array<std::vector<double>, 2> got;
    auto work = [&](int k) {
        TFormulaCompiler parser;
        for (int round = 0; round < 5; ++round) sets[k]->Build(surfaces[k], parser);
        for (int i = 0; i < 200; ++i) {
            const double at[2] = {0.03 * i, 2.2 - 0.01 * i};
            for (int c = 0; c < 4; ++c) {
                const TSecondOrderJet j = sets[k]->evaluators[c].SecondOrderJet(at);
                got[k].insert(got[k].end(), {j.f, j.fu, j.fv, j.fuu, j.fuv, j.fvv});
                got[k].push_back(sets[k]->partials[c].EvaluateFF(1, 1, 2, at));
            }
        }
    };
    std::thread first(work, 0), second(work, 1);
    first.join();
    second.join();
    // The same values from sets built and used alone.
    for (int k = 0; k < 2; ++k) {
        auto alone = std::make_unique<TEngineSet>();
        TFormulaCompiler parser;
        alone->Build(surfaces[k], parser);
        std::size_t n = 0;
        for (int i = 0; i < 200; ++i) {
            const double at[2] = {0.03 * i, 2.2 - 0.01 * i};
            for (int c = 0; c < 4; ++c) {
                const TSecondOrderJet j = alone->evaluators[c].SecondOrderJet(at);
                for (double x : {j.f, j.fu, j.fv, j.fuu, j.fuv, j.fvv, alone->partials[c].EvaluateFF(1, 1, 2, at)})
                    ASSERT_EQ(got[k][n++], x) << "surface " << k << " point " << i << " coordinate " << c;
            }
        }
    }
}

}  // namespace
}  // namespace velmora::testing
