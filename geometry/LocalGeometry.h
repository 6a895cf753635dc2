// TLocalGeometry: the local second-order geometry of the surface
// f(u, v) = (x, y, z, w) at a point - derivatives, first fundamental form, the
// orthonormal tangent frame (t, Jt), the normal vectors H, B, C of the
// curvature ellipse t -> H + B cos t + C sin t and their products, as a
// TLocalFrame value - and what follows from them: the invariants, the
// direction fields of the seven line families and their discriminants.
//
// An instance is bound to one engine set and holds nothing else: every call
// computes what it needs at its argument point and returns it. The calls are
// const because they leave the geometry as it was; they still run the
// compiled code of the engine set, which writes into the evaluators' own
// data. So an instance (and its engine set) is used by one thread at a time.
#pragma once

#include "geometry/EngineSet.h"
#include "geometry/LineClass.h"
#include "geometry/LocalFrame.h"
#include "geometry/VectorMath.h"
#include "platform/VelmoraTypes.h"

#include <array>
#include <cstdint>
#include <optional>
#include <utility>

namespace velmora {

// The nine values shown in the data panel.
struct TInvariants {
    double halfMajorAxis = 0, halfMinorAxis = 0, longH = 0, depth = 0, alpha = 0, KGauss = 0;
    double discrNormDev = 0, discrLatDev = 0, discrStrPpal = 0;
};

// The discriminants of the direction polynomials at a point.
struct TDiscriminants {
    double normDev = 0, latDev = 0, strPpal = 0;
};

// The cross of directions at a point, as segments between domain points.
struct TDirectionCross {
    int count = 0;  // segments stored
    std::array<std::pair<Vector2, Vector2>, 5> segments{};
    int curvesParts = -1;  // classes 5 to 7: twice the number of directions; class 0: 0; -1 otherwise
};

class TLocalGeometry {
public:
    explicit TLocalGeometry(TEngineSet& engines) : engines_(&engines) {}
    void Bind(TEngineSet& engines) { engines_ = &engines; }
    TEngineSet& Engines() const { return *engines_; }

    // ---- derivatives -----------------------------------------------------------
    // f and its derivatives up to order two at p, as the evaluators give them.
    TSurfaceDerivatives Derivatives(const Vector2& p) const;
    // The third partial derivatives at p; none when one of them is not a
    // finite number.
    std::optional<TThirdDerivatives> ThirdDerivatives(const Vector2& p) const;
    TFirstFundamentalForm FirstFundamentalForm(const Vector2& p) const;

    // ---- frame and products ----------------------------------------------------
    // None where the metric is degenerate (f_u, f_v nearly parallel or zero)
    // or the derivatives or products are not finite numbers.
    std::optional<TLocalFrame> Frame(const Vector2& p) const;

    // ---- data panel -------------------------------------------------------------
    bool ComputeInvariants(const Vector2& par, TInvariants& out) const;
    // The same values (another depth measure) and the direction cross of class
    // cClass; the half length of each segment of classes 1 to 4 is 0.025 span2D.
    bool ComputeCross(const Vector2& par, TLineClass cClass, double span2D, TInvariants& out,
                      TDirectionCross& cross) const;

    // ---- the same on a frame already computed -----------------------------------
    // The discriminants of N and L from the products, and that of the strong
    // principal quintic with the third derivatives at frame.p.
    TDiscriminants Discriminants(const TLocalFrame& frame) const;
    // Adds the direction cross of cClass at frame.p to `cross`; false when the
    // class has no direction there.
    bool CrossSegments(const TLocalFrame& frame, TLineClass cClass, double span2D, TDirectionCross& cross) const;

    // ---- scalar functions (UndefinedValue where undefined) ----------------------
    double DepthOfOrigin(const Vector2& p) const;
    double AngleHEllipse(const Vector2& p) const;
    double EllipseArea(const Vector2& p) const;
    double GaussCurvature(const Vector2& p) const;
    double JHdotB(const Vector2& p) const;
    double JBdotC(const Vector2& p) const;
    double DiscriminantExtremalNormDevDirs(const Vector2& p) const;
    double DiscriminantExtremalLatDevDirs(const Vector2& p) const;
    double DiscriminantStrongPrincipalLines(const Vector2& p) const;

    // ---- direction fields of classes 1 to 4 ------------------------------------
    // Chooses the direction of the class nearest to phi (UndefinedValue: the
    // first one; -UndefinedValue: the second asymptotic one), writes the angle
    // back into phi and the coordinate vector into theTangent; returns the
    // foliation 1 or 2, or 0 when there is no direction.
    uint8_t Directions(const Vector2& par, TLineClass curveClass, Vector2& theTangent, double& phi) const;

private:
    TEngineSet* engines_;
};

// ---- values of a frame -------------------------------------------------------------
// The data-panel values with the depth of the confocal ellipse through the
// origin (ComputeInvariants); false when one is not a finite number.
bool InvariantsOfFrame(const TLocalFrame& frame, const TDiscriminants& discriminants, TInvariants& out);
// The same with the affine depth of the origin (ComputeCross).
bool CrossValuesOfFrame(const TLocalFrame& frame, const TDiscriminants& discriminants, TInvariants& out);
// Coordinates (du, dv) of the unit tangent cos(theta) t + sin(theta) Jt.
Vector2 TangentCoordinates(const TLocalFrame& frame, double cosTheta, double sinTheta);

}  // namespace velmora
