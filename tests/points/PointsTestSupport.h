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
