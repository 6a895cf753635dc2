#include "points/FieldPattern.h"

#include <array>
#include <cmath>
#include <cstdlib>
#include <numbers>

namespace velmora {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr int kBaseSteps = 256;
// No accepted step turns the field by more; larger turns are bisected.
constexpr double kMaxTurn = kPi / 32;
constexpr int kMaxDepth = 12;
constexpr int kMaxEvaluations = 4096;
// The loop starts at this angle, not at a multiple of a simple fraction of
// pi: on a surface with a symmetry a separatrix often lies exactly along an
// axis, and at the start and end of the loop its crossing would fall on a
// sample and be counted by rounding, twice or not at all.
constexpr double kStartAngle = 0.0123456789;

// An angle difference brought into (-pi, pi].
double Wrapped(double a) {
    a = std::remainder(a, 2 * kPi);
    return a <= -kPi ? a + 2 * kPi : a;
}

// The directions of a field at one point of the loop: the continued one and,
// for the curvature lines, the other line of its cross (a quarter turn on in
// the frame (t, Jt); in the domain the two need not be orthogonal).
struct TSample {
    double alpha = 0;
    double phi = 0;  // the continued direction, in the frame (t, Jt)
    int lines = 1;
    std::array<double, 2> rawGamma{};  // their angles as scaled coordinate directions
    std::array<double, 2> gamma{};     // the same, continued along the loop
};

class TLoopWalk {
public:
    TLoopWalk(const TLocalGeometry& geometry, TLineClass field, const Vector2& p, const Vector2& radius)
        : geometry_(geometry), field_(field), p_(p), radius_(radius), lines_(field == TLineClass::Curvature ? 2 : 1) {}

    TFieldPattern Walk() {
        TSample first;
        if (!At(kStartAngle, UndefinedValue, first)) return {};
        first.gamma = first.rawGamma;
        TSample current = first;
        for (int i = 1; i <= kBaseSteps; ++i) {
            TSample next;
            if (!StepTo(current, kStartAngle + 2 * kPi * i / kBaseSteps, next, 0)) return {};
            current = next;
        }
        // A multiple of the index unit: 1/4 for the crosses of the curvature
        // lines, 1/2 for the other fields.
        const double unit = field_ == TLineClass::Curvature ? 0.25 : 0.5;
        const double turns = turn_ / (2 * kPi);
        const double index = std::round(turns / unit) * unit;
        if (std::fabs(turns - index) > 0.02) return {};
        return {index, static_cast<int>(crossings_)};
    }

private:
    bool At(double alpha, double phiIn, TSample& s) {
        if (++evaluations_ > kMaxEvaluations) return false;
        const Vector2 q{p_[0] + radius_[0] * std::cos(alpha), p_[1] + radius_[1] * std::sin(alpha)};
        Vector2 tangent{};
        double phi = phiIn;
        if (geometry_.Directions(q, field_, tangent, phi) == 0) return false;
        s.alpha = alpha;
        s.phi = phi;
        s.lines = lines_;
        s.rawGamma[0] = std::atan2(tangent[1] / radius_[1], tangent[0] / radius_[0]);
        if (lines_ == 2) {
            // The other line of the cross: its direction nearest a quarter turn on.
            double other = phi + kPi / 2;
            if (geometry_.Directions(q, field_, tangent, other) == 0) return false;
            s.rawGamma[1] = std::atan2(tangent[1] / radius_[1], tangent[0] / radius_[0]);
        }
        return std::isfinite(s.rawGamma[0]) && std::isfinite(s.rawGamma[1]);
    }

    // Continues the direction from `from` to the angle alpha of the loop.
    bool StepTo(const TSample& from, double alpha, TSample& to, int depth) {
        if (!At(alpha, from.phi, to)) return false;
        const double turn = Wrapped(to.phi - from.phi);
        if (std::fabs(turn) > kMaxTurn) {
            if (depth >= kMaxDepth) return false;  // the direction jumps: no continuous field here
            TSample middle;
            return StepTo(from, (from.alpha + alpha) / 2, middle, depth + 1) && StepTo(middle, alpha, to, depth + 1);
        }
        turn_ += turn;
        for (int line = 0; line < lines_; ++line) {
            to.gamma[line] = from.gamma[line] + Wrapped(to.rawGamma[line] - from.rawGamma[line]);
            // A line is parallel to the ray where gamma - alpha crosses a
            // multiple of pi.
            const double before = std::floor((from.gamma[line] - from.alpha) / kPi);
            const double after = std::floor((to.gamma[line] - to.alpha) / kPi);
            crossings_ += std::llabs(static_cast<long long>(after - before));
        }
        return true;
    }

    const TLocalGeometry& geometry_;
    TLineClass field_;
    Vector2 p_, radius_;
    int lines_;  // lines through a point per foliation: the cross of the curvature lines has two
    double turn_ = 0;
    long long crossings_ = 0;
    int evaluations_ = 0;
};

}  // namespace

TFieldPattern FieldPatternOnLoop(const TLocalGeometry& geometry, TLineClass field, const Vector2& p,
                                 const Vector2& cell, double r) {
    if (!IsLowDegree(field) || !(r > 0) || !std::isfinite(r)) return {};
    return TLoopWalk(geometry, field, p, {r * cell[0], r * cell[1]}).Walk();
}

TFieldPattern MeasureFieldPattern(const TLocalGeometry& geometry, TLineClass field, const Vector2& p,
                                  const Vector2& cell, double r) {
    TFieldPattern larger = FieldPatternOnLoop(geometry, field, p, cell, r);
    for (int halving = 1; halving <= 2; ++halving) {
        const TFieldPattern smaller = FieldPatternOnLoop(geometry, field, p, cell, r / (1 << halving));
        if (smaller == larger) return smaller;
        if (halving == 2 && std::isfinite(smaller.index) && smaller.index == larger.index)
            return {smaller.index, -1};
        larger = smaller;
    }
    return {};
}

}  // namespace velmora
