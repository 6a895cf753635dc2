// The affine map of the parameter rectangle U onto the square main panel, and
// the scales that the curve tracers derive from the size of U. The window owns
// one; the engine reads it.
#pragma once

#include "platform/VelmoraTypes.h"

#include <algorithm>
#include <cmath>

namespace velmora {

inline constexpr int kMainPanelSize = 548;

struct TDomainMap {
    Vector2 min2D{0, 0}, max2D{0, 0};
    Vector2 edges2D{0, 0}, halfEdges2D{0, 0}, center2D{0, 0};
    double span2D = 0;     // diagonal of U
    double radius2D = 0;   // span2D / 1096: step scale of the tracers
    double maxSegLen = 0;  // 5 radius2D: longest drawn piece of a curve
    double cX = 0, cY = 0, qx = 0, qy = 0;

    // Sets the corners and everything derived from them.
    void Setup(const Vector2& minCorner, const Vector2& maxCorner) {
        min2D = minCorner;
        max2D = maxCorner;
        for (int i = 0; i < 2; ++i) {
            edges2D[i] = max2D[i] - min2D[i];
            halfEdges2D[i] = edges2D[i] / 2;
            center2D[i] = (min2D[i] + max2D[i]) / 2;
        }
        span2D = std::hypot(edges2D[0], edges2D[1]);
        radius2D = span2D / 1096;
        maxSegLen = radius2D * 5;
        cX = kMainPanelSize / edges2D[0];
        cY = kMainPanelSize / edges2D[1];
        qx = kMainPanelSize / 2 - cX * center2D[0];
        qy = kMainPanelSize / 2 + cY * center2D[1];
    }

    // Pixel of a domain point (nearest integer, ties to even).
    Vector2Int FromR2toWindow(const Vector2& p) const {
        return {RoundHalfEven(cX * p[0] + qx), RoundHalfEven(qy - cY * p[1])};
    }

    // Domain point of a pixel; (0, 0) is (uMin, vMax), v grows upwards.
    Vector2 FromWindowToR2(int x, int y) const { return {(x - qx) / cX, (qy - y) / cY}; }

    // True when the scales of the tracers are finite, positive numbers (an
    // infinite or vanishing edge leaves no step to integrate with).
    bool Traceable() const {
        return std::isfinite(radius2D) && radius2D > 0 && std::isfinite(span2D) && std::isfinite(maxSegLen) &&
               std::isfinite(center2D[0]) && std::isfinite(center2D[1]);
    }

    // depth := how far inside U the point is (negative outside); true when inside.
    bool InRange(double& depth, const Vector2& p) const {
        depth = std::min(halfEdges2D[0] - std::fabs(p[0] - center2D[0]),
                         halfEdges2D[1] - std::fabs(p[1] - center2D[1]));
        return depth >= 0;
    }
};

}  // namespace velmora
