// The surface geometry: four formulas and a point through the invariants, the
// direction crosses of every line class, the direction fields, the scalar
// functions of the loci and the colour functions of the backgrounds. Whatever
// the formulas, the results keep their invariants: no NaN or infinity leaves
// a successful computation, the half axes are ordered, |sin| stays within 1,
// the same point computed twice gives the same bits, a direction chosen near
// its own angle is chosen again, and the background colours the value of the
// locus of the same kind (its magnitude for the angle).
//
// Input: the four formulas x, y, z, w on four lines, then a line "u v".
#include "FuzzInput.h"

#include "background/BackgroundThreads.h"
#include "curves/LocusFunctions.h"
#include "geometry/EngineSet.h"
#include "geometry/LocalGeometry.h"
#include "geometry/ScalarInvariants.h"
#include "platform/VelmoraError.h"

#include <bit>
#include <cmath>
#include <cstring>

using namespace velmora;

namespace {

std::string Where(const std::array<std::string, 4>& texts, const Vector2& p) {
    return "(" + texts[0] + ", " + texts[1] + ", " + texts[2] + ", " + texts[3] + ") at " + fuzz::Written({p[0], p[1]});
}

bool FiniteOrUndefined(double x) { return std::isfinite(x); }  // UndefinedValue is finite

bool SameBits(const TInvariants& a, const TInvariants& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

void CheckInvariants(const TInvariants& v, const std::string& where, const char* how) {
    for (const double x : {v.halfMajorAxis, v.halfMinorAxis, v.longH, v.depth, v.alpha, v.KGauss, v.discrNormDev,
                           v.discrLatDev, v.discrStrPpal})
        if (!FiniteOrUndefined(x)) fuzz::Fail(where + ": " + how + " gave a value that is no number");
    if (!(v.halfMajorAxis >= v.halfMinorAxis && v.halfMinorAxis >= 0 && v.longH >= 0))
        fuzz::Fail(where + ": " + how + " gave half axes " + fuzz::Written({v.halfMajorAxis, v.halfMinorAxis}) +
                   " and |H| " + fuzz::Written({v.longH}));
    if (v.alpha != UndefinedValue && !(v.alpha >= 0 && v.alpha <= 1 + 1e-9))
        fuzz::Fail(where + ": " + how + " gave |sin| " + fuzz::Written({v.alpha}));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::InitializeFuzzing();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::vector<std::string> lines = fuzz::Lines(data, size, 5);
    const std::array<std::string, 4> texts = {lines[0], lines[1], lines[2], lines[3]};
    const std::vector<double> point = fuzz::Numbers(lines[4], 2, 1e4, {0.7, 0.3});
    const Vector2 p{point[0], point[1]};
    static TFormulaCompiler parser;
    static auto set = std::make_unique<TEngineSet>();
    try {
        set->Build(texts, parser);
    } catch (const VelmoraError&) {
        return 0;
    }
    TLocalGeometry surface(*set);
    const std::string where = Where(texts, p);

    TInvariants first, again;
    const bool read = surface.ComputeInvariants(p, first);
    if (read) {
        CheckInvariants(first, where, "ComputeInvariants");
        if (!surface.ComputeInvariants(p, again) || !SameBits(first, again))
            fuzz::Fail(where + ": the same point computed twice differs");
        const double k = surface.GaussCurvature(p);
        if (std::bit_cast<uint64_t>(k) != std::bit_cast<uint64_t>(first.KGauss))
            fuzz::Fail(where + ": Gauss curvature " + fuzz::Written({k}) + " against the data panel's " +
                       fuzz::Written({first.KGauss}));
    }

    for (int c = 0; c < kLineClassCount; ++c) {
        TInvariants values;
        TDirectionCross cross;
        if (!surface.ComputeCross(p, static_cast<TLineClass>(c), 1.0, values, cross)) continue;
        CheckInvariants(values, where, "ComputeCross");
        if (cross.count < 0 || cross.count > static_cast<int>(cross.segments.size()))
            fuzz::Fail(where + ": a cross of " + std::to_string(cross.count) + " segments");
        for (int s = 0; s < cross.count; ++s) {
            const auto& [a, b] = cross.segments[static_cast<std::size_t>(s)];
            if (!std::isfinite(a[0]) || !std::isfinite(a[1]) || !std::isfinite(b[0]) || !std::isfinite(b[1]))
                fuzz::Fail(where + ": a cross segment that is no number, class " + std::to_string(c));
        }
    }

    for (int c = 1; c <= 4; ++c) {
        const auto lineClass = static_cast<TLineClass>(c);
        Vector2 tangent{};
        double phi = UndefinedValue;
        const uint8_t foliation = surface.Directions(p, lineClass, tangent, phi);
        if (foliation == 0) continue;
        if (foliation > 2 || !std::isfinite(phi) || !std::isfinite(tangent[0]) || !std::isfinite(tangent[1]))
            fuzz::Fail(where + ": direction of class " + std::to_string(c) + " foliation " + std::to_string(foliation) +
                       " at angle " + fuzz::Written({phi}));
        // Asked again near the angle it chose, the field chooses the same direction.
        Vector2 tangentAgain{};
        double phiAgain = phi;
        const uint8_t foliationAgain = surface.Directions(p, lineClass, tangentAgain, phiAgain);
        if (foliationAgain != foliation || std::bit_cast<uint64_t>(phiAgain) != std::bit_cast<uint64_t>(phi))
            fuzz::Fail(where + ": class " + std::to_string(c) + " chose angle " + fuzz::Written({phi}) + " and then " +
                       fuzz::Written({phiAgain}));
    }

    for (const TScalarInvariant& invariant : ScalarInvariants()) {
        const double locus = LocusFunction(surface, invariant.kind)(p);
        if (!FiniteOrUndefined(locus)) fuzz::Fail(where + ": the locus function " + invariant.name + " is no number");
        const double colour = BackgroundFunction(*set, invariant.kind)(p);
        if (locus == UndefinedValue || colour == UndefinedValue) continue;
        const double want = invariant.backgroundMagnitude ? std::fabs(locus) : locus;
        if (std::bit_cast<uint64_t>(colour) != std::bit_cast<uint64_t>(want))
            fuzz::Fail(where + ": the background " + invariant.name + " colours " + fuzz::Written({colour}) +
                       " where the locus function is " + fuzz::Written({locus}));
    }
    for (double (TLocalGeometry::*scalar)(const Vector2&) const :
         {&TLocalGeometry::DepthOfOrigin, &TLocalGeometry::AngleHEllipse, &TLocalGeometry::EllipseArea,
          &TLocalGeometry::GaussCurvature, &TLocalGeometry::JHdotB, &TLocalGeometry::JBdotC,
          &TLocalGeometry::DiscriminantExtremalNormDevDirs, &TLocalGeometry::DiscriminantExtremalLatDevDirs,
          &TLocalGeometry::DiscriminantStrongPrincipalLines})
        if (!FiniteOrUndefined((surface.*scalar)(p))) fuzz::Fail(where + ": a scalar function gave no number");
    return 0;
}
