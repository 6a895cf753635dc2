#include "curves/IntegrationStep.h"

#include <algorithm>
#include <cmath>

namespace velmora {

double StepFactor(double error, double lo, double hi) {
    return std::clamp(0.8 * std::cbrt(kStepTolerance / error), lo, hi);
}

double Margin(const Vector2& p, const Vector2& center, const Vector2& halfEdges) {
    return std::min(halfEdges[0] - std::fabs(p[0] - center[0]), halfEdges[1] - std::fabs(p[1] - center[1]));
}

double TThreeStageStep::Error(double h) const {
    return std::fabs(h * (2 * k3_[0] - k1_[0] - k2_[0])) + std::fabs(h * (2 * k3_[1] - k1_[1] - k2_[1]));
}

Vector2 TThreeStageStep::End(const Vector2& pos, double hUsed, double& length) const {
    const Vector2 inc = {hUsed * (k1_[0] + k2_[0] + 4 * k3_[0]) / 6, hUsed * (k1_[1] + k2_[1] + 4 * k3_[1]) / 6};
    length = std::fabs(inc[0]) + std::fabs(inc[1]);
    return {pos[0] + inc[0], pos[1] + inc[1]};
}

Vector2 TThreeStageStep::Interpolate(const Vector2& saved, double hUsed, double s) const {
    const bool quotients = rounding_ == TCubicRounding::Quotients;
    const double twoThirdsS = quotients ? 2 * s / 3 : (2.0 / 3) * s;
    const double fourThirdsS = quotients ? 4 * s / 3 : (4.0 / 3) * s;
    const double s2 = s * s;
    const double a = s + s2 * (twoThirdsS - 1.5), b = s2 * (twoThirdsS - 0.5), c = s2 * (2 - fourThirdsS);
    return {saved[0] + hUsed * (a * k1_[0] + b * k2_[0] + c * k3_[0]),
            saved[1] + hUsed * (a * k1_[1] + b * k2_[1] + c * k3_[1])};
}

}  // namespace velmora
