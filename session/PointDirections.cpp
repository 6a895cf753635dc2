#include "session/PointDirections.h"

#include "geometry/HigherDegreeDirections.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace velmora {
namespace {

constexpr double kPi = std::numbers::pi;

void AddDistinct(std::vector<double>& angles, double theta) {
    const double a = LineAngle(theta);
    for (double b : angles)
        if (std::fabs(a - b) < 1e-12 || std::fabs(a - b) > kPi - 1e-12) return;
    angles.push_back(a);
}

// Classes 1 to 4, found with Directions itself: the first direction, then the
// candidates one step away in [0, pi).
std::vector<double> LowDegreeAngles(const TLocalGeometry& s, const Vector2& p, TLineClass curveClass) {
    std::vector<double> angles;
    Vector2 tangent{};
    double phi = UndefinedValue;
    if (s.Directions(p, curveClass, tangent, phi) == 0) return angles;
    const double first = phi;
    AddDistinct(angles, first);
    if (curveClass == TLineClass::Asymptotic) {
        phi = -UndefinedValue;
        if (s.Directions(p, curveClass, tangent, phi) != 0) AddDistinct(angles, phi);
    } else {
        const double step = curveClass == TLineClass::Curvature ? kPi / 4 : kPi / 2;
        const int count = curveClass == TLineClass::Curvature ? 4 : 2;
        for (int k = 1; k < count; ++k) {
            phi = first + k * step;
            if (s.Directions(p, curveClass, tangent, phi) != 0) AddDistinct(angles, phi);
        }
    }
    std::sort(angles.begin(), angles.end());
    return angles;
}

std::vector<double> HigherDegreeAngles(const TLocalGeometry& s, const Vector2& p, TLineClass curveClass) {
    std::vector<double> angles;
    THigherDegreeDirections solver(s);
    DirectionList list;
    if (!solver.HigherDegreeDirections(curveClass, list, p)) return angles;
    for (int k = 1; k <= list.count; ++k)
        angles.push_back(LineAngle(std::atan2(list.entries[k].y, list.entries[k].x)));
    return angles;
}

}  // namespace

double LineAngle(double theta) {
    double a = std::fmod(theta, kPi);
    if (a < 0) a += kPi;
    if (a >= kPi) a = 0;
    return a;
}

std::vector<double> LineDirectionAngles(const TLocalGeometry& surface, const Vector2& p, TLineClass c) {
    if (IsLowDegree(c)) return LowDegreeAngles(surface, p, c);
    if (IsHigherDegree(c)) return HigherDegreeAngles(surface, p, c);
    return {};
}

}  // namespace velmora
