// Values of compiled formulas against <cmath>: every function over many
// points, the clamps at and past every domain edge, division by zero, deep
// formulas that spill registers, and concurrent calls.
#include "FormulaTestSupport.h"

#include <cmath>
#include <functional>
#include <limits>
#include <numbers>
#include <thread>
#include <vector>

namespace velmora::test {
namespace {

constexpr double kPi = std::numbers::pi;

// A compiled one-variable formula f(u).
class Compiled {
public:
    explicit Compiled(const std::string& formula) { parser_.ParseNewText(formula, "u", "", {.compile = true}); }
    double operator()(double u) const { return parser_.Evaluate(&u); }

private:
    TFormulaCompiler parser_;
};

std::vector<double> Points(double from, double to, int count) {
    std::vector<double> xs;
    for (int i = 0; i < count; ++i) xs.push_back(from + (to - from) * (i + 0.37) / count);
    return xs;
}

void ExpectCloseOver(const std::string& formula, const std::vector<double>& xs,
                     const std::function<double(double)>& expected, double relTol = 2e-15) {
    const Compiled f(formula);
    for (double x : xs) {
        const double want = expected(x);
        EXPECT_NEAR(f(x), want, relTol * std::max(1.0, std::fabs(want))) << formula << " at " << x;
    }
}

TEST(FunctionValues, InsideTheirDomainsTheyMatchTheLibrary) {
    const auto wide = Points(-20, 20, 401);
    ExpectCloseOver("cos(u)", wide, [](double x) { return std::cos(x); }, 1e-14);
    ExpectCloseOver("sin(u)", wide, [](double x) { return std::sin(x); }, 1e-14);
    ExpectCloseOver("sqr(u)", wide, [](double x) { return x * x; });
    ExpectCloseOver("abs(u)", wide, [](double x) { return std::fabs(x); });
    ExpectCloseOver("-u", wide, [](double x) { return -x; });
    ExpectCloseOver("arctan(u)", wide, [](double x) { return std::atan(x); });
    ExpectCloseOver("exp(u)", Points(-150, 150, 301), [](double x) { return std::exp(x); }, 1e-14);
    ExpectCloseOver("sqrt(u)", Points(1e-6, 1e6, 300), [](double x) { return std::sqrt(x); });
    ExpectCloseOver("ln(u)", Points(1e-6, 1e6, 300), [](double x) { return std::log(x); });
    ExpectCloseOver("sinh(u)", Points(-100, 100, 201), [](double x) { return std::sinh(x); }, 1e-14);
    ExpectCloseOver("cosh(u)", Points(-100, 100, 201), [](double x) { return std::cosh(x); }, 1e-14);
    ExpectCloseOver("tanh(u)", Points(-30, 30, 201), [](double x) { return std::tanh(x); });
    ExpectCloseOver("arcsin(u)", Points(-1, 1, 201), [](double x) { return std::asin(x); });
    ExpectCloseOver("arccos(u)", Points(-1, 1, 201), [](double x) { return std::acos(x); });
    ExpectCloseOver("arccosh(u)", Points(1, 1e6, 300), [](double x) { return std::acosh(x); });
    ExpectCloseOver("arctanh(u)", Points(-1, 1, 201), [](double x) { return std::atanh(x); }, 1e-14);
    ExpectCloseOver("arcsinh(u)", Points(-1e6, 1e6, 301), [](double x) { return std::asinh(x); });
    ExpectCloseOver("arcsinh(u)", Points(-3, 3, 301), [](double x) { return std::asinh(x); });

    // Tangent and cotangent away from their poles.
    std::vector<double> regular;
    for (double x : wide)
        if (std::fabs(std::cos(x)) > 0.05 && std::fabs(std::sin(x)) > 0.05) regular.push_back(x);
    ExpectCloseOver("tan(u)", regular, [](double x) { return std::tan(x); }, 1e-13);
    ExpectCloseOver("cot(u)", regular, [](double x) { return 1 / std::tan(x); }, 1e-13);
}

TEST(FunctionValues, ClampsAtAndPastEveryDomainEdge) {
    const double inf = std::numeric_limits<double>::infinity();
    const std::vector<std::pair<std::string, double>> cases = {
        {"1/0", 0},                 {"u/(u-u)", 0},            {"0/0", 0},
        {"sqrt(-1)", 0},            {"sqrt(0)", 0},            {"sqrt(-10^300)", 0},
        {"ln(0)", -230},            {"ln(-5)", -230},          {"ln(0.5-0.5)", -230},
        {"exp(1000)", 1e100},       {"exp(-1000)", 1e-100},    {"exp(159.5)", 1e100},
        {"exp(-159.5)", 1e-100},    {"sinh(200)", 5e99},       {"sinh(-200)", -5e99},
        {"cosh(200)", 5e99},        {"cosh(-200)", 5e99},      {"tanh(200)", 1},
        {"tanh(-200)", -1},         {"arcsin(2)", kPi / 2},    {"arcsin(-2)", -kPi / 2},
        {"arcsin(1)", kPi / 2},     {"arcsin(-1)", -kPi / 2},  {"arcsin(10^300)", kPi / 2},
        {"arccos(2)", 0},           {"arccos(-2)", kPi},       {"arccos(1)", 0},
        {"arccos(-1)", kPi},        {"arccosh(0.5)", 0},       {"arccosh(1)", 0},
        {"arccosh(-7)", 0},         {"arctanh(1)", 230},       {"arctanh(-1)", -230},
        {"arctanh(-3)", -230},      {"arctanh(3)", 230},       {"cot(0)", 0},
        {"cot(pi-pi)", 0},          {"arcsinh(0)", 0},
    };
    for (const auto& [formula, expected] : cases) {
        const double got = ValueAt(formula, 0.25);
        EXPECT_NEAR(got, expected, 1e-15 * std::max(1.0, std::fabs(expected))) << formula;
        EXPECT_NE(std::fabs(got), inf) << formula;
    }
    // The exponential is computed normally up to the clamp of its binary exponent, 230 ln 2.
    EXPECT_NEAR(ValueAt("exp(150)", 0), std::exp(150.0), 1e-14 * std::exp(150.0));
    EXPECT_NEAR(ValueAt("exp(159.4)", 0), std::exp(159.4), 1e-14 * std::exp(159.4));
    EXPECT_NEAR(ValueAt("exp(-159.4)", 0), std::exp(-159.4), 1e-14 * std::exp(-159.4));
    // cot has no pole at multiples of pi either: sin r is exactly 0 only at 0.
    EXPECT_EQ(ValueAt("cot(u)", 0), 0);
    EXPECT_EQ(ValueAt("u/v", 3, 0), 0);
    EXPECT_EQ(ValueAt("u/v", 3, -0.0), 0);
}

TEST(FunctionValues, ArgumentsArriveInTheOrderOfTheVariables) {
    TFormulaCompiler p;
    p.ParseNewText("100u+10v+w", "uvw", "", {.compile = true});
    const double args[3] = {1, 2, 3};
    EXPECT_EQ(p.Evaluate(args), 123);
    p.ParseNewText("100u+10v+w", "wvu", "", {.compile = true});
    EXPECT_EQ(p.Evaluate(args), 321);
}

// 1+(2+(3+(...(n+tail)...))) and its value.
std::string NestedSum(int n, const std::string& tail) {
    std::string s;
    for (int i = 1; i <= n; ++i) s += std::to_string(i) + "+(";
    return s + tail + std::string(n, ')');
}

TEST(Spilling, DeepFormulasKeepTheirValues) {
    const double u = 0.3;
    EXPECT_DOUBLE_EQ(ValueAt(NestedSum(9, "u"), u), 45 + u);
    EXPECT_DOUBLE_EQ(ValueAt(NestedSum(6, "exp(u)"), u), 21 + std::exp(u));
    EXPECT_DOUBLE_EQ(ValueAt(NestedSum(7, "exp(u)"), u), 28 + std::exp(u));
    EXPECT_DOUBLE_EQ(ValueAt(NestedSum(8, "exp(u)"), u), 36 + std::exp(u));
    EXPECT_DOUBLE_EQ(ValueAt(NestedSum(7, "arcsin(u)"), u), 28 + std::asin(u));
    EXPECT_DOUBLE_EQ(ValueAt(NestedSum(7, "sin(u)"), u), 28 + std::sin(u));
    EXPECT_DOUBLE_EQ(ValueAt(NestedSum(7, "1/u"), u), 28 + 1 / u);
    EXPECT_DOUBLE_EQ(ValueAt(NestedSum(8, "1/u"), u), 36 + 1 / u);
    EXPECT_DOUBLE_EQ(ValueAt(NestedSum(40, "u"), u), 820 + u);

    // Non-commutative operators take the spilled value as their left operand.
    std::string s = "u";
    double expected = u;
    for (int i = 1; i <= 30; ++i) {
        s = std::to_string(i) + "-(" + s + ")/" + std::to_string(i + 1);
        expected = i - expected / (i + 1);
    }
    std::string reversed = "u";
    double expectedReversed = u;
    for (int i = 1; i <= 25; ++i) {  // two pending values per level
        reversed = std::to_string(i) + "/(" + std::to_string(i) + "-(" + reversed + "))";
        expectedReversed = i / (i - expectedReversed);
    }
    EXPECT_NEAR(ValueAt(s, u), expected, 1e-13);
    EXPECT_NEAR(ValueAt(reversed, u), expectedReversed, 1e-12 * std::fabs(expectedReversed));
}

// Every domain test and clamp is a forward jump: a formula of sixty of them,
// some with values pending around them, compiles and keeps the value of each.
TEST(ForwardJumps, AFormulaWithManyOfThemKeepsEveryValue) {
    const double u = 0.35, v = -0.6;
    std::string text = "0";
    double expected = 0;
    for (int k = 1; k <= 12; ++k) {
        const double a = u / k, b = v / (k + 1);
        text += "+sqrt(u/" + std::to_string(k) + ")+ln(1-v/" + std::to_string(k + 1) + ")+arcsin(v/" +
                std::to_string(k + 1) + ")*arctanh(u/" + std::to_string(k) + ")+" + NestedSum(3, "arccos(u/" +
                std::to_string(k) + ")") + "-6+exp(v/" + std::to_string(k + 1) + ")/u";
        expected += std::sqrt(a) + std::log(1 - b) + std::asin(b) * std::atanh(a) + std::acos(a) + std::exp(b) / u;
    }
    EXPECT_NEAR(ValueAt(text, u, v), expected, 1e-12 * std::fabs(expected));
    // At points where the clamps answer, the clamped values.
    EXPECT_NEAR(ValueAt("sqrt(u)+ln(u)+arcsin(u)+arccos(u)+arctanh(u)+arccosh(u)+u/(v-v)", -3, 1),
                -460 + std::numbers::pi / 2, 1e-12);
}

TEST(Spilling, TheFrameHoldsFiftyOneSpilledValues) {
    // 59 pending values: 8 in registers, 51 in the frame.
    const std::string deepest = NestedSum(58, "u");
    EXPECT_DOUBLE_EQ(ValueAt(deepest, 0.5), 58 * 59 / 2 + 0.5);
    EXPECT_EQ(ParseMessage(NestedSum(59, "u")), kTooManyPendingMessage);
    EXPECT_EQ(ParseMessage(NestedSum(59, "u"), "uv", "", false), "");
}

TEST(Concurrency, OneCompiledFunctionServesTwoThreads) {
    TFormulaCompiler p;
    p.ParseNewText(NestedSum(12, "sin(u)*exp(v)/(1+sqr(u))"), "uv", "", {.compile = true});
    constexpr int kCalls = 20000;
    auto worker = [&p](double offset, int& mismatches) {
        for (int i = 0; i < kCalls; ++i) {
            const double u = offset + i * 1e-4, v = -offset + i * 2e-4;
            const double args[2] = {u, v};
            const double want = 78 + std::sin(u) * std::exp(v) / (1 + u * u);
            if (std::fabs(p.Evaluate(args) - want) > 1e-12 * std::fabs(want)) ++mismatches;
        }
    };
    int m1 = 0, m2 = 0;
    std::thread t1(worker, 0.25, std::ref(m1));
    std::thread t2(worker, -1.5, std::ref(m2));
    t1.join();
    t2.join();
    EXPECT_EQ(m1, 0);
    EXPECT_EQ(m2, 0);
}

}  // namespace
}  // namespace velmora::test
