// Derivatives of the compiled code against central finite differences of the
// value-only x87 code along the curve c(t) = x + t d + t^2 e / 2, with
// Richardson extrapolation. The value-only code shares nothing with the
// derivative code but the postfix program.
#include "evaluator/JetEvaluator.h"
#include "formula/FormulaCompiler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace velmora {
namespace {

struct Differences {
    double d1, d2;
};

// f' and f'' of t -> f(c(t)) at 0 from values at +-h, +-h/2.
Differences AlongCurve(TJetEvaluator& ev, const double* x, const double* d, const double* e, double h) {
    auto F = [&](double t) {
        const double p[2] = {x[0] + t * d[0] + t * t * e[0] / 2, x[1] + t * d[1] + t * t * e[1] / 2};
        return ev.Value(p);
    };
    const double f0 = F(0), fp = F(h), fm = F(-h), fp2 = F(h / 2), fm2 = F(-h / 2);
    const double c1 = (fp - fm) / (2 * h), c2 = (fp2 - fm2) / h;
    const double s1 = (fp - 2 * f0 + fm) / (h * h), s2 = (fp2 - 2 * f0 + fm2) / (h * h / 4);
    return {(4 * c2 - c1) / 3, (4 * s2 - s1) / 3};
}

void CheckAgainstDifferences(const std::string& text, double lo, double hi, int points) {
    SCOPED_TRACE(text);
    TFormulaCompiler parser;
    parser.ParseNewText(text, "uv", "", {.compile = true});
    TJetEvaluator ev;
    ev.Build(parser);
    std::mt19937_64 rng(std::hash<std::string>{}(text));
    std::uniform_real_distribution<double> X(lo, hi), D(-1, 1);
    for (int k = 0; k < points; ++k) {
        const double args[6] = {X(rng), X(rng), D(rng), D(rng), D(rng), D(rng)};
        SCOPED_TRACE(testing::Message() << "at (" << args[0] << ", " << args[1] << ")");
        const Vector3 r = ev.SecondD(args);
        const Vector2 first = ev.FirstD(args);
        const Differences fd = AlongCurve(ev, args, args + 2, args + 4, 1e-3);
        const double scale = 1 + std::fabs(r[0]) + std::fabs(r[1]) + std::fabs(r[2]);
        EXPECT_NEAR(r[1], fd.d1, 1e-8 * scale);
        EXPECT_NEAR(first[1], fd.d1, 1e-8 * scale);
        EXPECT_NEAR(r[2], fd.d2, 1e-6 * scale);
        EXPECT_NEAR(r[0], ev.Value(args), 1e-13 * scale);
    }
}

// Each function on an inner argument that stays inside its domain on the box.
TEST(FiniteDifferenceTest, EveryFunction) {
    const char* texts[] = {
        "cos(u*v+1)",       "sin(2u-v)",          "exp(u-v/2)",        "sqr(u+v)",       "sqrt(u*u+v+3)",
        "ln(u*u+v*v+0.5)",  "tan(0.3u+0.2v)",     "sinh(u-v)",         "cosh(u+0.5v)",   "tanh(u*v)",
        "arcsin(0.3u+0.2v)", "arccos(0.25u-0.3v)", "arctan(u*v-1)",      "abs(u+3)",       "cot(0.2u+0.1v+1.5)",
        "arccosh(u*u+v*v+1.5)", "arctanh(0.3u-0.2v)", "arcsinh(u*v+u)", "-(u*v)",         "u^v",
        "(u+3)^(v/2)",      "1/(u*u+1)",          "(u-v)/(u+v+5)",     "u^3*v^(-2)",     "abs(u-v)*v",
    };
    for (const char* text : texts) CheckAgainstDifferences(text, 0.5, 1.5, 20);
}

TEST(FiniteDifferenceTest, DefaultSurfaceAndCompositions) {
    const char* texts[] = {
        "(1-0.1 cos(v)) cos(u) + 0.1 sen(u) sen(v)", "(1-0.1 cos(v)) sen(u) - 0.1 cos(u) sen(v)",
        "(1-0.4 cos(v)) cos(2u) + 0.8 sen(2u) sen(v)", "(1-0.4 cos(v)) sen(2u) - 0.8 cos(2u) sen(v)",
        "exp(sin(u)*cos(v))/(2+arctan(u*v))",       "sqrt(cosh(u)+v^2)*ln(2+sin(u-v))",
        "1+(2+(3+(4+(5+(6+(7+(8+(9+u*sin(v)))))))))",
    };
    for (const char* text : texts) CheckAgainstDifferences(text, -2, 2, 30);
}

}  // namespace
}  // namespace velmora
