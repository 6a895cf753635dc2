// Surfaces and a recording sink for the tracer tests.
#pragma once

#include "curves/LineFieldTracer.h"
#include "curves/TraceSink.h"
#include "formula/FormulaCompiler.h"
#include "geometry/DomainMap.h"
#include "geometry/EngineSet.h"
#include "geometry/LocalGeometry.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <memory>
#include <stop_token>
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

// Records what the tracers hand over, and requests the stop when asked to.
struct Recorder {
    Recorder() = default;
    Recorder(const Recorder&) = delete;  // the sink refers to this recorder
    Recorder& operator=(const Recorder&) = delete;

    struct Curve {
        int colour = 0;
        std::vector<Vector2> points;
    };

    // The sink to hand to a tracer; it lives as long as the recorder.
    const TSegmentSink& Sink() { return sink; }

    std::vector<Curve> curves;
    std::vector<long long> steps;  // the step count of every piece, in order
    std::stop_source stop;
    // Called with every piece before it is recorded.
    std::function<void(Recorder&, const TCurvePiece&)> onPiece;

private:
    void Add(const TCurvePiece& piece) {
        if (onPiece) onPiece(*this, piece);
        steps.push_back(piece.step);
        if (piece.newCurve) {
            EXPECT_EQ(piece.from, piece.to);
            curves.push_back({piece.colourCode, {}});
        } else {
            EXPECT_FALSE(curves.empty());
            if (curves.empty()) return;
            // Pieces join up: each starts where the last one ended (a step
            // starts at its exact start point, the last piece ended at the
            // interpolated one: equal up to rounding).
            const Vector2& last = curves.back().points.back();
            EXPECT_NEAR(piece.from[0], last[0], 1e-12);
            EXPECT_NEAR(piece.from[1], last[1], 1e-12);
        }
        curves.back().points.push_back(piece.to);
    }

    TSegmentSink sink = [this](const TCurvePiece& piece) { Add(piece); };
};

// The lines of a class through start, into the recorder, under its stop source.
inline TTraceOutcome TraceInto(Recorder& recorder, TestSurface& s, int nCurves, TLineClass curveClass,
                               const Vector2& start, uint8_t foliations = 3) {
    return DrawLineField(*s.surface, s.map, nCurves, curveClass, start, foliations, recorder.Sink(),
                         recorder.stop.get_token());
}

}  // namespace velmora::tracertest
