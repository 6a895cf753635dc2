// Direction polynomials of the higher-degree line families (5 extremal normal
// deviation, 6 extremal lateral deviation, 7 strong principal lines): building
// them at a point, finding all real roots (Sturm sequences and bisection),
// classifying and following directions, and drawing the integral curves.
//
// The state that a unit would keep globally lives in a THigherDegreeLines
// object; each thread that needs it owns its own.
#pragma once

#include "geometry/FParametrizationR2R4.h"
#include "platform/VelmoraTypes.h"

#include <array>

namespace velmora {

// c[1] is the leading coefficient, c[degree + 1] the constant term; c[0] unused.
struct Polynomial5 {
    int32_t degree = 0;
    std::array<double, 7> c{};
};

struct DirectionEntry {
    double x = 0, y = 0, value = 0;
};

// Entries 1..count are used; entries[0] is unused.
struct DirectionList {
    int32_t count = 0;
    std::array<DirectionEntry, 6> entries{};
};

// The strong principal quintic Q at p (degree 5, c[1..6] = q5..q0) from the
// first, second and third derivatives; false when the metric degenerates.
bool StrongPrincipalQuintic(TParametrizationR2R4& surface, const Vector2& p, Polynomial5& q);

// Discriminants a^(2n-2) prod (ri - rj)^2 as expanded integer polynomials.
double QuarticDiscriminant(double a, double b, double c, double d, double e);
double QuinticDiscriminant(double a, double b, double c, double d, double e, double f);

}  // namespace velmora
