// The real roots of the direction polynomials at a point (Sturm sequences,
// interval splitting and bisection; closed forms for degrees 1 and 2), the
// foliations and the classification of extremal directions, and Newton's
// method on the angular form to follow one direction.
#include "geometry/HigherDegreeDirections.h"

#include "geometry/VectorMath.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace velmora {

bool THigherDegreeDirections::BuildDirectionPolynomial(TLineClass curveClass, const Vector2& p) {
    if (!IsHigherDegree(curveClass)) return false;
    const std::optional<TLocalFrame> at = surface_->Frame(p);
    if (!at) return false;
    return BuildDirectionPolynomial(curveClass, *at);
}

bool THigherDegreeDirections::BuildDirectionPolynomial(TLineClass curveClass, const TLocalFrame& at) {
    if (!IsHigherDegree(curveClass)) return false;
    frame = at;
    switch (curveClass) {
        case TLineClass::ExtremalNormalDeviation: P = NormalDeviationQuartic(frame); break;
        case TLineClass::ExtremalLateralDeviation: P = LateralDeviationQuartic(frame); break;
        default: {
            // The frame holds the first and second derivatives of its point;
            // only the third ones are missing.
            const std::optional<TThirdDerivatives> third = surface_->ThirdDerivatives(frame.p);
            if (!third) return false;
            Polynomial5 q;
            if (!StrongPrincipalQuinticFromDerivatives(frame, *third, q)) return false;
            P = q;
        }
    }
    double sum = 1e-15;
    for (int i = 1; i <= 5; ++i) sum += std::fabs(P.c[i]);
    epsilon = 1e-12 * sum;
    return std::isfinite(epsilon);
}

void THigherDegreeDirections::AddRoot(double x, TLineClass curveClass) {
    if (list.count >= 5 || !std::isfinite(x)) return;
    const double norm = std::sqrt(1.0 + x * x);
    DirectionEntry& e = list.entries[++list.count];
    e.x = 1.0 / norm;
    e.y = x / norm;
    const double cos2t = e.x * e.x - e.y * e.y, sin2t = 2 * e.x * e.y;
    e.value = DeviationValue(frame, curveClass, cos2t, sin2t);
}

void THigherDegreeDirections::BuildSturmSequence() {
    // Each pass either ends in a non-zero constant or finds the greatest common
    // divisor of S_0 and S_0' (degree >= 1) and divides it out, lowering the
    // degree of S_0; so the loop ends after at most five passes.
    for (int pass = 0; pass < 6; ++pass) {
        sturmLength = 1;
        if (sturm[0].degree <= 0) return;
        sturm[1] = NegatedDerivative(sturm[0]);
        sturmLength = 2;
        while (sturm[sturmLength - 1].degree > 0 && sturmLength < kMaxSturm) {
            sturm[sturmLength] = NegatedRemainder(sturm[sturmLength - 2], sturm[sturmLength - 1], epsilon);
            ++sturmLength;
        }
        if (sturm[sturmLength - 1].degree >= 0) return;
        // A multiple root: divide S_0 by the last non-zero member and start again.
        --sturmLength;
        sturm[0] = PolynomialQuotient(sturm[0], sturm[sturmLength - 1], epsilon);
    }
}

int THigherDegreeDirections::SignChanges(double x) const {
    if (sturmLength < 2) return 0;
    int changes = 0;
    bool previous = EvaluatePolynomial(sturm[0], x) > 0;
    for (int i = 1; i < sturmLength; ++i) {
        const bool current = EvaluatePolynomial(sturm[i], x) > 0;
        if (current != previous) ++changes;
        previous = current;
    }
    return changes;
}

double THigherDegreeDirections::Bisect(double a, double b, bool leftPositive) const {
    double mid = (a + b) / 2;
    for (int i = 0; i < 51; ++i) {
        mid = (a + b) / 2;
        const double value = EvaluatePolynomial(P, mid);
        if (std::fabs(value) < epsilon) break;
        if ((value > 0) == leftPositive)
            a = mid;
        else
            b = mid;
    }
    return mid;
}

void THigherDegreeDirections::Isolate(double a, double b, int va, int vb, TLineClass curveClass) {
    if (va == vb) return;
    if (std::abs(va - vb) > 1) {
        if (b - a < 1e-5) return;  // roots too close to be told apart
        const double m = (a + b) / 2;
        const int vm = SignChanges(m);
        Isolate(a, m, va, vm, curveClass);
        Isolate(m, b, vm, vb, curveClass);
        return;
    }
    const double pa = EvaluatePolynomial(P, a), pb = EvaluatePolynomial(P, b);
    if (pa != 0 && pb != 0) {
        // A root of even multiplicity leaves P's sign unchanged: not reported.
        if ((pa > 0) == (pb > 0)) return;
        AddRoot(Bisect(a, b, pa > 0), curveClass);
    } else if (pb == 0) {
        const double m = b - 1e-16;
        const double pm = EvaluatePolynomial(P, m);
        AddRoot(pa * pm < 0 ? Bisect(a, m, pa > 0) : b, curveClass);
    } else {
        const double l = a + 1e-16;
        const double pl = EvaluatePolynomial(P, l);
        AddRoot(pl * pb < 0 ? Bisect(l, b, pl > 0) : a, curveClass);
    }
}

void THigherDegreeDirections::FindDirections(TLineClass curveClass) {
    list.count = 0;
    if (epsilon < 1e-30) return;
    // The zero polynomial (a flat point for classes 5 and 6) defines no direction.
    bool allZero = true;
    for (int i = 1; i <= P.degree + 1; ++i) allZero = allZero && P.c[i] == 0.0;
    if (P.degree < 0 || allZero) return;

    // A vanishing leading coefficient is a root at infinity: the direction Jt
    // (classes 5, 6) or the coordinate direction (0, 1) (class 7).
    if (std::fabs(P.c[1]) < epsilon) {
        DirectionEntry& e = list.entries[1];
        list.count = 1;
        e.x = 0;
        e.y = 1;
        const TLocalFrame& s = frame;
        e.value = curveClass == TLineClass::ExtremalNormalDeviation    ? s.hh - 2 * s.hb + s.bb
                  : curveClass == TLineClass::ExtremalLateralDeviation ? s.bc - s.hc
                                                                       : 0.0;
        for (int i = 1; i <= P.degree; ++i) P.c[i] = P.c[i + 1];
        P.c[P.degree + 1] = 0.0;
        --P.degree;
        StripPolynomial(P, epsilon);
    }

    switch (P.degree) {
        case 1:
            AddRoot(-P.c[2] / P.c[1], curveClass);
            return;
        case 2: {
            const double delta = P.c[2] * P.c[2] - 4 * P.c[1] * P.c[3];
            if (delta > 0) {
                const double root = std::sqrt(delta);
                AddRoot((-P.c[2] + root) / (2 * P.c[1]), curveClass);
                AddRoot((-P.c[2] - root) / (2 * P.c[1]), curveClass);
            } else if (delta == 0) {
                AddRoot(-P.c[2] / (2 * P.c[1]), curveClass);
            }
            return;
        }
        default:
            if (P.degree < 3) return;
    }

    // Degree 3 to 5: the monic S_0, a bound of the roots, the Sturm sequence.
    const double lead = P.c[1];
    sturm[0] = P;
    double bound = 0;
    for (int i = 1; i <= P.degree + 1; ++i) {
        sturm[0].c[i] = P.c[i] / lead;
        if (i > 1) bound = std::max(bound, std::fabs(sturm[0].c[i]));
    }
    sturm[0].c[1] = 1.0;
    bound += 1.0;
    epsilon /= std::fabs(lead);
    if (!std::isfinite(bound) || !std::isfinite(epsilon)) return;
    BuildSturmSequence();
    Isolate(-bound, bound, SignChanges(-bound), SignChanges(bound), curveClass);
}

void THigherDegreeDirections::SortDirections() {
    // Quicksort by value, pivot the middle entry (at most five entries).
    auto& e = list.entries;
    auto sort = [&e](auto&& self, int lo, int hi) -> void {
        int i = 0;
        do {
            i = lo;
            int j = hi;
            const double pivot = e[(lo + hi) / 2].value;
            do {
                while (e[i].value < pivot) ++i;
                while (e[j].value > pivot) --j;
                if (i <= j) {
                    std::swap(e[i], e[j]);
                    ++i;
                    --j;
                }
            } while (i <= j);
            if (lo < j) self(self, lo, j);
            lo = i;
        } while (i < hi);
    };
    if (list.count > 1) sort(sort, 1, list.count);
}

void THigherDegreeDirections::ListDirections(TLineClass curveClass, DirectionList& out) {
    list.count = 0;
    FindDirections(curveClass);
    if (IsExtremalDeviation(curveClass)) SortDirections();
    out = list;
}

bool THigherDegreeDirections::HigherDegreeDirections(TLineClass curveClass, DirectionList& out, const Vector2& p) {
    if (!BuildDirectionPolynomial(curveClass, p)) return false;
    ListDirections(curveClass, out);
    return true;
}

bool THigherDegreeDirections::HigherDegreeDirections(TLineClass curveClass, DirectionList& out,
                                                     const TLocalFrame& at) {
    if (!BuildDirectionPolynomial(curveClass, at)) return false;
    ListDirections(curveClass, out);
    return true;
}

uint8_t THigherDegreeDirections::NewtonDirection(TLineClass curveClass, double& theta, Vector2& direction, const Vector2& p) {
    if (!BuildDirectionPolynomial(curveClass, p)) return 0;
    const Polynomial5 D = AngularDerivative(P);
    double derivative = 0;
    bool converged = false;
    for (int i = 0; i < 50; ++i) {
        const double F = AngularForm(P, theta);
        derivative = AngularForm(D, theta);
        if (!std::isfinite(F) || !std::isfinite(derivative)) return 0;
        if (std::fabs(F) < epsilon) {
            converged = true;
            break;
        }
        if (std::fabs(derivative) < std::fabs(F)) return 0;
        theta -= F / derivative;
    }
    if (!converged) return 0;
    lastSin = std::sin(theta);
    lastCos = std::cos(theta);
    if (curveClass == TLineClass::StrongPrincipal) {
        direction = {lastCos, lastSin};
        return 1;
    }
    const TLocalFrame& s = frame;
    const double W = std::sqrt(std::fabs(s.guu * s.gvv - s.guv * s.guv));
    if (!(W > 0) || !(s.guu > 0)) return 0;
    const double rootGuu = std::sqrt(s.guu);
    direction = {lastCos / rootGuu - s.guv * lastSin / (rootGuu * W), s.guu * lastSin / (rootGuu * W)};
    return derivative > 0 ? 2 : 1;
}

uint8_t THigherDegreeDirections::FoliationOfDirection(TLineClass curveClass, const Vector2& dir, const Vector2& p) {
    if (!BuildDirectionPolynomial(curveClass, p)) return 0;
    if (curveClass == TLineClass::StrongPrincipal) return 1;
    const Polynomial5 D = AngularDerivative(P);
    return AngularForm(D, SafeArcTan2(dir[1], dir[0])) > 0 ? 2 : 1;
}

int THigherDegreeDirections::ClassifyExtremal(TLineClass curveClass, const Vector2& p, double sinTheta, double cosTheta) {
    DirectionList found;
    HigherDegreeDirections(curveClass, found, p);
    const double cos2t = cosTheta * cosTheta - sinTheta * sinTheta, sin2t = 2 * sinTheta * cosTheta;
    const double d = DeviationValue(frame, curveClass, cos2t, sin2t);
    int index = 0;
    double nearest = 1e20;
    for (int k = 1; k <= found.count; ++k) {
        const double distance = std::fabs(found.entries[k].value - d);
        if (distance < nearest) {
            nearest = distance;
            index = k;
        }
    }
    if (found.count == 2 && index == 2) return 4;
    return index;
}

}  // namespace velmora
