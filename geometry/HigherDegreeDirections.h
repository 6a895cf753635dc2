// The real roots of the direction polynomials of the higher-degree line
// families at a point: all directions (Sturm sequences, interval splitting and
// bisection; closed forms for degrees 1 and 2), their classification as minima
// or maxima of the deviation, their foliations, and one direction followed
// continuously by Newton's method on the angular form.
//
// An object holds the working state of the root finder; each thread that
// needs one owns its own.
#pragma once

#include "geometry/DirectionPolynomials.h"
#include "geometry/LocalGeometry.h"
#include "geometry/LineClass.h"
#include "platform/VelmoraTypes.h"

#include <array>
#include <cstdint>

namespace velmora {

// One object per thread; it works on the surface it was created with.
class THigherDegreeDirections {
public:
    static constexpr int kMaxSturm = 8;

    explicit THigherDegreeDirections(const TLocalGeometry& surface) : surface_(&surface) {}
    const TLocalGeometry& Surface() const { return *surface_; }

    // ---- state (rewritten by every operation) ----------------------------------
    TLocalFrame frame;      // the frame at the point of P (its products give the deviations)
    Polynomial5 P;          // the current direction polynomial
    double epsilon = 0;     // zero tolerance of P's values
    std::array<Polynomial5, kMaxSturm> sturm{};  // S_0, S_1, ...
    int sturmLength = 0;
    DirectionList list;     // the directions found by FindDirections
    double lastSin = 0, lastCos = 1;  // of the last direction solved by NewtonDirection

    // P := N (class 5), L (class 6) or the strong principal quintic (class 7) at
    // p, and epsilon from it; false when the frame (or the quintic) fails.
    bool BuildDirectionPolynomial(TLineClass curveClass, const Vector2& p);
    // The same at the point of a frame already computed.
    bool BuildDirectionPolynomial(TLineClass curveClass, const TLocalFrame& at);
    // Fills `list` with every real root of P (the point's products give the
    // deviation values of classes 5 and 6). Modifies P and epsilon.
    void FindDirections(TLineClass curveClass);
    // Sorts list entries 1..count by value, ascending.
    void SortDirections();
    // All directions of the class at p (sorted for classes 5 and 6) into `out`;
    // false (and `out` untouched) when the polynomial cannot be built.
    bool HigherDegreeDirections(TLineClass curveClass, DirectionList& out, const Vector2& p);
    bool HigherDegreeDirections(TLineClass curveClass, DirectionList& out, const TLocalFrame& at);
    // Follows the root nearest theta by Newton's method on the angular form;
    // theta is updated, `direction` gets the coordinate direction (du, dv).
    // Returns 0 on failure, else the foliation (1 or 2; class 7 always 1).
    uint8_t NewtonDirection(TLineClass curveClass, double& theta, Vector2& direction, const Vector2& p);
    // Foliation (1 or 2) of the unit direction (x, y) at p; 0 when P cannot be
    // built there; class 7 always 1.
    uint8_t FoliationOfDirection(TLineClass curveClass, const Vector2& dir, const Vector2& p);
    // Colour code 1..4 of the direction with the given sin and cos at p (rank of
    // the nearest deviation value; two directions give 1 and 4); 0 when none.
    int ClassifyExtremal(TLineClass curveClass, const Vector2& p, double sinTheta, double cosTheta);

    // ---- pieces of the root finder ---------------------------------------------
    // The Sturm sequence of sturm[0] (made square-free when it has multiple roots).
    void BuildSturmSequence();
    // Sign changes of the Sturm sequence at x.
    int SignChanges(double x) const;
    // Isolates the roots in [a, b] and appends them to the list.
    void Isolate(double a, double b, int va, int vb, TLineClass curveClass);
    // Bisection for a sign change of P in [a, b]; leftPositive: P(a) > 0.
    double Bisect(double a, double b, bool leftPositive) const;
    // Appends the direction of the root x = tan(theta) (or dv/du).
    void AddRoot(double x, TLineClass curveClass);

private:
    // Fills the list from P after a successful build.
    void ListDirections(TLineClass curveClass, DirectionList& out);

    const TLocalGeometry* surface_;
};

}  // namespace velmora
