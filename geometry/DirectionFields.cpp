// Direction fields of the line classes 1 to 4 (curvature, asymptotic, mean
// curvature and principal lines): their angles in the frame (t, Jt), the choice
// of the direction that continues a traced curve, the foliation of a direction,
// and the cross of directions laid out at a point for classes 1 to 7.
#include "geometry/HigherDegreeDirections.h"
#include "geometry/LocalGeometry.h"

#include <cmath>
#include <numbers>

namespace velmora {

namespace {

constexpr double kPi = std::numbers::pi;

// a - Trunc(a/m) m: the remainder with the sign of a.
double Fmod(double a, double m) { return a - std::trunc(a / m) * m; }

// An incoming angle brought into [0, 2 pi), so that the candidate searches
// below see the range they are written for.
double NormalizedAngle(double phi) {
    if (phi >= 0 && phi < 2 * kPi) return phi;
    double a = std::fmod(phi, 2 * kPi);
    if (a < 0) a += 2 * kPi;
    if (a >= 2 * kPi) a = 0;
    return a;
}

// The two asymptotic angles in [0, pi), from jhb sin 2t - jhc cos 2t = jbc,
// i.e. sin(2t - psi) = jbc/|JH|; false when there are none.
bool AsymptoticAngles(const TLocalFrame& s, double minimumLength, double& theta1, double& theta2,
                      double* psiOut = nullptr, double* aOut = nullptr) {
    const double h = Hypot(s.jhb, s.jhc);
    if (h < minimumLength) return false;
    const double r = s.jbc / h;
    if (!(std::fabs(r) <= 1)) return false;  // the origin lies inside the ellipse
    const double a = std::asin(r);
    const double psi = SafeArcTan2(s.jhc, s.jhb);
    theta1 = (psi + a) / 2 + kPi;
    if (theta1 >= kPi) theta1 -= kPi;
    theta2 = (psi - a + kPi) / 2;
    if (theta2 >= 2 * kPi)
        theta2 -= 2 * kPi;
    else if (theta2 >= kPi)
        theta2 -= kPi;
    else if (theta2 < 0)
        theta2 += kPi;
    if (psiOut) *psiOut = psi;
    if (aOut) *aOut = a;
    return true;
}

// The form of the class just after theta (argument increased by 0.001):
// positive means foliation 1.
uint8_t FoliationOfAngle(const TLocalFrame& s, TLineClass curveClass, double theta) {
    double value = 0;
    if (curveClass == TLineClass::Curvature) {
        const double w = 4 * theta + 0.001;
        value = 2 * s.bc * std::cos(w) - (s.bb - s.cc) * std::sin(w);
    } else {
        const double w = 2 * theta + 0.001;
        switch (curveClass) {
            case TLineClass::Asymptotic: value = s.jhb * std::sin(w) - s.jhc * std::cos(w) - s.jbc; break;
            case TLineClass::MeanCurvature: value = s.jhb * std::cos(w) + s.jhc * std::sin(w); break;
            default: value = s.hc * std::cos(w) - s.hb * std::sin(w); break;
        }
    }
    return value > 0 ? 1 : 2;
}

// The candidate of class 2 nearest to phi among the asymptotic angles and
// their opposites.
double NearestAsymptotic(double phi, double theta1, double theta2) {
    if (theta1 > theta2) std::swap(theta1, theta2);
    const double values[6] = {theta2 - kPi, theta1, theta2, theta1 + kPi, theta2 + kPi, theta1 + 2 * kPi};
    int best = 0;
    double distance = 100;
    for (int i = 0; i < 6; ++i) {
        const double di = std::fabs(phi - values[i]);
        if (di < distance) {
            distance = di;
            best = i;
        }
    }
    if (best == 0) return theta2 + kPi;
    if (best == 5) return theta1;
    return values[best];
}

}  // namespace

uint8_t TLocalGeometry::Directions(const Vector2& par, TLineClass curveClass, Vector2& theTangent,
                                  double& phi) const {
    if (!IsLowDegree(curveClass)) return 0;
    const std::optional<TLocalFrame> frame = Frame(par);
    if (!frame) return 0;
    if (!std::isfinite(phi)) return 0;
    const TLocalFrame& f = *frame;
    const double bb = f.bb, cc = f.cc, bc = f.bc, hb = f.hb, hc = f.hc, jhb = f.jhb, jhc = f.jhc;

    double theta = 0;
    if (curveClass == TLineClass::Asymptotic) {
        double theta1 = 0, theta2 = 0;
        if (!AsymptoticAngles(f, 1e-7, theta1, theta2)) return 0;
        if (phi == UndefinedValue)
            theta = theta1;
        else if (phi == -UndefinedValue)
            theta = theta2;
        else
            theta = NearestAsymptotic(NormalizedAngle(phi), theta1, theta2);
    } else {
        // Candidates beta + k sigma, k = 0 .. n-1; the first direction thetaF.
        double sigma = 0, beta = 0, thetaF = 0;
        int n = 0;
        if (curveClass == TLineClass::Curvature) {
            if (std::sqrt((bb - cc) * (bb - cc) + (2 * bc) * (2 * bc)) < 1e-12) return 0;  // a circle
            thetaF = (2 * kPi + SafeArcTan2(2 * bc, bb - cc)) / 4;
            beta = Fmod(thetaF, kPi / 4);
            sigma = kPi / 4;
            n = 8;
        } else if (curveClass == TLineClass::MeanCurvature) {
            if (Hypot(jhb, jhc) < 1e-8) return 0;
            beta = Fmod(SafeArcTan2(-jhb, jhc) + 2 * kPi, kPi) / 2;
            thetaF = beta;
            sigma = kPi / 2;
            n = 4;
        } else {
            beta = Fmod(2 * kPi + SafeArcTan2(hc, hb) / 2, kPi / 2);
            thetaF = beta;
            sigma = kPi / 2;
            n = 4;
        }
        if (phi == UndefinedValue) {
            // thetaF is one of the candidates; take it in the form beta + k sigma.
            theta = beta + std::round((thetaF - beta) / sigma) * sigma;
        } else {
            const double p = NormalizedAngle(phi);
            // The nearest candidate; wrapping past 2 pi either way keeps a traced
            // curve in its foliation and its sense of travel.
            // The candidate is kept as its index, so that feeding the result back
            // reproduces it bit for bit.
            int k = static_cast<int>(std::trunc((p - beta) / sigma));
            if (k > n - 1) k = n - 1;
            if (k < 0) k = 0;
            const double delta = p - (beta + k * sigma);
            if (delta > sigma / 2)
                k = k < n - 1 ? k + 1 : 0;
            else if (delta < -sigma / 2)
                k = n - 1;
            theta = beta + k * sigma;
        }
    }

    const Vector2 tangent = TangentCoordinates(f, std::cos(theta), std::sin(theta));
    if (!std::isfinite(tangent[0]) || !std::isfinite(tangent[1])) return 0;
    phi = theta;
    theTangent = tangent;
    return FoliationOfAngle(f, curveClass, theta);
}

bool TLocalGeometry::CrossSegments(const TLocalFrame& f, TLineClass cClass, double span2D,
                                   TDirectionCross& cross) const {
    const Vector2& par = f.p;
    const double bb = f.bb, cc = f.cc, bc = f.bc, hb = f.hb, hc = f.hc, jhb = f.jhb, jhc = f.jhc;
    const double k = 0.025 * span2D;
    auto add = [&](const Vector2& d) {
        cross.segments[cross.count++] = {Vector2{par[0] - d[0], par[1] - d[1]}, Vector2{par[0] + d[0], par[1] + d[1]}};
    };
    // Classes 1 to 4: a segment of half length k along the unit tangent at theta.
    auto addScaled = [&](double theta) {
        Vector2 d = TangentCoordinates(f, std::cos(theta), std::sin(theta));
        const double length = std::sqrt(d[0] * d[0] + d[1] * d[1]);
        if (!(length >= 1e-12) || !std::isfinite(length)) return false;
        d = {d[0] * k / length, d[1] * k / length};
        add(d);
        return true;
    };

    switch (cClass) {
        case TLineClass::Curvature: {
            if (!(std::sqrt((bb - cc) * (bb - cc) + (2 * bc) * (2 * bc)) > 1e-8)) return false;
            const double tau = SafeArcTan2(2 * bc, bb - cc) / 2;
            // Two directions onto the major axis, two onto the minor axis.
            return addScaled(tau / 2) && addScaled(tau / 2 + kPi / 2) && addScaled(tau / 2 + kPi / 4) &&
                   addScaled(tau / 2 + 3 * kPi / 4);
        }
        case TLineClass::Asymptotic: {
            double theta1 = 0, theta2 = 0, psi = 0, a = 0;
            if (!AsymptoticAngles(f, 1e-12, theta1, theta2, &psi, &a)) return false;
            return addScaled((psi + a) / 2) && addScaled((psi - a + kPi) / 2);
        }
        case TLineClass::MeanCurvature: {
            if (Hypot(jhb, jhc) < 1e-8) return false;
            const double theta = Fmod(SafeArcTan2(-jhb, jhc) + 2 * kPi, kPi) / 2;
            return addScaled(theta) && addScaled(theta + kPi / 2);
        }
        case TLineClass::Principal: {
            if (!(Hypot(hc, hb) > 0)) return false;  // H orthogonal to B and C
            const double theta = Fmod(2 * kPi + SafeArcTan2(hc, hb) / 2, kPi / 2);
            return addScaled(theta) && addScaled(theta + kPi / 2);
        }
        case TLineClass::ExtremalNormalDeviation:
        case TLineClass::ExtremalLateralDeviation:
        case TLineClass::StrongPrincipal: {
            THigherDegreeDirections solver(*this);
            DirectionList list;
            solver.HigherDegreeDirections(cClass, list, f);
            cross.curvesParts = 2 * list.count;
            for (int j = 1; j <= list.count && j <= 5; ++j) {
                const DirectionEntry& e = list.entries[j];
                const Vector2 d =
                    cClass == TLineClass::StrongPrincipal ? Vector2{e.x, e.y} : TangentCoordinates(f, e.x, e.y);
                if (!std::isfinite(d[0]) || !std::isfinite(d[1])) return false;
                add(d);
            }
            return true;
        }
        case TLineClass::CoordinateLines:
            break;  // no cross
    }
    return true;
}

}  // namespace velmora
