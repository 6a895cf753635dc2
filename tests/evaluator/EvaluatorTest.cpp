// Hand-derived values and derivatives, the clamps at the edges of the domains,
// the refused programs and the life cycle of the evaluator.
#include "evaluator/DerivativeKernels.h"
#include "evaluator/JetEvaluator.h"
#include "evaluator/ReferenceEvaluator.h"
#include "formula/FormulaCompiler.h"
#include "platform/VelmoraError.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <span>
#include <vector>

namespace velmora {
namespace {

constexpr double kPi = std::numbers::pi;

struct Compiled {
    TFormulaCompiler parser;
    TJetEvaluator evaluator;
    explicit Compiled(const std::string& text, const std::string& vars = "uv", const std::string& pars = "") {
        parser.ParseNewText(text, vars, pars, {.compile = true});
        evaluator.Build(parser);
    }
    Vector3 Second(double u, double v, double du, double dv, double eu = 0, double ev = 0) {
        const double args[6] = {u, v, du, dv, eu, ev};
        return evaluator.SecondD(args);
    }
    Vector2 First(double u, double v, double du, double dv) {
        const double args[4] = {u, v, du, dv};
        return evaluator.FirstD(args);
    }
    double Value(double u, double v) {
        const double args[2] = {u, v};
        return evaluator.Value(args);
    }
};

void ExpectTriple(const Vector3& r, double f, double d1, double d2, double tol = 1e-14) {
    EXPECT_NEAR(r[0], f, tol * (1 + std::fabs(f)));
    EXPECT_NEAR(r[1], d1, tol * (1 + std::fabs(d1)));
    EXPECT_NEAR(r[2], d2, tol * (1 + std::fabs(d2)));
}

TEST(EvaluatorTest, ProductUVAtTwoThree) {
    Compiled c("u*v");
    const Vector2 first = c.First(2, 3, 1, 0);
    EXPECT_EQ(first[0], 6);
    EXPECT_EQ(first[1], 3);
    ExpectTriple(c.Second(2, 3, 1, 1), 6, 5, 2, 0);
    // f_uv from the three SecondD calls the geometry makes.
    const double fuu = c.Second(2, 3, 1, 0)[2], fvv = c.Second(2, 3, 0, 1)[2];
    EXPECT_EQ((c.Second(2, 3, 1, 1)[2] - fuu - fvv) / 2, 1);
    double f;
    Vector2 df;
    Matrix2 hess;
    c.evaluator.DiffAndHessian(Vector2{2, 3}, f, df, hess);
    EXPECT_EQ(f, 6);
    EXPECT_EQ(df, (Vector2{3, 2}));
    EXPECT_EQ(hess, (Matrix2{{{0, 1}, {1, 0}}}));
    EXPECT_EQ(c.evaluator.gradF(Vector2{2, 3}), (Vector2{3, 2}));
}

TEST(EvaluatorTest, SineAtZeroWithAcceleration) {
    Compiled c("sin(u)");
    ExpectTriple(c.Second(0, 0, 1, 0), 0, 1, 0, 0);
    // With e = (1, 0) the second derivative gains f_u e_u = cos 0 = 1.
    ExpectTriple(c.Second(0, 0, 1, 0, 1, 0), 0, 1, 1, 0);
    // Along d = (2, 0), e = (0, 5): (sin 1, 2 cos 1, -4 sin 1).
    ExpectTriple(c.Second(1, 7, 2, 0, 0, 5), std::sin(1.0), 2 * std::cos(1.0), -4 * std::sin(1.0));
}

TEST(EvaluatorTest, SineAndCosineOfOneArgumentShareTheirCall) {
    // The shared pair must still give each function its own derivatives.
    Compiled c("cos(u)*2 + sin(u) - cos(u) + 3*sin(u)");
    const double u = 0.7, d = 1.3, e = -0.4;
    const double f = std::cos(u) + 4 * std::sin(u);
    const double f1 = (-std::sin(u) + 4 * std::cos(u)) * d;
    const double f2 = (-std::cos(u) - 4 * std::sin(u)) * d * d + (-std::sin(u) + 4 * std::cos(u)) * e;
    ExpectTriple(c.Second(u, 0, d, 0, e, 0), f, f1, f2);
}

TEST(EvaluatorTest, QuotientByZeroIsZero) {
    Compiled c("u/v");
    ExpectTriple(c.Second(1, 0, 1, 1, 1, 1), 0, 0, 0, 0);
    ExpectTriple(c.Second(-3, 0, 0.5, -2), 0, 0, 0, 0);
    EXPECT_EQ(c.First(1, 0, 1, 1), (Vector2{0, 0}));
    EXPECT_EQ(c.Value(1, 0), 0);
    // Away from 0: q = u/v, q' = (u' - q v')/v, q'' with the v'^2 term.
    // u = 1 + t, v = 2 + 3t + t^2 (e = (0, 2)): q(t) = (1+t)/(2+3t+t^2) = 1/(2+t).
    ExpectTriple(c.Second(1, 2, 1, 3, 0, 2), 0.5, -0.25, 0.25);
    // A constant divisor of 0 folds to 0 as well.
    Compiled k("u/(2-2)");
    ExpectTriple(k.Second(5, 0, 1, 0, 1, 0), 0, 0, 0, 0);
}

TEST(EvaluatorTest, RootAndLogarithmAtTheirEdges) {
    Compiled root("sqrt(u)");
    ExpectTriple(root.Second(0, 0, 1, 0, 1, 0), 0, 0, 0, 0);
    ExpectTriple(root.Second(-4, 0, 1, 0), 0, 0, 0, 0);
    ExpectTriple(root.Second(4, 0, 1, 0), 2, 0.25, -1.0 / 32);
    Compiled log("ln(u)");
    ExpectTriple(log.Second(-1, 0, 1, 0, 1, 0), -230, 0, 0, 0);
    ExpectTriple(log.Second(0, 0, 1, 0), -230, 0, 0, 0);
    ExpectTriple(log.Second(2, 0, 1, 0, 3, 0), std::log(2.0), 0.5, -0.25 + 1.5);
    EXPECT_EQ(log.Value(-1, 0), -230);
    EXPECT_EQ(root.Value(-1, 0), 0);
}

TEST(EvaluatorTest, ArcTanhOutsideItsDomain) {
    Compiled c("arctanh(u)");
    ExpectTriple(c.Second(1, 0, 1, 0, 1, 0), 1e100, 0, 0, 0);
    ExpectTriple(c.Second(-2, 0, 1, 0), -1e100, 0, 0, 0);
    EXPECT_EQ(c.First(3, 0, 1, 0), (Vector2{1e100, 0}));
    // The value-only code keeps its own clamps.
    EXPECT_EQ(c.Value(1, 0), 230);
    EXPECT_EQ(c.Value(-2, 0), -230);
    // Inside: atanh(0.5), 1/(1-u^2) = 4/3, 2u/(1-u^2)^2 = 16/9.
    ExpectTriple(c.Second(0.5, 0, 1, 0), std::atanh(0.5), 4.0 / 3, 16.0 / 9);
}

// Every clamp of the derivative code, with the value-only code beside it.
TEST(EvaluatorTest, ClampsOfEveryFunction) {
    struct Case {
        const char* text;
        double u;
        double value;    // derivative code, derivatives zero
        double ffValue;  // value-only code
    } cases[] = {
        {"arcsin(u)", 2, kPi / 2, kPi / 2},   {"arcsin(u)", -2, -kPi / 2, -kPi / 2},
        {"arcsin(u)", 1, kPi / 2, kPi / 2},   {"arcsin(u)", -1, -kPi / 2, -kPi / 2},
        {"arccos(u)", 2, 0, 0},               {"arccos(u)", -2, kPi, kPi},
        {"arccos(u)", 1, 0, 0},               {"arccos(u)", -1, kPi, kPi},
        {"arccosh(u)", 0.5, 0, 0},            {"arccosh(u)", 1, 0, 0},
        {"arctanh(u)", 1, 1e100, 230},        {"arctanh(u)", -1, -1e100, -230},
        {"cot(u)", 0, 0, 0},                  {"sqrt(u)", -1, 0, 0},
        {"ln(u)", -5, -230, -230},            {"tanh(u)", 1000, 1, 1},
        {"tanh(u)", -1000, -1, -1},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(std::string(k.text) + " at " + std::to_string(k.u));
        Compiled c(k.text);
        const Vector3 r = c.Second(k.u, 0, 1, 0, 1, 0);
        EXPECT_NEAR(r[0], k.value, 1e-15 * std::fabs(k.value));
        EXPECT_EQ(r[1], 0);
        EXPECT_EQ(r[2], 0);
        EXPECT_NEAR(c.Value(k.u, 0), k.ffValue, 1e-15 * std::fabs(k.ffValue));
    }
}

TEST(EvaluatorTest, ClampedExponentialKeepsItsFactor) {
    Compiled e("exp(u)");
    ExpectTriple(e.Second(1000, 0, 1, 0, 1, 0), 1e100, 1e100, 2e100);
    ExpectTriple(e.Second(-1000, 0, 2, 0), 1e-100, 2e-100, 4e-100);
    EXPECT_EQ(e.Value(1000, 0), 1e100);
    EXPECT_EQ(e.Value(-1000, 0), 1e-100);
    EXPECT_NEAR(e.Second(150, 0, 1, 0)[0], std::exp(150.0), 1e-13 * std::exp(150.0));
    // sinh and cosh from the clamped e: e/2 -/+ 1/(2e).
    Compiled s("sinh(u)"), c("cosh(u)");
    ExpectTriple(s.Second(1000, 0, 1, 0), 5e99, 5e99, 5e99);
    ExpectTriple(c.Second(-1000, 0, 1, 0), 5e99, -5e99, 5e99);
}

// The clamp of the exponential falls where the value-only code puts it: on
// |u log2 e| > 230 in 64-bit-mantissa arithmetic.
TEST(EvaluatorTest, ExponentialClampEdgeMatchesValueCode) {
    const double edge = ExpClampThreshold();
    EXPECT_GT(edge, 159.4);
    EXPECT_LT(edge, 159.5);
    Compiled e("exp(u)");
    for (double u : {edge, std::nextafter(edge, 0.0), -edge, -std::nextafter(edge, 0.0)}) {
        SCOPED_TRACE(u);
        const bool clamped = std::fabs(u) >= edge;
        const double ff = e.Value(u, 0);
        EXPECT_EQ(ff == 1e100 || ff == 1e-100, clamped);
        const Vector3 r = e.Second(u, 0, 1, 0);
        EXPECT_EQ(r[0] == 1e100 || r[0] == 1e-100, clamped);
        if (!clamped) {
            EXPECT_NEAR(r[0], ff, 1e-14 * ff);
        }
    }
}

TEST(EvaluatorTest, DeepFormulaSpillsValuesOnly) {
    Compiled c("1+(2+(3+(4+(5+(6+(7+(8+(9+u*v))))))))");
    EXPECT_GT(c.parser.StackDepth(), 8);
    ExpectTriple(c.Second(2, 3, 1, 1), 51, 5, 2, 0);
    EXPECT_EQ(c.Value(2, 3), 51);
    // Products and quotients whose left operands were spilled.
    Compiled p("u*(v*(u*(v*(u*(v*(u*(v*(u*(v*sin(u))))))))))");
    const double u = 0.8, v = 1.1, du = 0.3, dv = -0.2;
    // f = u^5 v^5 sin(u); along the line (u + t du, v + t dv).
    auto F = [&](double t) {
        const double a = u + t * du, b = v + t * dv;
        return std::pow(a * b, 5) * std::sin(a);
    };
    const double h = 1e-4;
    const Vector3 r = p.Second(u, v, du, dv);
    EXPECT_NEAR(r[0], F(0), 1e-14);
    EXPECT_NEAR(r[1], (F(h) - F(-h)) / (2 * h), 1e-7);
    EXPECT_NEAR(r[2], (F(h) - 2 * F(0) + F(-h)) / (h * h), 1e-5);
}

TEST(EvaluatorTest, UpdateParametersOnlyWhenTheCountFits) {
    Compiled c("p*u + q", "uv", "pq");
    ASSERT_EQ(c.parser.Parameters(), 2);
    c.evaluator.UpdateParameters({2, 5});
    ExpectTriple(c.Second(3, 0, 1, 0), 11, 2, 0, 0);
    c.evaluator.UpdateParameters({1, 2, 3});  // more values than parameters: nothing changes
    ExpectTriple(c.Second(3, 0, 1, 0), 11, 2, 0, 0);
    c.evaluator.UpdateParameters({});
    ExpectTriple(c.Second(3, 0, 1, 0), 11, 2, 0, 0);
    c.evaluator.UpdateParameters({7});  // the first parameter only
    ExpectTriple(c.Second(3, 0, 1, 0), 26, 7, 0, 0);
    EXPECT_EQ(c.Value(3, 0), 26);
}

TEST(EvaluatorTest, ThreeVariablesGradientAndHessian) {
    Compiled c("u*v*w + w^2", "uvw");
    EXPECT_EQ(c.evaluator.gradF(Vector3{1, 2, 3}), (Vector3{6, 3, 8}));
    Vector3 df;
    Matrix3 hess;
    c.evaluator.DiffAndHessian(Vector3{1, 2, 3}, df, hess);
    EXPECT_EQ(df, (Vector3{6, 3, 8}));
    EXPECT_EQ(hess, (Matrix3{{{0, 3, 2}, {3, 0, 1}, {2, 1, 2}}}));
}

// The value-only code is the parser's, byte for byte, but for the address of
// the table it reads: the evaluator reads a copy of its own.
TEST(EvaluatorTest, ValueCodeIsTheParsersCode) {
    for (const char* text : {"(1-0.1 cos(v)) cos(u) + 0.1 sen(u) sen(v)", "1+(2+(3+(4+(5+(6+(7+(8+(9+u))))))))",
                             "arctanh(u)/sqrt(v)-arcsinh(u^3)*cot(v)^(-2)+u^v"}) {
        SCOPED_TRACE(text);
        Compiled c(text);
        const std::span<const uint8_t> a = c.parser.ValueCode(), b = c.evaluator.FunctionCode(JetFunction::Value);
        ASSERT_EQ(a.size(), b.size());
        ASSERT_GT(a.size(), 21u);
        EXPECT_EQ(std::memcmp(a.data(), b.data(), 13), 0);
        EXPECT_EQ(std::memcmp(a.data() + 21, b.data() + 21, a.size() - 21), 0);
        const double* table = nullptr;
        std::memcpy(&table, b.data() + 13, 8);
        EXPECT_NE(table, c.parser.Table().data());
        EXPECT_EQ(c.evaluator.Value(std::vector<double>{0.5, 0.75}.data()),
                  c.parser.Evaluate(std::vector<double>{0.5, 0.75}.data()));
    }
}

TEST(EvaluatorTest, RefusedPrograms) {
    TFormulaCompiler parser;
    parser.ParseNewText("u*v+1", "uv", "", {.compile = true});
    TJetEvaluator ev;
    ev.Build(parser);
    auto refused = [&](ByteArray program) {
        try {
            ev.BuildFrom(program, parser.Table(), 2, 0, parser.LastConstantSlot(), parser.StackDepth());
        } catch (const VelmoraError& e) {
            return std::string(e.what());
        }
        return std::string("accepted");
    };
    const ByteArray u = {0xFF, 1, 0, 1}, v = {0xFF, 1, 0, 2};
    auto join = [](std::initializer_list<ByteArray> parts) {
        ByteArray r;
        for (const auto& p : parts) r.insert(r.end(), p.begin(), p.end());
        return r;
    };
    EXPECT_EQ(refused(join({u, v, {'^'}})), "Undigested power symbol");
    EXPECT_EQ(refused(join({u, v, {';'}})), "I did fail in analysing the function.");
    EXPECT_EQ(refused(join({u, {'S'}})), "I did fail in analysing the function.");
    EXPECT_EQ(refused(join({u, {'+'}})), "I did fail in analysing the function.");          // missing operand
    EXPECT_EQ(refused(join({u, v})), "I did fail in analysing the function.");               // two results
    EXPECT_EQ(refused({0xFF, 1, 0, 3}), "I did fail in analysing the function.");            // no third variable
    EXPECT_EQ(refused({0xFF, 3, 0x7F, 0}), "I did fail in analysing the function.");         // slot out of the table
    EXPECT_EQ(refused({0xFF, 1, 0}), "I did fail in analysing the function.");               // cut token
    EXPECT_EQ(refused({}), "I did fail in analysing the function.");
    EXPECT_EQ(refused(join({u, v, {'^', ';'}})), "Undigested power symbol");  // the first fault counts
    EXPECT_EQ(refused(join({u, v, {';', '^'}})), "I did fail in analysing the function.");
    // A refused program leaves the previous one in place.
    const double args[6] = {2, 3, 1, 0, 0, 0};
    ExpectTriple(ev.SecondD(args), 7, 3, 0, 0);
    EXPECT_EQ(ev.Value(args), 7);
    EXPECT_EQ(ev.FirstD(args), (Vector2{7, 3}));
    // The reference interpreter refuses the same programs.
    ReferenceEvaluator ref;
    EXPECT_THROW(ref.Load(join({u, v, {'^'}}), parser.Table(), 2), VelmoraError);
    EXPECT_THROW(ref.Load(join({u, {';'}}), parser.Table(), 2), VelmoraError);
}

TEST(EvaluatorTest, UnbuiltEvaluatorAnswersZero) {
    TJetEvaluator ev;
    const double args[6] = {1, 2, 3, 4, 5, 6};
    EXPECT_EQ(ev.SecondD(args), (Vector3{0, 0, 0}));
    EXPECT_EQ(ev.FirstD(args), (Vector2{0, 0}));
    EXPECT_EQ(ev.Value(args), 0);
}

TEST(EvaluatorTest, BuildCopiesTheFormula) {
    TFormulaCompiler parser;
    parser.ParseNewText("u^2 + 3v", "uv", "", {.compile = true});
    TJetEvaluator ev;
    ev.Build(parser);
    parser.ParseNewText("sin(u)*7.5 - v", "uv", "", {.compile = true});
    const double args[6] = {2, 1, 1, 1, 0, 0};
    ExpectTriple(ev.SecondD(args), 7, 7, 2, 0);
    // Built again: the new formula, and the old blocks are gone.
    ev.Build(parser);
    ExpectTriple(ev.SecondD(args), std::sin(2.0) * 7.5 - 1, std::cos(2.0) * 7.5 - 1, -std::sin(2.0) * 7.5);
    EXPECT_EQ(ev.Value(args), parser.Evaluate(args));
    // Built from the parts of the parse: the same functions.
    TJetEvaluator parts;
    parts.BuildFrom(parser.Program(), parser.Table(), parser.Variables(), parser.Parameters(),
                    parser.LastConstantSlot(), parser.StackDepth());
    EXPECT_EQ(parts.SecondD(args), ev.SecondD(args));
    EXPECT_EQ(parts.FirstD(args), ev.FirstD(args));
}

TEST(EvaluatorTest, ConstantsAndParametersHaveNoDerivatives) {
    Compiled c("sin(2)*cos(pi/3) + exp(1)");
    const double f = std::sin(2.0) * 0.5 + std::exp(1.0);
    ExpectTriple(c.Second(0.3, 0.4, 1, 1, 1, 1), f, 0, 0);
    Compiled p("sin(p)*u", "uv", "p");
    p.evaluator.UpdateParameters({0.5});
    ExpectTriple(p.Second(2, 0, 3, 0, 1, 0), 2 * std::sin(0.5), 3 * std::sin(0.5), std::sin(0.5));
}

}  // namespace
}  // namespace velmora

namespace velmora {
namespace {

// Where a formula has a value and where only a clamp stands in for one: the
// value of a formula inside every domain is its plain value; a division by
// zero, a root or logarithm out of range, an inverse function beyond its
// edge, cot at 0 and an overflowing exponential leave it without one.
TEST(EvaluatorTest, DefinedValueOnlyInsideTheDomainsOfEveryOperation) {
    const auto defined = [](const std::string& text, double u, double v) {
        TFormulaCompiler parser;
        parser.ParseNewText(text, "uv", "", {.compile = true});
        ReferenceEvaluator ref;
        ref.Load(parser);
        const double args[2] = {u, v};
        return ref.DefinedValue(args);
    };
    EXPECT_DOUBLE_EQ(*defined("sqrt(u) + ln(v)", 4, std::exp(1.0)), 3);
    EXPECT_EQ(*defined("sqrt(u)", 0, 0), 0);  // the edge belongs to the root
    EXPECT_FALSE(defined("sqrt(u)", -1e-9, 0));
    EXPECT_FALSE(defined("ln(u)", 0, 0));
    EXPECT_FALSE(defined("1/u", 0, 1));
    EXPECT_FALSE(defined("u/(v-v)", 1, 2));
    EXPECT_DOUBLE_EQ(*defined("1/u", 4, 1), 0.25);
    EXPECT_DOUBLE_EQ(*defined("arcsin(u)", 1, 0), kPi / 2);
    EXPECT_FALSE(defined("arcsin(u)", 2, 0));
    EXPECT_FALSE(defined("arccos(u)", -1.5, 0));
    EXPECT_FALSE(defined("arccosh(u)", 0.5, 0));
    EXPECT_FALSE(defined("arctanh(u)", 1, 0));
    EXPECT_FALSE(defined("cot(u)", 0, 0));
    EXPECT_FALSE(defined("exp(u)", 1000, 0));
    EXPECT_FALSE(defined("cosh(u)", -1000, 0));
    EXPECT_EQ(*defined("exp(u)", -1000, 0), 1e-100);  // too small to tell from 0
    // An undefined part anywhere in the formula, also where it is multiplied by 0.
    EXPECT_FALSE(defined("u + 0 ln(v)", 1, -1));
    // A power of a negative base goes through the logarithm.
    EXPECT_FALSE(defined("u^0.5", -4, 0));
}

}  // namespace
}  // namespace velmora

namespace velmora {
namespace {

TEST(EvaluatorTest, OnlyFormulasWithARestrictedOperationMayLeaveTheirDomain) {
    const auto mayLeave = [](const std::string& text) {
        TFormulaCompiler parser;
        parser.ParseNewText(text, "uv", "", {.compile = true});
        ReferenceEvaluator ref;
        ref.Load(parser);
        return ref.MayLeaveDomain();
    };
    EXPECT_FALSE(mayLeave("(1-0.1 cos(v)) cos(u) + 0.1 sen(u) sen(v)"));
    EXPECT_FALSE(mayLeave("u^2 - abs(v) + arctan(u) + sqr(v) + tanh(u v) + arcsinh(v) + tan(u)"));
    for (const char* text : {"1/u", "sqrt(u)", "ln(v)", "exp(u)", "arcsin(u)", "arccos(v)", "arccosh(u)",
                             "arctanh(v)", "cot(u)", "sinh(u)", "cosh(v)", "u^0.5"})
        EXPECT_TRUE(mayLeave(text)) << text;
}

}  // namespace
}  // namespace velmora
