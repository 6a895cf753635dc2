// Every block of a family of formulas (every function letter, integer,
// negative, general and tower powers, products and quotients) against two
// independent computations: forward propagation of Taylor jets, and central
// differences of the engine's own lower-order blocks.
#include "SymbolicTestSupport.h"

#include <cmath>
#include <functional>
#include <vector>

namespace velmora::test {
namespace {

using JetFunction = std::function<Jet(const Jet&, const Jet&)>;

struct Case {
    const char* text;
    JetFunction f;
    std::vector<std::array<double, 2>> points;
};

const std::vector<std::array<double, 2>> kPoints = {{0.7, 0.3}, {1.3, -0.4}, {0.45, 1.1}, {1.8, 0.9}};

std::vector<Case> Family() {
    return {
        {"sin(u)*cos(v)", [](const Jet& u, const Jet& v) { return sin(u) * cos(v); }, kPoints},
        {"exp(u*v) + ln(u+2) - sqrt(v+3)",
         [](const Jet& u, const Jet& v) { return exp(u * v) + log(u + 2.0) - sqrt(v + 3.0); }, kPoints},
        {"sqr(u-v) + tan(u/2+v/3)",
         [](const Jet& u, const Jet& v) { return (u - v) * (u - v) + tan(u / 2.0 + v / 3.0); }, kPoints},
        {"sinh(u)*cosh(v) - tanh(u*v)",
         [](const Jet& u, const Jet& v) { return sinh(u) * cosh(v) - tanh(u * v); }, kPoints},
        {"arcsin(u/2)*arccos(v/3) + arctan(u*v)",
         [](const Jet& u, const Jet& v) { return asin(u / 2.0) * acos(v / 3.0) + atan(u * v); }, kPoints},
        {"abs(u-v)*v + cot(u+1)", [](const Jet& u, const Jet& v) { return fabs(u - v) * v + cot(u + 1.0); },
         kPoints},
        {"arccosh(u*u+2) + arctanh(v/2) + arcsinh(u*v-1)",
         [](const Jet& u, const Jet& v) { return acosh(u * u + 2.0) + atanh(v / 2.0) + asinh(u * v - 1.0); },
         kPoints},
        {"sgn(u)*u*v + inv(u+3) + chs(v*u) + cube(u+v) + quad(u*v)",
         [](const Jet& u, const Jet& v) {
             return sgn(u) * u * v + inv(u + 3.0) - v * u + ipow(u + v, 3) + ipow(u * v, 4);
         },
         kPoints},
        {"u^5*v^-3 + (u+v)^7 - 2/(u*u+v*v)",
         [](const Jet& u, const Jet& v) {
             return ipow(u, 5) * ipow(v, -3) + ipow(u + v, 7) - 2.0 / (u * u + v * v);
         },
         kPoints},
        {"u^v + (u+2)^(v*v) + u^0.5 + 3^(u-v)",
         [](const Jet& u, const Jet& v) {
             return pow(u, v) + pow(u + 2.0, v * v) + pow(u, Jet(0.5)) + pow(Jet(3.0), u - v);
         },
         kPoints},
        // a^b^2 is a^(b^2), a^2^3 is (a^2)^3.
        {"(u+1)^v^2 + u^2^3", [](const Jet& u, const Jet& v) { return pow(u + 1.0, v * v) + ipow(u, 6); },
         kPoints},
        // A negative base: ln B is -230, so B^E is e^(-230 E), and e^(-230 pi) is
        // clamped to 1e-100.
        {"(u-2)^(v/100) + (u-3)^pi", [](const Jet&, const Jet& v) { return exp(v * -2.3) + 1e-100; }, kPoints},
        {"(u*v+1)*(u-v)*(2+sin(u*v))/(v+2)",
         [](const Jet& u, const Jet& v) { return (u * v + 1.0) * (u - v) * (sin(u * v) + 2.0) / (v + 2.0); },
         kPoints},
        {"-u^2*v + (-v)^3 - 1/(u*u+v*v) + 2^(-u)",
         [](const Jet& u, const Jet& v) {
             return -(u * u) * v + ipow(-v, 3) - inv(u * u + v * v) + pow(Jet(2.0), -u);
         },
         kPoints},
        {"sin(cos(exp(u*v/3)))*ln(2+sin(u+v))",
         [](const Jet& u, const Jet& v) { return sin(cos(exp(u * v / 3.0))) * log(sin(u + v) + 2.0); }, kPoints},
        // The four coordinates of the default surface.
        {"(1-0.1 cos(v)) cos(u) + 0.1 sen(u) sen(v)",
         [](const Jet& u, const Jet& v) { return (1.0 - 0.1 * cos(v)) * cos(u) + 0.1 * sin(u) * sin(v); }, kPoints},
        {"(1-0.1 cos(v)) sen(u) - 0.1 cos(u) sen(v)",
         [](const Jet& u, const Jet& v) { return (1.0 - 0.1 * cos(v)) * sin(u) - 0.1 * cos(u) * sin(v); }, kPoints},
        {"(1-0.4 cos(v)) cos(2u) + 0.8 sen(2u) sen(v)",
         [](const Jet& u, const Jet& v) {
             return (1.0 - 0.4 * cos(v)) * cos(2.0 * u) + 0.8 * sin(2.0 * u) * sin(v);
         },
         kPoints},
        {"(1-0.4 cos(v)) sen(2u) - 0.8 cos(2u) sen(v)",
         [](const Jet& u, const Jet& v) {
             return (1.0 - 0.4 * cos(v)) * sin(2.0 * u) - 0.8 * cos(2.0 * u) * sin(v);
         },
         kPoints},
    };
}

TEST(SymbolicNumerical, EveryBlockAgreesWithTaylorJets) {
    for (const Case& c : Family()) {
        TSymbolicPartials f;
        ASSERT_NO_THROW(f.ParseNewText(c.text, "uv", "", {.compile = true, .withPartials = true})) << c.text;
        for (const auto& p : c.points) {
            const Jet jet = c.f(Jet::U(p[0]), Jet::V(p[1]));
            for (std::size_t b = 0; b < kMultiIndexes.size(); ++b) {
                const auto& m = kMultiIndexes[b];
                const double want = jet.Derivative(m);
                const double got = f.EvaluateFF(m[0], m[1], m[2], p.data());
                const double tolerance = (b < 6 ? 1e-10 : 1e-9) * std::max(1.0, std::fabs(want));
                EXPECT_NEAR(got, want, tolerance)
                    << c.text << " " << kDerivativeNames[b] << " at (" << p[0] << ", " << p[1] << ")";
            }
        }
    }
}

TEST(SymbolicNumerical, ThirdDerivativesAreCentralDifferencesOfSecondDerivatives) {
    // Each third derivative against the central difference of a second
    // derivative block along u or v; f_uvv and f_uuv are checked along both
    // ways they can be reached, since they are built from f_uv and f_uu only.
    const double h = 1e-4;
    for (const Case& c : Family()) {
        TSymbolicPartials f;
        f.ParseNewText(c.text, "uv", "", {.compile = true, .withPartials = true});
        for (const auto& p : c.points) {
            auto at = [&](int i, int j, int k, double du, double dv) {
                const double args[2] = {p[0] + du, p[1] + dv};
                return f.EvaluateFF(i, j, k, args);
            };
            auto byU = [&](int i, int j) { return (at(i, j, 0, h, 0) - at(i, j, 0, -h, 0)) / (2 * h); };
            auto byV = [&](int i, int j) { return (at(i, j, 0, 0, h) - at(i, j, 0, 0, -h)) / (2 * h); };
            const struct {
                int i, j, k;
                double difference;
            } checks[] = {
                {1, 1, 1, byU(1, 1)}, {1, 1, 2, byV(1, 1)}, {1, 1, 2, byU(1, 2)},
                {1, 2, 2, byV(1, 2)}, {1, 2, 2, byU(2, 2)}, {2, 2, 2, byV(2, 2)},
            };
            for (const auto& check : checks) {
                const double exact = at(check.i, check.j, check.k, 0, 0);
                EXPECT_NEAR(exact, check.difference, 1e-6 * std::max(1.0, std::fabs(exact)))
                    << c.text << " f" << check.i << check.j << check.k << " at (" << p[0] << ", " << p[1] << ")";
            }
            // The first and second orders along the same way.
            const double fu = (at(0, 0, 0, h, 0) - at(0, 0, 0, -h, 0)) / (2 * h);
            const double fv = (at(0, 0, 0, 0, h) - at(0, 0, 0, 0, -h)) / (2 * h);
            EXPECT_NEAR(at(1, 0, 0, 0, 0), fu, 1e-6 * std::max(1.0, std::fabs(fu))) << c.text;
            EXPECT_NEAR(at(2, 0, 0, 0, 0), fv, 1e-6 * std::max(1.0, std::fabs(fv))) << c.text;
        }
    }
}

TEST(SymbolicNumerical, HandDerivedThirdDerivatives) {
    // f = u^3 v^2 + e^(uv): f_uuv = 12 u v... computed by hand.
    TSymbolicPartials f;
    f.ParseNewText("u^3*v^2 + exp(u*v)", "uv", "", {.compile = true, .withPartials = true});
    for (const auto& p : kPoints) {
        const double u = p[0], v = p[1], e = std::exp(u * v);
        const double want[10] = {u * u * u * v * v + e,
                                 3 * u * u * v * v + v * e,
                                 2 * u * u * u * v + u * e,
                                 6 * u * v * v + v * v * e,
                                 6 * u * u * v + (1 + u * v) * e,
                                 2 * u * u * u + u * u * e,
                                 6 * v * v + v * v * v * e,
                                 12 * u * v + (2 * v + u * v * v) * e,
                                 6 * u * u + (2 * u + u * u * v) * e,
                                 u * u * u * e};
        for (std::size_t b = 0; b < 10; ++b) {
            const auto& m = kMultiIndexes[b];
            EXPECT_NEAR(f.EvaluateFF(m[0], m[1], m[2], p.data()), want[b], 1e-12 * std::max(1.0, std::fabs(want[b])))
                << kDerivativeNames[b];
        }
    }
}

}  // namespace
}  // namespace velmora::test
