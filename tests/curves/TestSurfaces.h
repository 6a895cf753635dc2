// Surfaces and a recording host for the tracer tests.
#pragma once

#include "curves/TracerHost.h"
#include "formula/FormulaCompiler.h"
#include "geometry/DomainMap.h"
#include "geometry/EngineSet.h"
#include "geometry/LocalGeometry.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace velmora::tracertest {

// Compiled engines, the surface object bound to them and the domain map.
struct TestSurface {
    std::unique_ptr<TEngineSet> engines = std::make_unique<TEngineSet>();
    std::unique_ptr<TLocalGeometry> surface;
    TDomainMap map;

    TestSurface(const std::array<std::string, 4>& texts, Vector2 lo, Vector2 hi) {
        TFormulaCompiler parser;
        engines->Build(texts, parser);
        surface = std::make_unique<TLocalGeometry>(*engines);
        map.Setup(lo, hi);
    }
};

// The default surface of the window over [0, 2 pi] x [0, 2.2].
inline TestSurface DefaultSurface() {
    return TestSurface({"(1-0.1 cos(v)) cos(u) + 0.1 sen(u) sen(v)", "(1-0.1 cos(v)) sen(u) - 0.1 cos(u) sen(v)",
                        "(1-0.4 cos(v)) cos(2u) + 0.8 sen(2u) sen(v)", "(1-0.4 cos(v)) sen(2u) - 0.8 cos(2u) sen(v)"},
                       {0, 0}, {6.283185307179586, 2.2});
}

// The paraboloid z = u^2 + v^2 in R^3 x {0}: its lines of curvature are the
// radial lines and the circles about the origin, an umbilic.
inline TestSurface Paraboloid() { return TestSurface({"u", "v", "u^2 + v^2", "0"}, {-1, -1}, {1, 1}); }

// Records what the tracers hand to the window.
class RecordingHost : public TTracerHost {
public:
    struct Curve {
        int colour = -1;
        std::vector<Vector2> points;
    };

    explicit RecordingHost(const TDomainMap& map) : map_(map) {}

    const TDomainMap& Map() const override { return map_; }
    void AddAndDrawLineSegment(const Vector2& vec1, const Vector2& vec2, uint8_t key) override {
        Add(vec1, vec2, key, -1);
    }
    void AddAndDrawLineSegmentExtremals(const Vector2& vec1, const Vector2& vec2, uint8_t key, int cl) override {
        Add(vec1, vec2, key, cl);
    }
    void ProcessMessages() override {
        ++messagePumps;
        if (onPump) onPump(*this);
    }
    bool StopRequested() const override { return stop; }
    void ClearStop() override {
        stop = false;
        ++stopsCleared;
    }
    void SetStatusText(const std::string& text) override { statusTexts.push_back(text); }
    void SetPenWidth(int width) override { penWidths.push_back(width); }
    void SavePen() override { ++pensSaved; }
    void RestorePen() override { ++pensRestored; }

    std::vector<Curve> curves;
    std::vector<std::string> statusTexts;
    std::vector<int> penWidths;
    int messagePumps = 0, stopsCleared = 0, pensSaved = 0, pensRestored = 0;
    int segmentsAfterStop = 0;
    bool stop = false;
    bool stopSeen = false;
    std::function<void(RecordingHost&)> onPump;
    std::function<void()> onSegment;

private:
    void Add(const Vector2& vec1, const Vector2& vec2, uint8_t key, int cl) {
        if (onSegment) onSegment();
        if (stopSeen) ++segmentsAfterStop;
        if (key == 1) {
            EXPECT_EQ(vec1, vec2);
            curves.push_back({cl, {}});
        } else {
            EXPECT_FALSE(curves.empty());
            if (curves.empty()) return;
            // Pieces join up: each starts where the last one ended (a step
            // starts at its exact start point, the last piece ended at the
            // interpolated one: equal up to rounding).
            const Vector2& last = curves.back().points.back();
            EXPECT_NEAR(vec1[0], last[0], 1e-12);
            EXPECT_NEAR(vec1[1], last[1], 1e-12);
        }
        curves.back().points.push_back(vec2);
    }

    const TDomainMap& map_;
};

}  // namespace velmora::tracertest
