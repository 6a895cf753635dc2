// The seven colour functions of the backgrounds, each evaluated by a worker
// with its own engine set through its own surface object.
#include "background/BackgroundThreads.h"

#include "curves/HigherDegreeLines.h"
#include "geometry/EngineSet.h"
#include "geometry/FParametrizationR2R4.h"
#include "geometry/VectorsAndUtil.h"

#include <cmath>
#include <memory>

namespace velmora {

namespace {

// The surface object of one worker and the values of the background types.
// Every pixel rewrites its fields: aligned to whole cache lines so that two
// workers' objects never share one.
class alignas(64) TWorkerGeometry {
public:
    explicit TWorkerGeometry(TEngineSet& engines) : surface_(engines) {}

    double Value(int type, const Vector2& p) {
        TParametrizationR2R4& s = surface_;
        if (!s.ComputeHBCandProducts(p)) return UndefinedValue;
        switch (type) {
            case 0:  // depth of the origin in the ellipse
                return s.bb * s.cc - s.bc * s.bc -
                       Hypot(s.hb * s.cc - s.hc * s.bc, s.hc * s.bb - s.hb * s.bc);
            case 1:  // oriented area of B and C
                return s.jbc;
            case 2:  // |sine| of the angle between H and the major axis
                return AbsSineHMajorAxis();
            case 3:  // Gauss curvature
                return s.hh - s.cc - s.bb;
            case 4: {
                const Polynomial5 n = NormalDeviationQuartic(s);
                return QuarticDiscriminant(n.c[1], n.c[2], n.c[3], n.c[4], n.c[5]);
            }
            case 5: {
                const Polynomial5 l = LateralDeviationQuartic(s);
                return QuarticDiscriminant(l.c[1], l.c[2], l.c[3], l.c[4], l.c[5]);
            }
            case 6:
                return StrongPrincipalDiscriminant(p);
            default:
                return UndefinedValue;
        }
    }

private:
    double AbsSineHMajorAxis() const {
        const TParametrizationR2R4& s = surface_;
        if (Hypot(s.bb - s.cc, 2 * s.bc) < 1e-8) return UndefinedValue;
        const double tau = SafeArcTan2(2 * s.bc, s.bb - s.cc) / 2;
        const double ct = std::cos(tau), st = std::sin(tau);
        Vector4 v{};
        for (int i = 0; i < 4; ++i) v[i] = ct * s.vB[i] + st * s.vC[i];
        const double d = Determinant4(v, s.t, s.Jt, s.vH);
        const double m = std::sqrt(NormSquared4(v) * s.hh);
        return m > 1e-12 ? std::fabs(d / m) : UndefinedValue;
    }

    // The quintic from the first and second derivatives of the frame
    // computation and the third derivatives of the symbolic engines.
    double StrongPrincipalDiscriminant(const Vector2& p) {
        TParametrizationR2R4& s = surface_;
        const double args[2] = {p[0], p[1]};
        FourFPD& spds = s.Engines().spds;
        try {
            for (int i = 0; i < 4; ++i) {
                s.xuuu[i] = spds[i].EvaluateFF(1, 1, 1, args);
                s.xuuv[i] = spds[i].EvaluateFF(1, 1, 2, args);
                s.xuvv[i] = spds[i].EvaluateFF(1, 2, 2, args);
                s.xvvv[i] = spds[i].EvaluateFF(2, 2, 2, args);
            }
        } catch (...) {
            return UndefinedValue;  // an evaluation fault: the quintic cannot be built
        }
        Polynomial5 q;
        if (!StrongPrincipalQuinticFromDerivatives(s, q)) return UndefinedValue;
        return QuinticDiscriminant(q.c[1], q.c[2], q.c[3], q.c[4], q.c[5], q.c[6]);
    }

    TParametrizationR2R4 surface_;
};

}  // namespace

TColourFunction BackgroundFunction(TEngineSet& engines, int backgroundType) {
    if (backgroundType < 0 || backgroundType > 6) return {};
    std::shared_ptr<TWorkerGeometry> geometry = std::make_unique<TWorkerGeometry>(engines);
    return [geometry, backgroundType](const Vector2& p) { return geometry->Value(backgroundType, p); };
}

TBackgroundThread::TBackgroundThread(double cu0, double cv0, double qh0, double qv0, const TPixelView& bm0,
                                     int firstRow0, int lastRow0, TEngineSet& engines, int backgroundType)
    : TBackgroundThread(cu0, cv0, qh0, qv0, bm0, firstRow0, lastRow0, BackgroundFunction(engines, backgroundType)) {}

void TBackgroundWorkers::Start(const TPixelView& view, const Vector2& min2D, const Vector2& max2D, int type,
                               const std::vector<TEngineSet*>& engines, std::function<void(int tag)> onEnd) {
    std::vector<TColourFunction> functions;
    functions.reserve(engines.size());
    for (TEngineSet* set : engines) functions.push_back(set ? BackgroundFunction(*set, type) : TColourFunction{});
    StartWithFunctions(view, min2D, max2D, std::move(functions), std::move(onEnd));
}

}  // namespace velmora
