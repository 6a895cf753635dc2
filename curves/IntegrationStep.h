// The integration step of the line tracers: three stages of the direction
// field, an error estimate that compares the second- and third-order
// results, the end point of an accepted step, and the cubic through it from
// which the drawn pieces are taken. Also the margin of a point in a
// rectangle, by which every tracer keeps inside the domain.
#pragma once

#include "platform/VelmoraTypes.h"

#include <cstdint>

namespace velmora {

// The largest error of an accepted step (domain units, or relative to the
// span of the domain where a tracer scales it).
inline constexpr double kStepTolerance = 1e-4;

// 0.8 (kStepTolerance / error)^(1/3), clamped to [lo, hi]: the factor by which
// the next step is longer than one with this error.
double StepFactor(double error, double lo, double hi);

// How far p lies inside the rectangle with this centre and these half edges:
// the smaller distance to the two nearer sides, negative outside.
double Margin(const Vector2& p, const Vector2& center, const Vector2& halfEdges);

// How the weights of the cubic through a step are rounded: the fields of
// classes 1 to 4 take 2s/3 and 4s/3 (Quotients), the higher-degree fields
// (2/3)s and (4/3)s (Products). The cubic is the same; the two differ in the
// last bit for some s, and each tracer keeps its own so that the curves it
// hands over stay exactly what they were.
enum class TCubicRounding { Quotients, Products };

// One step of length h from pos along a direction field. The field is a
// callable direction(p, k): it writes the coordinate direction k at p and
// answers 0 where there is none, otherwise the foliation of k.
class TThreeStageStep {
public:
    explicit TThreeStageStep(TCubicRounding rounding) : rounding_(rounding) {}

    // k1 at pos, k2 at pos + h k1, k3 at pos + (h/4)(k1 + k2). Answers the
    // third stage's foliation, 0 as soon as a stage has no direction.
    template <class DirectionField>
    uint8_t Stages(const Vector2& pos, double h, DirectionField&& direction) {
        if (direction(pos, k1_) == 0) return 0;
        if (direction(Along(pos, h, k1_), k2_) == 0) return 0;
        return direction(Along(pos, h / 4, {k1_[0] + k2_[0], k1_[1] + k2_[1]}), k3_);
    }

    // |h (2 k3 - k1 - k2)| summed over u and v.
    double Error(double h) const;
    // pos + hUsed (k1 + k2 + 4 k3)/6, the end of the step; length := |du| + |dv|
    // of the increment.
    Vector2 End(const Vector2& pos, double hUsed, double& length) const;
    // The cubic through the step at s in [0, 1]: `saved` with slope hUsed k1 at
    // s = 0, the end point at s = 1.
    Vector2 Interpolate(const Vector2& saved, double hUsed, double s) const;

    const Vector2& k1() const { return k1_; }
    const Vector2& k3() const { return k3_; }

private:
    static Vector2 Along(const Vector2& p, double s, const Vector2& a) { return {p[0] + s * a[0], p[1] + s * a[1]}; }

    TCubicRounding rounding_;
    Vector2 k1_{}, k2_{}, k3_{};  // the stage slopes of the last step
};

}  // namespace velmora
