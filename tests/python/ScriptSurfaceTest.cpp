// The module's computations without Python: the work is shared out and
// stopped as promised, and a script surface gives the session's values.
#include "python/ParallelWork.h"
#include "python/ScriptSurface.h"
#include "session/SurfaceSession.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>
#include <vector>

namespace velmora::python {
namespace {

TEST(ParallelWork, EveryPointIsVisitedOnceEachThreadWithItsOwnEngineSet) {
    TSurfaceSession session(3);
    ASSERT_TRUE(session.ReadData().ok);
    const std::size_t n = 10007;
    std::vector<std::atomic<int>> visits(n);
    std::mutex mutex;
    std::set<std::pair<std::thread::id, const TEngineSet*>> pairs;
    ForEachPoint(
        session.WorkerSets(), n,
        [&](const TLocalGeometry& surface, std::size_t first, std::size_t last) {
            ASSERT_LT(first, last);
            ASSERT_LE(last, n);
            for (std::size_t i = first; i < last; ++i) ++visits[i];
            std::lock_guard lock(mutex);
            pairs.insert({std::this_thread::get_id(), &surface.Engines()});
        },
        {});
    for (std::size_t i = 0; i < n; ++i) ASSERT_EQ(visits[i].load(), 1) << i;
    // No engine set served two threads, nor a thread two sets.
    std::set<std::thread::id> threads;
    std::set<const TEngineSet*> sets;
    for (const auto& [thread, set] : pairs) {
        threads.insert(thread);
        sets.insert(set);
    }
    EXPECT_EQ(threads.size(), pairs.size());
    EXPECT_EQ(sets.size(), pairs.size());
    EXPECT_LE(pairs.size(), 3u);
    // Nothing to do starts nothing.
    ForEachPoint(session.WorkerSets(), 0, [](const TLocalGeometry&, std::size_t, std::size_t) { FAIL(); }, {});
}

TEST(ParallelWork, AnInterruptionStopsEveryTaskAndWaitsForThem) {
    std::atomic<int> ended{0};
    std::vector<TTask> tasks;
    for (int k = 0; k < 3; ++k)
        tasks.push_back([&](std::stop_token stop) {
            while (!stop.stop_requested()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
            ++ended;
        });
    int checks = 0;
    EXPECT_THROW(RunTasks(std::move(tasks), [&] { return ++checks == 2; }), TInterrupted);
    EXPECT_EQ(ended.load(), 3);
    EXPECT_EQ(checks, 2);
}

TEST(ParallelWork, ATasksErrorStopsTheOthersAndIsPassedOn) {
    std::atomic<bool> otherStopped{false};
    std::vector<TTask> tasks;
    tasks.push_back([](std::stop_token) { throw std::runtime_error("no memory for the grid"); });
    tasks.push_back([&](std::stop_token stop) {
        while (!stop.stop_requested()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        otherStopped = true;
    });
    try {
        RunTasks(std::move(tasks), [] { return false; });
        FAIL() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "no memory for the grid");
    }
    EXPECT_TRUE(otherStopped.load());
}

TEST(ScriptSurface, ValuesAreTheProbesAndNaNWhereUndefined) {
    TScriptSurface surface(DefaultSurfaceTexts(), {});
    TSurfaceSession session(0);
    ASSERT_TRUE(session.ReadData().ok);
    const std::vector<double> u = {0.3, 2.0, 5.9, NAN, 1.0};
    const std::vector<double> v = {0.2, 1.1, 2.1, 1.0, INFINITY};
    std::array<std::vector<double>, 9> values;
    std::array<double*, 9> out{};
    for (int k = 0; k < 9; ++k) {
        values[k].assign(u.size(), 0.0);
        out[k] = values[k].data();
    }
    surface.Invariants(u.data(), v.data(), u.size(), out);
    for (std::size_t i = 0; i < 3; ++i) {
        const TPointProbe probe = session.Probe({u[i], v[i]}, TLineClass::CoordinateLines);
        ASSERT_TRUE(probe.invariants);
        EXPECT_EQ(values[0][i], probe.invariants->halfMajorAxis);
        EXPECT_EQ(values[3][i], probe.invariants->depth);
        EXPECT_EQ(values[5][i], probe.invariants->KGauss);
        EXPECT_EQ(values[8][i], probe.invariants->discrStrPpal);
    }
    for (int k = 0; k < 9; ++k) {
        EXPECT_TRUE(std::isnan(values[k][3]));
        EXPECT_TRUE(std::isnan(values[k][4]));
    }

    // Curvature lines have up to four directions; the rest is NaN.
    std::vector<double> angles(4 * u.size(), 0.0);
    surface.Directions(TLineClass::Asymptotic, u.data(), v.data(), u.size(), angles.data());
    for (std::size_t i = 0; i < 3; ++i) EXPECT_TRUE(std::isnan(angles[2 * i]) == std::isnan(angles[2 * i + 1]));
    EXPECT_TRUE(std::isnan(angles[6]) && std::isnan(angles[7]));
}

TEST(ScriptSurface, TextsThatCannotBeReadNameTheirField) {
    TInputTexts texts = DefaultSurfaceTexts();
    texts[vMaxField] = "-1";
    try {
        TScriptSurface surface(texts, {});
        FAIL() << "read";
    } catch (const TInputError& e) {
        EXPECT_EQ(e.field, vMaxField);
        EXPECT_STREQ(e.what(), "The minimum of 'v' must be less than its maximum");
    }
}

TEST(ScriptSurface, LinesStartInsideTheDomainAndTracesStopWhenInterrupted) {
    TScriptSurface surface(DefaultSurfaceTexts(), {});
    EXPECT_THROW(surface.Lines(TLineClass::Curvature, {7.0, 1.0}, 3, 0), std::invalid_argument);
    const auto curves = surface.Lines(TLineClass::Curvature, {1.2, 0.8}, 3, 0);
    EXPECT_FALSE(curves.empty());
    // The limit of points ends the trace early.
    std::size_t all = 0, limited = 0;
    for (const auto& c : curves) all += c.size();
    for (const auto& c : surface.Lines(TLineClass::Curvature, {1.2, 0.8}, 3, 50)) limited += c.size();
    EXPECT_LT(limited, all);
    EXPECT_GE(limited, 50u);

    TScriptSurface interrupted(DefaultSurfaceTexts(), [] { return true; });
    std::vector<uint8_t> rgb(3 * 2000 * 2000);
    EXPECT_THROW(interrupted.BackgroundRgb(TBackgroundType::GaussCurvature, 2000, rgb.data()), TInterrupted);
}

}  // namespace
}  // namespace velmora::python
