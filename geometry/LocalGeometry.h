// TLocalGeometry: the local second-order geometry of the surface
// f(u, v) = (x, y, z, w) at a point: derivatives, first fundamental form, the
// orthonormal tangent frame (t, Jt), the normal vectors H, B, C of the
// curvature ellipse t -> H + B cos t + C sin t, their products, the invariants,
// the direction fields of the seven line families and their discriminants.
//
// One instance is bound to one engine set and used by one thread.
#pragma once

#include "geometry/EngineSet.h"
#include "geometry/LineClass.h"
#include "geometry/VectorMath.h"
#include "platform/VelmoraTypes.h"

#include <array>
#include <cstdint>
#include <utility>

namespace velmora {

// The nine values shown in the data panel.
struct TInvariants {
    double halfMajorAxis = 0, halfMinorAxis = 0, longH = 0, depth = 0, alpha = 0, KGauss = 0;
    double discrNormDev = 0, discrLatDev = 0, discrStrPpal = 0;
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
    void PosFirstDerivativesFR2R4(double u, double v, Vector4& y, Vector4& yu, Vector4& yv);
    void PosFirstAndSecondDerivativesFR2R4(double u, double v, Vector4& y, Vector4& yu, Vector4& yv,
                                           Vector4& yuu, Vector4& yuv, Vector4& yvv);
    void PosFirstSecondThirdDerivativesFR2R4(double u, double v);
    // Only the third partial derivatives xuuu, xuuv, xuvv, xvvv at (u, v); false
    // when one of them is not a finite number.
    bool ThirdDerivativesFR2R4(double u, double v);

    // ---- frame and products ----------------------------------------------------
    void ComputeFff(const Vector2& p);
    bool ComputeHBCandProducts(const Vector2& p);

    // ---- data panel -------------------------------------------------------------
    bool ComputeInvariants(const Vector2& par, TInvariants& out);
    // The same values (another depth measure) and the direction cross of class
    // cClass; the half length of each segment of classes 1 to 4 is 0.025 span2D.
    bool ComputeCross(const Vector2& par, TLineClass cClass, double span2D, TInvariants& out, TDirectionCross& cross);

    // ---- scalar functions (UndefinedValue where undefined) ----------------------
    double DepthOfOrigin(const Vector2& p);
    double AngleHEllipse(const Vector2& p);
    double EllipseArea(const Vector2& p);
    double GaussCurvature(const Vector2& p);
    double JHdotB(const Vector2& p);
    double JBdotC(const Vector2& p);
    double DiscriminantExtremalNormDevDirs(const Vector2& p);
    double DiscriminantExtremalLatDevDirs(const Vector2& p);
    double DiscriminantStrongPrincipalLines(const Vector2& p);

    // ---- direction fields of classes 1 to 4 ------------------------------------
    // Chooses the direction of the class nearest to phi (UndefinedValue: the
    // first one; -UndefinedValue: the second asymptotic one), writes the angle
    // back into phi and the coordinate vector into theTangent; returns the
    // foliation 1 or 2, or 0 when there is no direction.
    uint8_t Directions(const Vector2& par, TLineClass curveClass, Vector2& theTangent, double& phi);

    // ---- fields (valid after a successful ComputeHBCandProducts) ---------------
    Vector4 t{}, Jt{}, x{};
    Vector4 xu{}, xv{}, xuv{}, xuu{}, xvv{};
    Vector4 xuuu{}, xvvv{}, xuuv{}, xuvv{};
    Vector4 vH{}, vB{}, vC{};
    Vector4 G11{}, G12{}, G21{}, G22{};
    double guu = 0, guv = 0, gvv = 0;
    double nb = 0, nc = 0, nh = 0;
    double bb = 0, cc = 0, bc = 0, hb = 0, hc = 0, hh = 0;
    double jhb = 0, jhc = 0, jbc = 0;
    double smallValue = 0;

private:
    // The pieces of ComputeInvariants / ComputeCross that follow a successful
    // ComputeHBCandProducts at par (they reuse its products and derivatives).
    void DiscriminantsAtCurrentPoint(const Vector2& par, TInvariants& out);
    bool CrossSegments(const Vector2& par, TLineClass cClass, double span2D, TDirectionCross& cross);
    // Coordinates (du, dv) of the unit tangent cos(theta) t + sin(theta) Jt.
    Vector2 TangentCoordinates(double cosTheta, double sinTheta) const;

    TEngineSet* engines_;
};

}  // namespace velmora
