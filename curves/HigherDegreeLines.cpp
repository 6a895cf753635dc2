// Real roots of the direction polynomials of classes 5 to 7 (Sturm sequences,
// interval splitting and bisection; closed forms for degrees 1 and 2), the
// angular form used by Newton's method, foliations and the classification of
// extremal directions.
#include "curves/HigherDegreeLines.h"

#include "geometry/VectorsAndUtil.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace velmora {

// ---- polynomial operations ------------------------------------------------------

double EvaluatePolynomial(const Polynomial5& p, double x) {
    if (p.degree < 0) return 0.0;
    double value = p.c[1];
    for (int i = 2; i <= p.degree + 1; ++i) value = value * x + p.c[i];
    return value;
}

int StripPolynomial(Polynomial5& p, double eps) {
    int dropped = 0;
    while (p.degree >= 0 && std::fabs(p.c[1]) <= eps) {
        for (int i = 1; i <= p.degree; ++i) p.c[i] = p.c[i + 1];
        p.c[p.degree + 1] = 0.0;
        --p.degree;
        ++dropped;
    }
    return dropped;
}

Polynomial5 NegatedDerivative(const Polynomial5& p) {
    Polynomial5 d;
    const int n = p.degree;
    if (n <= 0) {
        d.degree = -1;  // the derivative of a constant is the zero polynomial
        return d;
    }
    d.degree = n - 1;
    for (int i = 0; i < n; ++i) d.c[i + 1] = -(n - i) * p.c[i + 1];
    return d;
}

namespace {

// Long division of a by b. Each step subtracts q x^(deg a - deg b) b from a and
// strips a; q is recorded at that power in `quotient` when one is wanted.
// Leaves the remainder in a.
void LongDivision(Polynomial5& a, const Polynomial5& b, double eps, Polynomial5* quotient) {
    if (quotient) {
        *quotient = Polynomial5{};
        quotient->degree = a.degree - b.degree;
    }
    if (b.degree < 0) return;  // division by the zero polynomial: nothing to do
    const int quotientDegree = a.degree - b.degree;
    while (a.degree >= 0 && b.degree <= a.degree) {
        const double q = a.c[1] / b.c[1];
        if (quotient) {
            const int power = a.degree - b.degree;
            quotient->c[quotientDegree - power + 1] = q;
        }
        for (int i = 1; i <= b.degree; ++i) a.c[i] = a.c[i + 1] - q * b.c[i + 1];
        for (int i = b.degree + 1; i <= a.degree; ++i) a.c[i] = a.c[i + 1];
        a.c[a.degree + 1] = 0.0;
        --a.degree;
        StripPolynomial(a, eps);
    }
}

}  // namespace

Polynomial5 NegatedRemainder(const Polynomial5& a, const Polynomial5& b, double eps) {
    Polynomial5 r = a;
    LongDivision(r, b, eps, nullptr);
    if (r.degree >= 0)
        for (int i = 1; i <= r.degree + 1; ++i) r.c[i] = -r.c[i];
    return r;
}

Polynomial5 PolynomialQuotient(const Polynomial5& a, const Polynomial5& b, double eps) {
    Polynomial5 r = a, q;
    LongDivision(r, b, eps, &q);
    return q;
}

double AngularForm(const Polynomial5& p, double theta) {
    if (p.degree < 0) return 0.0;
    const double s = std::sin(theta), c = std::cos(theta);
    double b = p.c[1];
    double cosPower = 1.0;
    for (int i = 1; i <= p.degree; ++i) {
        cosPower *= c;
        b = b * s + p.c[i + 1] * cosPower;
    }
    return b;
}

Polynomial5 AngularDerivative(const Polynomial5& p) {
    Polynomial5 d;
    const int n = p.degree;
    d.degree = n;
    if (n <= 0) {
        // A constant form c cos^0 has derivative 0.
        d.degree = std::max(n, 0);
        return d;
    }
    d.c[1] = -p.c[2];
    d.c[n + 1] = p.c[n];
    for (int i = 1; i <= n - 1; ++i) d.c[i + 1] = (n - i + 1) * p.c[i] - (i + 1) * p.c[i + 2];
    return d;
}

double DeviationValue(const TParametrizationR2R4& s, int curveClass, double cos2t, double sin2t) {
    switch (curveClass) {
        case 5:
            return s.hh + s.bb * cos2t * cos2t + s.cc * sin2t * sin2t + 2 * s.hb * cos2t + 2 * s.hc * sin2t +
                   2 * s.bc * sin2t * cos2t;
        case 6:
            return -s.hb * sin2t + s.hc * cos2t + (s.cc - s.bb) * cos2t * sin2t +
                   s.bc * (cos2t * cos2t - sin2t * sin2t);
        default:
            return 0.0;
    }
}

// ---- THigherDegreeLines -------------------------------------------------------------

bool THigherDegreeLines::BuildDirectionPolynomial(int curveClass, const Vector2& p) {
    if (curveClass < 5 || curveClass > 7) return false;
    TParametrizationR2R4& s = *surface_;
    if (!s.ComputeHBCandProducts(p)) return false;
    switch (curveClass) {
        case 5: P = NormalDeviationQuartic(s); break;
        case 6: P = LateralDeviationQuartic(s); break;
        default: {
            // The frame computation left the first and second derivatives of p in
            // the surface; only the third ones are missing.
            if (!s.ThirdDerivativesFR2R4(p[0], p[1])) return false;
            Polynomial5 q;
            if (!StrongPrincipalQuinticFromDerivatives(s, q)) return false;
            P = q;
        }
    }
    double sum = 1e-15;
    for (int i = 1; i <= 5; ++i) sum += std::fabs(P.c[i]);
    epsilon = 1e-12 * sum;
    return std::isfinite(epsilon);
}

void THigherDegreeLines::AddRoot(double x, int curveClass) {
    if (list.count >= 5 || !std::isfinite(x)) return;
    const double norm = std::sqrt(1.0 + x * x);
    DirectionEntry& e = list.entries[++list.count];
    e.x = 1.0 / norm;
    e.y = x / norm;
    const double cos2t = e.x * e.x - e.y * e.y, sin2t = 2 * e.x * e.y;
    e.value = DeviationValue(*surface_, curveClass, cos2t, sin2t);
}

void THigherDegreeLines::BuildSturmSequence() {
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

int THigherDegreeLines::SignChanges(double x) const {
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

double THigherDegreeLines::Bisect(double a, double b, bool leftPositive) const {
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

void THigherDegreeLines::Isolate(double a, double b, int va, int vb, int curveClass) {
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

void THigherDegreeLines::FindDirections(int curveClass) {
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
        const TParametrizationR2R4& s = *surface_;
        e.value = curveClass == 5 ? s.hh - 2 * s.hb + s.bb : curveClass == 6 ? s.bc - s.hc : 0.0;
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

void THigherDegreeLines::SortDirections() {
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

bool THigherDegreeLines::HigherDegreeDirections(int curveClass, DirectionList& out, const Vector2& p) {
    if (!BuildDirectionPolynomial(curveClass, p)) return false;
    list.count = 0;
    FindDirections(curveClass);
    if (curveClass == 5 || curveClass == 6) SortDirections();
    out = list;
    return true;
}

uint8_t THigherDegreeLines::NewtonDirection(int curveClass, double& theta, Vector2& direction, const Vector2& p) {
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
    if (curveClass == 7) {
        direction = {lastCos, lastSin};
        return 1;
    }
    const TParametrizationR2R4& s = *surface_;
    const double W = std::sqrt(std::fabs(s.guu * s.gvv - s.guv * s.guv));
    if (!(W > 0) || !(s.guu > 0)) return 0;
    const double rootGuu = std::sqrt(s.guu);
    direction = {lastCos / rootGuu - s.guv * lastSin / (rootGuu * W), s.guu * lastSin / (rootGuu * W)};
    return derivative > 0 ? 2 : 1;
}

uint8_t THigherDegreeLines::FoliationOfDirection(int curveClass, const Vector2& dir, const Vector2& p) {
    if (!BuildDirectionPolynomial(curveClass, p)) return 0;
    if (curveClass == 7) return 1;
    const Polynomial5 D = AngularDerivative(P);
    return AngularForm(D, SafeArcTan2(dir[1], dir[0])) > 0 ? 2 : 1;
}

int THigherDegreeLines::ClassifyExtremal(int curveClass, const Vector2& p, double sinTheta, double cosTheta) {
    DirectionList found;
    HigherDegreeDirections(curveClass, found, p);
    const double cos2t = cosTheta * cosTheta - sinTheta * sinTheta, sin2t = 2 * sinTheta * cosTheta;
    const double d = DeviationValue(*surface_, curveClass, cos2t, sin2t);
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
