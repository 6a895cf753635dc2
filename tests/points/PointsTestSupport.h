// Surfaces for the special point tests: the engine sets of a few workers
// built from four formula texts, and lookups in a scan's result.
#pragma once

#include "formula/FormulaCompiler.h"
#include "geometry/EngineSet.h"
#include "geometry/LocalGeometry.h"
#include "points/SpecialPointScan.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace velmora::pointtest {

// The default formulas with terms periodic in u and v that break the
// symmetry making its invariants depend on v alone: an immersed torus over
// [0, 2 pi] x [0, 2 pi].
inline const std::array<std::string, 4> kGenericTorus = {
    "(1-0.1 cos(v)) cos(u) + 0.1 sen(u) sen(v)", "(1-0.1 cos(v)) sen(u) - 0.1 cos(u) sen(v)",
    "(1-0.4 cos(v)) cos(2u) + 0.8 sen(2u) sen(v) + 0.2 cos(u + v)",
    "(1-0.4 cos(v)) sen(2u) - 0.8 cos(2u) sen(v) + 0.15 sin(u - 2v)"};

struct Surface {
    std::vector<std::unique_ptr<TEngineSet>> sets;
    Vector2 lo, hi;

    Surface(const std::array<std::string, 4>& texts, Vector2 minCorner, Vector2 maxCorner, int workers = 2)
        : lo(minCorner), hi(maxCorner) {
        TFormulaCompiler parser;
        for (int i = 0; i < workers; ++i) {
            sets.push_back(std::make_unique<TEngineSet>());
            sets.back()->Build(texts, parser);
        }
    }
    std::vector<TEngineSet*> Sets() const {
        std::vector<TEngineSet*> raw;
        for (const auto& s : sets) raw.push_back(s.get());
        return raw;
    }
    TLocalGeometry Geometry() const { return TLocalGeometry(*sets[0]); }
    TSpecialPointsResult Find(TLineClass c, int cells = 200) const {
        TSpecialPointOptions options;
        options.cells = cells;
        return FindSpecialPoints(Sets(), lo, hi, c, options);
    }
};

// The points of a kind in a result.
inline std::vector<TSpecialPoint> PointsOf(const TSpecialPointsResult& r, TSpecialKind kind) {
    std::vector<TSpecialPoint> found;
    for (const TSpecialPoint& p : r.points)
        if (p.kind == kind) found.push_back(p);
    return found;
}

inline std::vector<TSpecialSet> SetsOf(const TSpecialPointsResult& r, TSpecialKind kind) {
    std::vector<TSpecialSet> found;
    for (const TSpecialSet& s : r.sets)
        if (s.kind == kind) found.push_back(s);
    return found;
}

}  // namespace velmora::pointtest
