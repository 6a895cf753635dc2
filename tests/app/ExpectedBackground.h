// The colour a background pixel must have, worked out from the surface's own
// geometry functions on engines of the test's own, for the window tests that
// colour the domain of one surface.
#pragma once

#include "background/BackgroundThreads.h"
#include "background/Palette.h"
#include "canvas/Colour.h"
#include "formula/FormulaCompiler.h"
#include "geometry/EngineSet.h"
#include "geometry/LocalGeometry.h"

#include <array>
#include <memory>

namespace velmora {

// A surface whose Gauss curvature changes along both u and v, over [-1, 1] x [-1, 2].
inline constexpr std::array<const char*, 8> kSurface = {"u", "v", "u^2 + u v", "v^3/3 + u^2 v", "-1", "1", "-1", "2"};

// Column 0 is uMin, column W - 1 uMax, row 0 vMax, row H - 1 vMin.
class ExpectedBackground {
public:
    ExpectedBackground() {
        set_.Build({kSurface[0], kSurface[1], kSurface[2], kSurface[3]}, parser_);
        surface_ = std::make_unique<TLocalGeometry>(set_);
    }
    TColor At(TBackgroundType type, int x, int y, int w = 548, int h = 548) {
        const Vector2 p = {-1 + 2.0 * x / (w - 1), 2 - 3.0 * y / (h - 1)};
        const double d = type == TBackgroundType::GaussCurvature ? surface_->GaussCurvature(p)
                                                                 : surface_->DepthOfOrigin(p);
        if (d == UndefinedValue) return clWhite;
        return BackgroundPalette()[BackgroundIndex(d)];
    }

private:
    TFormulaCompiler parser_;
    TEngineSet set_;
    std::unique_ptr<TLocalGeometry> surface_;
};

}  // namespace velmora
