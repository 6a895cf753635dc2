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
#include <cstdint>

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
// The same quintic from the derivatives already held by the surface (xu .. xvv
// and xuuu .. xvvv of one point); false when the metric degenerates.
bool StrongPrincipalQuinticFromDerivatives(const TParametrizationR2R4& surface, Polynomial5& q);

// The quartics in x = tan(theta) whose roots are the directions of extremal
// normal deviation (N) and extremal lateral deviation (L), from the products
// of the last successful ComputeHBCandProducts of the surface.
Polynomial5 NormalDeviationQuartic(const TParametrizationR2R4& surface);
Polynomial5 LateralDeviationQuartic(const TParametrizationR2R4& surface);

// Discriminants a^(2n-2) prod (ri - rj)^2 as expanded integer polynomials.
double QuarticDiscriminant(double a, double b, double c, double d, double e);
double QuinticDiscriminant(double a, double b, double c, double d, double e, double f);

// ---- polynomial operations on Polynomial5 records ----------------------------
// Horner's rule from c[1]; the zero polynomial (degree -1) is 0 everywhere.
double EvaluatePolynomial(const Polynomial5& p, double x);
// Drops leading coefficients with |c| <= eps (down to degree -1, the zero
// polynomial); returns how many were dropped.
int StripPolynomial(Polynomial5& p, double eps);
// -P'.
Polynomial5 NegatedDerivative(const Polynomial5& p);
// -(A mod B) by long division, stripping with eps after every step.
Polynomial5 NegatedRemainder(const Polynomial5& a, const Polynomial5& b, double eps);
// The quotient of the same long division (zero coefficients where stripping
// skipped powers).
Polynomial5 PolynomialQuotient(const Polynomial5& a, const Polynomial5& b, double eps);
// The angular form F(theta) = cos^n(theta) P(tan theta) = sum c[k+1] sin^(n-k) cos^k.
double AngularForm(const Polynomial5& p, double theta);
// The polynomial whose angular form is dF/dtheta.
Polynomial5 AngularDerivative(const Polynomial5& p);
// The deviation of a tangent direction with angle theta, given cos 2theta and
// sin 2theta: class 5 |II(v,v)|^2, class 6 II(v,v).II(v,Jv); 0 otherwise.
double DeviationValue(const TParametrizationR2R4& surface, int curveClass, double cos2t, double sin2t);

// The working state of the root finder and of the tracer of classes 5 to 7.
// One object per thread; it works on the surface it was created with.
class THigherDegreeLines {
public:
    static constexpr int kMaxSturm = 8;

    explicit THigherDegreeLines(TParametrizationR2R4& surface) : surface_(&surface) {}
    TParametrizationR2R4& Surface() const { return *surface_; }

    // ---- state (rewritten by every operation) ----------------------------------
    Polynomial5 P;          // the current direction polynomial
    double epsilon = 0;     // zero tolerance of P's values
    std::array<Polynomial5, kMaxSturm> sturm{};  // S_0, S_1, ...
    int sturmLength = 0;
    DirectionList list;     // the directions found by FindDirections
    Vector2 k1{}, k2{}, k3{};  // stage slopes of the last three-stage step
    double lastSin = 0, lastCos = 1;  // of the last direction solved by NewtonDirection

    // P := N (class 5), L (class 6) or the strong principal quintic (class 7) at
    // p, and epsilon from it; false when the frame (or the quintic) fails.
    bool BuildDirectionPolynomial(int curveClass, const Vector2& p);
    // Fills `list` with every real root of P (the point's products give the
    // deviation values of classes 5 and 6). Modifies P and epsilon.
    void FindDirections(int curveClass);
    // Sorts list entries 1..count by value, ascending.
    void SortDirections();
    // All directions of the class at p (sorted for classes 5 and 6) into `out`;
    // false (and `out` untouched) when the polynomial cannot be built.
    bool HigherDegreeDirections(int curveClass, DirectionList& out, const Vector2& p);
    // Follows the root nearest theta by Newton's method on the angular form;
    // theta is updated, `direction` gets the coordinate direction (du, dv).
    // Returns 0 on failure, else the foliation (1 or 2; class 7 always 1).
    uint8_t NewtonDirection(int curveClass, double& theta, Vector2& direction, const Vector2& p);
    // Foliation (1 or 2) of the unit direction (x, y) at p; 0 when P cannot be
    // built there; class 7 always 1.
    uint8_t FoliationOfDirection(int curveClass, const Vector2& dir, const Vector2& p);
    // Colour code 1..4 of the direction with the given sin and cos at p (rank of
    // the nearest deviation value; two directions give 1 and 4); 0 when none.
    int ClassifyExtremal(int curveClass, const Vector2& p, double sinTheta, double cosTheta);

    // ---- pieces of the root finder ---------------------------------------------
    // The Sturm sequence of sturm[0] (made square-free when it has multiple roots).
    void BuildSturmSequence();
    // Sign changes of the Sturm sequence at x.
    int SignChanges(double x) const;
    // Isolates the roots in [a, b] and appends them to the list.
    void Isolate(double a, double b, int va, int vb, int curveClass);
    // Bisection for a sign change of P in [a, b]; leftPositive: P(a) > 0.
    double Bisect(double a, double b, bool leftPositive) const;
    // Appends the direction of the root x = tan(theta) (or dv/du).
    void AddRoot(double x, int curveClass);

private:
    TParametrizationR2R4* surface_;
};

}  // namespace velmora
