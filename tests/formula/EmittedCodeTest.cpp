// The emitted machine code: exact bytes of the frame, the operand loads, the
// spill and reload sequences, the size of every function sequence, the size
// estimate against the emitted length over many programs, and the x87
// interpreter against the code it reads.
#include "FormulaTestSupport.h"
#include "X87CodeBytes.h"

#include "formula/X87Interpreter.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>
#include <random>
#include <vector>

namespace velmora::test {
namespace {

Bytes Emitted(const TFormulaCompiler& p) { return Bytes(p.ValueCode().begin(), p.ValueCode().end()); }


// Loads of variables (4 and 3 bytes under the 6 the estimate counts) and of
// short-reach parameters (3 under 6) make the estimate exceed the code.
int EstimateExcess(const ByteArray& program) {
    int excess = 0;
    for (std::size_t i = 0; i < program.size(); ++i) {
        if (program[i] != kTokenPrefix) continue;
        const int index = program[i + 2] * 256 + program[i + 3];
        if (program[i + 1] == kTokenVariable) excess += index == 1 ? 4 : 3;
        if (program[i + 1] == kTokenParameter && 8 * index <= 127) excess += 3;
        i += 3;
    }
    return excess;
}

TEST(FrameBytes, PrologueOperandAndEpilogue) {
    TFormulaCompiler p;
    p.ParseNewText("u", "uv", "", {.compile = true});
    EXPECT_EQ(Emitted(p), Cat({Prologue(p.Table().data()), {0xDD, 0x02}, kEpilogue}));
    EXPECT_EQ(p.EstimateCodeSize(), 21 + 6 + 17);

    p.ParseNewText("v", "uv", "", {.compile = true});
    EXPECT_EQ(Emitted(p), Cat({Prologue(p.Table().data()), {0xDD, 0x42, 0x08}, kEpilogue}));
    p.ParseNewText("pi", "uv", "", {.compile = true});
    EXPECT_EQ(Emitted(p), Cat({Prologue(p.Table().data()), {0xD9, 0xEB}, kEpilogue}));
    p.ParseNewText("1", "uv", "", {.compile = true});
    EXPECT_EQ(Emitted(p), Cat({Prologue(p.Table().data()), {0xD9, 0xE8}, kEpilogue}));
    p.ParseNewText("t", "uv", "st", {.compile = true});
    EXPECT_EQ(Emitted(p), Cat({Prologue(p.Table().data()), {0xDD, 0x40, 0x38}, kEpilogue}));
    p.ParseNewText("2.5", "uv", "", {.compile = true});
    EXPECT_EQ(Emitted(p), Cat({Prologue(p.Table().data()), LoadSlot(6), kEpilogue}));
    EXPECT_EQ(p.EstimateCodeSize(), static_cast<int32_t>(p.ValueCode().size()));
}

TEST(FrameBytes, OperatorsAndDivision) {
    TFormulaCompiler p;
    p.ParseNewText("(u+v)*u-v", "uv", "", {.compile = true});
    const Bytes loads = {0xDD, 0x02, 0xDD, 0x42, 0x08};
    EXPECT_EQ(Emitted(p), Cat({Prologue(p.Table().data()), loads, {0xDE, 0xC1}, {0xDD, 0x02}, {0xDE, 0xC9},
                               {0xDD, 0x42, 0x08}, {0xDE, 0xE9}, kEpilogue}));
    p.ParseNewText("u/v", "uv", "", {.compile = true});
    const Bytes divide = {0xD9, 0xEE, 0xDF, 0xF1, 0x74, 0x04, 0xDE, 0xF9,
                          0xEB, 0x06, 0xDD, 0xD8, 0xDD, 0xD8, 0xD9, 0xEE};
    EXPECT_EQ(Emitted(p), Cat({Prologue(p.Table().data()), loads, divide, kEpilogue}));
}

TEST(SpillBytes, EightPendingValuesSpillTheDeepestAndReloadIt) {
    // 1+(2+(...(9+u))): ten values pending, two of them in the frame.
    TFormulaCompiler p;
    p.ParseNewText("1+(2+(3+(4+(5+(6+(7+(8+(9+u))))))))", "uv", "", {.compile = true});
    const Bytes spillSlot2 = {0xD9, 0xF6, 0xDD, 0x9D, 0x90, 0x01, 0x00, 0x00};  // fdecstp; fstp [rbp+400]
    const Bytes spillSlot3 = {0xD9, 0xF6, 0xDD, 0x9D, 0x88, 0x01, 0x00, 0x00};  // fdecstp; fstp [rbp+392]
    const Bytes reloadSlot3 = {0xDD, 0x85, 0x88, 0x01, 0x00, 0x00, 0xD9, 0xC9};  // fld [rbp+392]; fxch st1
    const Bytes reloadSlot2 = {0xDD, 0x85, 0x90, 0x01, 0x00, 0x00, 0xD9, 0xC9};
    const Bytes add = {0xDE, 0xC1};
    Bytes expected = Cat({Prologue(p.Table().data()), {0xD9, 0xE8}});
    for (int slot = 6; slot <= 12; ++slot) expected = Cat({expected, LoadSlot(slot)});
    expected = Cat({expected, spillSlot2, LoadSlot(13), spillSlot3, {0xDD, 0x02}});
    for (int i = 0; i < 7; ++i) expected = Cat({expected, add});
    expected = Cat({expected, reloadSlot3, add, reloadSlot2, add, kEpilogue});
    EXPECT_EQ(Emitted(p), expected);
    EXPECT_EQ(p.EstimateCodeSize(), static_cast<int32_t>(expected.size()) + 4);
}

TEST(SpillBytes, ExponentialWithSevenPendingValuesFreesTheDeepestRegister) {
    TFormulaCompiler p;
    p.ParseNewText("1+(2+(3+(4+(5+(6+exp(u))))))", "uv", "", {.compile = true});
    Bytes head = Cat({Prologue(p.Table().data()), {0xD9, 0xE8}});
    for (int slot = 6; slot <= 10; ++slot) head = Cat({head, LoadSlot(slot)});
    // u makes seven values; exp needs two free registers: fld st6; fstp [rbp+400]; ffree st6.
    head = Cat({head, {0xDD, 0x02}, {0xD9, 0xC6, 0xDD, 0x9D, 0x90, 0x01, 0x00, 0x00, 0xDD, 0xC6}, {0xD9, 0xEA}});
    const Bytes code = Emitted(p);
    ASSERT_GE(code.size(), head.size());
    EXPECT_EQ(Bytes(code.begin(), code.begin() + static_cast<std::ptrdiff_t>(head.size())), head);
    EXPECT_DOUBLE_EQ(p.Evaluate(std::vector<double>{0.5, 0}.data()), 21 + std::exp(0.5));
}

TEST(SpillBytes, GeneratorAccountingAtTheRegisterLimits) {
    X87CodeGen gen;
    gen.Begin(1);
    gen.emptyRegisters = 0;
    gen.EnsureFree(3);
    const Bytes expected = {0xD9, 0xF6, 0xDD, 0x9D, 0x90, 0x01, 0x00, 0x00,                    // slot 2
                            0xD9, 0xC6, 0xDD, 0x9D, 0x88, 0x01, 0x00, 0x00, 0xDD, 0xC6,        // slot 3
                            0xD9, 0xC5, 0xDD, 0x9D, 0x80, 0x01, 0x00, 0x00, 0xDD, 0xC5};       // slot 4
    EXPECT_EQ(gen.Code().Bytes(), expected);
    EXPECT_EQ(gen.emptyRegisters, 3);
    EXPECT_EQ(gen.lastPreserved, 4);

    gen.Begin(4);
    gen.emptyRegisters = 7;
    gen.ReloadSpilled();
    EXPECT_EQ(gen.Code().Bytes(), (Bytes{0xDD, 0x85, 0x80, 0x01, 0x00, 0x00, 0xD9, 0xC9}));
    EXPECT_EQ(gen.emptyRegisters, 6);
    EXPECT_EQ(gen.lastPreserved, 3);

    // A value alone in registers goes to the frame when all eight are asked for.
    gen.Begin(1);
    gen.emptyRegisters = 7;
    gen.EnsureFree(8);
    EXPECT_EQ(gen.Code().Bytes(), (Bytes{0xDD, 0x9D, 0x90, 0x01, 0x00, 0x00}));
    EXPECT_EQ(gen.emptyRegisters, 8);
}

TEST(SequenceSizes, EveryFunctionHasItsListedSize) {
    const std::vector<std::pair<char, int>> sizes = {
        {'#', 2},  {'D', 2},  {'N', 2},  {'A', 12}, {'B', 12}, {'G', 12}, {'C', 53}, {'E', 14}, {'F', 21},
        {'H', 67}, {'I', 67}, {'J', 67}, {'K', 46}, {'L', 42}, {'M', 4},  {'O', 28}, {'R', 28}, {'P', 30},
        {'Q', 55}};
    for (const auto& [code, size] : sizes) {
        X87CodeGen gen;
        gen.Begin(1);
        gen.emptyRegisters = 5;
        gen.Function(static_cast<uint8_t>(code));
        EXPECT_EQ(gen.Length(), size) << code;
        EXPECT_EQ(X87CodeGen::FunctionSize(static_cast<uint8_t>(code)), size) << code;
    }
    EXPECT_EQ(X87CodeGen::FunctionSize('S'), -1);
    EXPECT_EQ(X87CodeGen::FunctionNeed('^'), -1);
}

// Random formulas with a known value: deep right-leaning trees make many
// values pending, so the programs spill at every register count.
struct Expr {
    std::string text;
    double value;
};

class FormulaFactory {
public:
    FormulaFactory(unsigned seed, double u, double v) : rng_(seed), u_(u), v_(v) {}

    Expr Make(int depth) {
        if (depth == 0 || Chance(0.1)) return Leaf();
        if (Chance(0.35)) return Unary(depth);
        const Expr left = Make(Chance(0.8) ? std::min(depth - 1, 1) : depth - 1);
        const Expr right = Make(depth - 1);
        switch (Pick(4)) {
            case 0: return {"(" + left.text + ")+(" + right.text + ")", left.value + right.value};
            case 1: return {"(" + left.text + ")-(" + right.text + ")", left.value - right.value};
            case 2: return {"(" + left.text + ")*atan(" + right.text + ")", left.value * std::atan(right.value)};
            default:
                return {"(" + left.text + ")/(2+sqr(" + right.text + "))",
                        left.value / (2 + right.value * right.value)};
        }
    }

private:
    bool Chance(double p) { return std::uniform_real_distribution<double>(0, 1)(rng_) < p; }
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }

    Expr Leaf() {
        switch (Pick(5)) {
            case 0: return {"u", u_};
            case 1: return {"v", v_};
            case 2: return {"pi", std::numbers::pi};
            case 3: return {"1", 1};
            default: {
                const int n = 2 + Pick(97);
                return {std::to_string(n / 10) + "." + std::to_string(n % 10), n / 10.0};
            }
        }
    }

    Expr Unary(int depth) {
        const Expr a = Make(depth - 1);
        const double x = a.value;
        switch (Pick(12)) {
            case 0: return {"sin(" + a.text + ")", std::sin(x)};
            case 1: return {"cos(" + a.text + ")", std::cos(x)};
            case 2: return {"tanh(" + a.text + ")", std::tanh(x)};
            case 3: return {"exp(sin(" + a.text + "))", std::exp(std::sin(x))};
            case 4: return {"sqrt(1+sqr(" + a.text + "))", std::sqrt(1 + x * x)};
            case 5: return {"ln(2+cos(" + a.text + "))", std::log(2 + std::cos(x))};
            case 6: return {"arcsin(sin(" + a.text + ")/2)", std::asin(std::sin(x) / 2)};
            case 7: return {"arccos(cos(" + a.text + ")/3)", std::acos(std::cos(x) / 3)};
            case 8: return {"arcsinh(" + a.text + ")", std::asinh(x)};
            case 9: return {"cosh(sin(" + a.text + "))", std::cosh(std::sin(x))};
            case 10: return {"-(" + a.text + ")", -x};
            default: return {"(" + a.text + ")^3", x * x * x};
        }
    }

    std::mt19937 rng_;
    double u_, v_;
};

TEST(SizeEstimate, BoundsTheCodeByExactlyTheShortOperandLoads) {
    const double u = 0.8, v = -1.3;
    int spilling = 0, compared = 0;
    for (unsigned seed = 1; seed <= 400; ++seed) {
        FormulaFactory factory(seed, u, v);
        const Expr e = factory.Make(4 + static_cast<int>(seed % 40));
        TFormulaCompiler p;
        try {
            p.ParseNewText(e.text, "uv", "", {.compile = true});
        } catch (const VelmoraError& error) {
            // Only the frame limit may refuse a generated formula.
            EXPECT_STREQ(error.what(), kTooManyPendingMessage) << e.text;
            continue;
        }
        EXPECT_EQ(p.EstimateCodeSize() - static_cast<int32_t>(p.ValueCode().size()), EstimateExcess(p.Program())) << e.text;
        X87CodeGen gen;
        gen.Begin(1);
        EmitValueFunction(gen, p.Program(), 2, p.Table().data());
        EXPECT_EQ(gen.lastPreserved, 1) << "every spilled value is reloaded: " << e.text;
        EXPECT_EQ(gen.Code().Bytes(), Emitted(p));
        if (p.StackDepth() > 8) ++spilling;
        const double args[2] = {u, v};
        if (std::fabs(e.value) < 1e12) {
            EXPECT_NEAR(p.Evaluate(args), e.value, 1e-11 * std::max(1.0, std::fabs(e.value))) << e.text;
            ++compared;
        }
    }
    EXPECT_GT(compared, 300);
    EXPECT_GT(spilling, 100);
}

// The interpreter's result has the bits of the code's own result.
void ExpectInterpretedAsRun(const TFormulaCompiler& p, const std::string& text, double u, double v) {
    const double args[2] = {u, v};
    const double run = p.Evaluate(args);
    const double interpreted = RunX87Code(p.ValueCode().data(), p.ValueCode().size(), args);
    EXPECT_EQ(std::bit_cast<uint64_t>(interpreted), std::bit_cast<uint64_t>(run))
        << text << " at (" << u << ", " << v << "): " << interpreted << " vs " << run;
}

TEST(X87Interpreter, RunsTheCodeBitForBit) {
    // Random programs, many of them spilling.
    for (unsigned seed = 1; seed <= 300; ++seed) {
        FormulaFactory factory(seed, 0.8, -1.3);
        const std::string text = factory.Make(4 + static_cast<int>(seed % 40)).text;
        TFormulaCompiler p;
        try {
            p.ParseNewText(text, "uv", "", {.compile = true});
        } catch (const VelmoraError&) {
            continue;  // beyond the spill frame
        }
        for (const double u : {0.8, -2.5, 1e-3}) ExpectInterpretedAsRun(p, text, u, -1.3);
    }
    // Every function at and beyond the edges of its domain and its clamps,
    // and arguments out of reach of a single reduction step.
    const char* edges[] = {"1/u",        "u/(v-v)",     "sqrt(u)",     "ln(u)",       "exp(u)",     "sinh(u)",
                           "cosh(u)",    "tanh(u)",     "arcsin(u)",   "arccos(u)",   "arccosh(u)", "arctanh(u)",
                           "arcsinh(u)", "cot(u)",      "tan(u)",      "sin(u)",      "cos(u)",     "arctan(u)",
                           "abs(u)-u^2", "-u*v+u^(-3)", "u^v",         "1+(2+(3+(4+(5+(6+exp(u))))))"};
    const double points[] = {0.0, -0.0, 1.0, -1.0, 0.5, -3.0, 1000.0, -1000.0, 159.5, 1e30, -1e25, 7e300,
                             std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()};
    for (const char* text : edges) {
        TFormulaCompiler p;
        p.ParseNewText(text, "uv", "", {.compile = true});
        for (const double u : points) ExpectInterpretedAsRun(p, text, u, 2.0);
    }
}

TEST(X87Interpreter, RefusesWhatTheEmitterNeverWrites) {
    const uint8_t halt[] = {0xF4};  // hlt
    const uint8_t unfinished[] = {0xD9, 0xE8};  // fld1 and no return
    const double none[1] = {0};
    EXPECT_THROW(RunX87Code(halt, sizeof halt, none), VelmoraError);
    EXPECT_THROW(RunX87Code(unfinished, sizeof unfinished, none), VelmoraError);
}

TEST(SizeEstimate, UnknownTokensAreRefusedBeforeAnyCode) {
    TFormulaCompiler p;
    p.ParseNewText("u+v", "uv", "");
    ByteArray program = p.Program();
    program.push_back('^');
    try {
        EstimateValueCodeSize(program);
        FAIL() << "an unknown token was estimated";
    } catch (const VelmoraError& e) {
        EXPECT_STREQ(e.what(), "I did fail in analysing the function.");
    }
}

TEST(CodeMappingReuse, AMappingLargeEnoughIsKept) {
    TFormulaCompiler p;
    p.ParseNewText("sin(u)+cos(v)", "uv", "", {.compile = true});
    const uint8_t* first = p.ValueCode().data();
    p.ParseNewText("u*v", "uv", "", {.compile = true});
    EXPECT_EQ(p.ValueCode().data(), first);
    EXPECT_EQ(p.Evaluate(std::vector<double>{3, 4}.data()), 12);

    std::string longFormula = "u";
    for (int i = 0; i < 200; ++i) longFormula += "+arctanh(v/" + std::to_string(i + 2) + ")";
    p.ParseNewText(longFormula, "uv", "", {.compile = true});
    EXPECT_GT(p.ValueCode().size(), 4096u);
    EXPECT_GE(p.EstimateCodeSize(), static_cast<int32_t>(p.ValueCode().size()));
    double expected = 0.5;
    for (int i = 0; i < 200; ++i) expected += std::atanh(0.25 / (i + 2));
    EXPECT_NEAR(p.Evaluate(std::vector<double>{0.5, 0.25}.data()), expected, 1e-13);
}

}  // namespace
}  // namespace velmora::test
