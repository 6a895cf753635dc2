// The compiled blocks: their numbering, the values of this engine's own
// sequences at the edges of their domains, constant formulas, parameters, the
// emitted bytes, and the limits of the constant table and the spill frame.
#include "SymbolicTestSupport.h"

#include "formula/FormulaCompiler.h"
#include "formula/X87Emitter.h"
#include "formula/X87Interpreter.h"
#include "symbolic/EncodedText.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>
#include <set>
#include <vector>

namespace velmora::test {
namespace {

double Eval(const TSymbolicPartials& f, int i, int j, int k, double u, double v = 0) {
    const double args[2] = {u, v};
    return f.EvaluateFF(i, j, k, args);
}

TEST(SymbolicBlocks, NumberingOfTheMultiIndexes) {
    TSymbolicPartials f;
    f.ParseNewText("u*v", "uv", "", {.compile = true, .withPartials = true});
    // The multi-indexes of one derivative share its block; the ten blocks differ.
    const struct {
        int i, j, k, block;
    } table[] = {{0, 0, 0, 0}, {1, 0, 0, 1}, {2, 0, 0, 2}, {1, 1, 0, 3}, {1, 2, 0, 4}, {2, 1, 0, 4},
                 {2, 2, 0, 5}, {1, 1, 1, 6}, {1, 1, 2, 7}, {1, 2, 1, 7}, {2, 1, 1, 7}, {1, 2, 2, 8},
                 {2, 1, 2, 8}, {2, 2, 1, 8}, {2, 2, 2, 9}};
    std::array<const void*, 10> blocks{};
    for (const auto& row : table) {
        const void* code = f.FF(row.i, row.j, row.k).code;
        ASSERT_NE(code, nullptr) << row.i << row.j << row.k;
        if (blocks[row.block] == nullptr) blocks[row.block] = code;
        EXPECT_EQ(code, blocks[row.block]) << row.i << row.j << row.k;
        EXPECT_EQ(f.BlockCode(row.i, row.j, row.k).data(), code);
    }
    EXPECT_EQ(std::set<const void*>(blocks.begin(), blocks.end()).size(), 10u);
    // The size of all blocks as estimated covers their code.
    std::size_t total = 0;
    for (const auto& m : kMultiIndexes) total += f.BlockCode(m[0], m[1], m[2]).size();
    EXPECT_GE(f.TotalCodeBytes(), static_cast<int64_t>(total));
    // Indexes outside 0..argNum have no function.
    EXPECT_FALSE(f.FF(3, 0, 0).Assigned());
    EXPECT_TRUE(f.BlockCode(3, 0, 0).empty());
    EXPECT_TRUE(std::isnan(Eval(f, 0, 0, 3, 1)));

    // Blocks are derived each from the text of the one below it, the new
    // exponents folded as they come: u^10 v^20 has the derivatives of its
    // integer powers.
    f.ParseNewText("u^10*v^20", "uv", "", {.compile = true, .withPartials = true});
    const double at[2] = {1.1, 0.9};
    const double u9 = std::pow(1.1, 9), v19 = std::pow(0.9, 19);
    EXPECT_NEAR(f.EvaluateFF(1, 0, 0, at), 10 * u9 * v19 * 0.9, 1e-12);
    EXPECT_NEAR(f.EvaluateFF(1, 1, 1, at), 720 * std::pow(1.1, 7) * std::pow(0.9, 20), 1e-11);
    EXPECT_NEAR(f.EvaluateFF(1, 1, 2, at), 90 * 20 * std::pow(1.1, 8) * v19, 1e-11);
    EXPECT_NEAR(f.EvaluateFF(1, 2, 2, at), 10 * 380 * u9 * std::pow(0.9, 18), 1e-10);
    EXPECT_NEAR(f.EvaluateFF(2, 2, 2, at), 6840 * std::pow(1.1, 10) * std::pow(0.9, 17), 1e-9);

    // Three variables: 1 + 3 + 6 + 10 blocks.
    TSymbolicPartials g;
    g.ParseNewText("u*v*w", "uvw", "", {.compile = true, .withPartials = true});
    std::set<const void*> distinct;
    for (int i = 0; i <= 3; ++i)
        for (int j = 0; j <= 3; ++j)
            for (int k = 0; k <= 3; ++k)
                if (g.FF(i, j, k).Assigned()) distinct.insert(g.FF(i, j, k).code);
    EXPECT_EQ(distinct.size(), 20u);
    const double args[3] = {2, 3, 5};
    EXPECT_EQ(g.EvaluateFF(3, 1, 2, args), 1);
    EXPECT_EQ(g.EvaluateFF(2, 3, 0, args), 2);
    EXPECT_EQ(g.EvaluateFF(1, 1, 0, args), 0);
}

TEST(SymbolicBlocks, TheFixedPartOfTheConstantTable) {
    const SymbolicTable table = InitialSymbolicTable();
    const double fixed[41] = {-230, 1e100, -1e100, 1e-100, -1e-100, 230, std::numbers::pi / 2, 0, 0, 0, 0, 0, 0, 0,
                              0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 4, 5, -1, -2, -3, -4, -5, 0.5, 1.0 / 3, 0.25,
                              0.2, -0.5, -1.0 / 3, -0.25, -0.2};
    for (int k = 0; k <= 40; ++k) EXPECT_EQ(table[k], fixed[k]) << k;
    for (std::size_t k = 41; k < table.size(); ++k) EXPECT_EQ(table[k], 0) << k;
    // The blocks read the predefined values: 1/3 is slot 34.
    EXPECT_EQ(Body("u*(1/3)"), Body("u*0.3333333333333333"));
}

TEST(SymbolicBlocks, ThirdDerivativesOfAPolynomial) {
    TSymbolicPartials f;
    f.ParseNewText("u^3*v", "uv", "", {.compile = true, .withPartials = true});
    for (double u : {-1.5, 0.0, 0.7, 3.0}) {
        EXPECT_NEAR(Eval(f, 1, 1, 2, u, 2.0), 6 * u, 1e-14);
        EXPECT_NEAR(Eval(f, 2, 1, 1, u, -1.0), 6 * u, 1e-14);
        EXPECT_EQ(Eval(f, 2, 2, 2, u, 2.0), 0);
        EXPECT_EQ(Eval(f, 1, 2, 2, u, 2.0), 0);
        EXPECT_NEAR(Eval(f, 1, 1, 1, u, 2.0), 12, 1e-14);
    }
}

TEST(SymbolicBlocks, ExponentialAndTheOwnSequencesAtTheirEdges) {
    TSymbolicPartials f;
    f.ParseNewText("exp(u)", "uv", "", {.compile = true, .withPartials = true});
    for (double u : {-3.0, 0.0, 1.0, 20.0}) {
        for (const auto& m : {std::array<int, 3>{1, 0, 0}, {1, 1, 0}, {1, 1, 1}})
            EXPECT_NEAR(Eval(f, m[0], m[1], m[2], u), std::exp(u), 1e-14 * std::exp(u));
        for (const auto& m : {std::array<int, 3>{2, 0, 0}, {1, 2, 0}, {2, 2, 0}, {1, 1, 2}, {1, 2, 2}, {2, 2, 2}})
            EXPECT_EQ(Eval(f, m[0], m[1], m[2], u), 0);
    }
    // The exponential and the hyperbolic functions have the formula language's
    // clamp: e^x is 1e100 (1e-100) beyond about |x| = 159.4.
    EXPECT_EQ(EvaluateConstantFormula("exp(1000)"), 1e100);
    EXPECT_EQ(EvaluateConstantFormula("exp(200)"), 1e100);
    EXPECT_EQ(EvaluateConstantFormula("exp(-200)"), 1e-100);
    EXPECT_NEAR(EvaluateConstantFormula("exp(150)"), std::exp(150.0), 1e-14 * std::exp(150.0));
    EXPECT_EQ(EvaluateConstantFormula("sinh(200)"), 5e99);
    EXPECT_EQ(EvaluateConstantFormula("cosh(-200)"), 5e99);
    EXPECT_EQ(EvaluateConstantFormula("tanh(6000)"), 1);
    EXPECT_NEAR(EvaluateConstantFormula("sinh(-3)"), std::sinh(-3.0), 1e-15);
    EXPECT_NEAR(EvaluateConstantFormula("cosh(2)"), std::cosh(2.0), 1e-15);
    EXPECT_NEAR(EvaluateConstantFormula("tanh(0.5)"), std::tanh(0.5), 1e-16);

    auto one = [](const std::string& text, double u) {
        TSymbolicPartials g;
        g.ParseNewText(text, "u", "", {.compile = true});
        return g.EvaluateFF(0, 0, 0, &u);
    };
    // arctanh outside (-1, 1) is clamped to 230 and -230.
    EXPECT_EQ(one("arctanh(u)", 2), 230);
    EXPECT_EQ(one("arctanh(u)", -1), -230);
    // arctanh(1/2) = ln(3)/2 = 0.54930614433405484570...; within two units in
    // the last place (libm's atanh itself is one unit off here with some compilers).
    EXPECT_NEAR(one("arctanh(u)", 0.5), 0.54930614433405484570, 2.3e-16);
    EXPECT_EQ(one("sgn(u)", 0), 0);
    EXPECT_EQ(one("sgn(u)", -0.25), -1);
    EXPECT_EQ(one("sign(u)", 1e-300), 1);
    EXPECT_EQ(one("inv(u)", 0), 0);
    EXPECT_EQ(one("inv(u)", 4), 0.25);
    EXPECT_EQ(one("u^-2", 0), 0);
    EXPECT_EQ(one("u^-2", -2), 0.25);
    EXPECT_EQ(one("u^7", -2), -128);
    EXPECT_EQ(one("chs(u)", 3), -3);
    EXPECT_EQ(one("cube(u)", -3), -27);
    EXPECT_EQ(one("quad(u)", -3), 81);
    EXPECT_EQ(one("ln(u)", 0), -230);  // the shared logarithm keeps its clamp
    EXPECT_EQ(one("u/0", 5), 0);

    // Where a function is clamped its derivatives are 0, as in the derivative
    // evaluator; abs has the derivative 1 at 0.
    auto derivative = [](const std::string& text, double u) {
        TSymbolicPartials g;
        g.ParseNewText(text, "u", "", {.compile = true, .withPartials = true});
        return std::array<double, 3>{g.EvaluateFF(1, 0, 0, &u), g.EvaluateFF(1, 1, 0, &u), g.EvaluateFF(1, 1, 1, &u)};
    };
    for (const auto& [text, u] : std::vector<std::pair<const char*, double>>{
             {"ln(u)", 0}, {"ln(u)", -2}, {"arctanh(u)", 2}, {"arctanh(u)", -1}, {"arccosh(u)", -3},
             {"arccosh(u)", 1}, {"arccosh(u)", 0.5}, {"cot(u)", 0}, {"sqrt(u)", -1}, {"arcsin(u)", 1.5}})
        EXPECT_EQ(derivative(text, u), (std::array<double, 3>{0, 0, 0})) << text << " at " << u;
    EXPECT_EQ(derivative("abs(u)", 0), (std::array<double, 3>{1, 0, 0}));
    EXPECT_EQ(derivative("abs(u)", -0.5), (std::array<double, 3>{-1, 0, 0}));
    EXPECT_EQ(derivative("ln(u)", 4), (std::array<double, 3>{0.25, -0.0625, 2.0 / 64}));
    const std::array<double, 3> arccosh = derivative("arccosh(u)", 2);
    EXPECT_NEAR(arccosh[0], 1 / std::sqrt(3.0), 1e-15);
    EXPECT_NEAR(arccosh[1], -2 / std::pow(3.0, 1.5), 1e-15);
    const std::array<double, 3> cot = derivative("cot(u)", 0.5);
    EXPECT_NEAR(cot[0], -1 / std::pow(std::sin(0.5), 2), 1e-14);
    EXPECT_NEAR(cot[1], 2 * std::cos(0.5) / std::pow(std::sin(0.5), 3), 1e-13);
}

TEST(SymbolicBlocks, ConstantFormulas) {
    EXPECT_NEAR(EvaluateConstantFormula("cos(pi/sqrt(5))"), std::cos(std::numbers::pi / std::sqrt(5.0)), 1e-15);
    EXPECT_NEAR(EvaluateConstantFormula("2 pi"), 2 * std::numbers::pi, 1e-15);
    EXPECT_EQ(EvaluateConstantFormula("2.2"), 2.2);
    EXPECT_EQ(EvaluateConstantFormula("-1/4"), -0.25);
    EXPECT_EQ(MessageOf([] { EvaluateConstantFormula("u"); }), "You have used an illegal character.");
    EXPECT_EQ(MessageOf([] { EvaluateConstantFormula("  "); }), "Some field may be empty");
}

TEST(SymbolicBlocks, ParametersAreReadFromTheTable) {
    TSymbolicPartials f;
    f.ParseNewText("u*t+s", "u", "ts", {.compile = true, .withPartials = true});
    double u = 3;
    EXPECT_EQ(f.EvaluateFF(0, 0, 0, &u), 0);  // parameters start at 0
    f.UpdateParameters({2.5, 1});
    EXPECT_EQ(f.EvaluateFF(0, 0, 0, &u), 8.5);
    EXPECT_EQ(f.EvaluateFF(1, 0, 0, &u), 2.5);
    f.UpdateParameters({});                // nothing
    f.UpdateParameters({7, 7, 7});         // more values than parameters: nothing
    EXPECT_EQ(f.EvaluateFF(0, 0, 0, &u), 8.5);
    f.UpdateParameters({-1});              // only the first
    EXPECT_EQ(f.EvaluateFF(0, 0, 0, &u), -2);
}

TEST(SymbolicBlocks, DeepFormulasSpillAndReload) {
    TSymbolicPartials f;
    f.ParseNewText("1+(2+(3+(4+(5+(6+exp(u))))))", "uv", "", {.compile = true, .withPartials = true});
    EXPECT_NEAR(Eval(f, 0, 0, 0, 0.5), 21 + std::exp(0.5), 1e-14);
    EXPECT_NEAR(Eval(f, 1, 1, 1, 0.5), std::exp(0.5), 1e-14);
    f.ParseNewText("1+(2+(3+(4+(5+(6+(7+(8+(9+u))))))))", "uv", "", {.compile = true, .withPartials = true});
    EXPECT_EQ(Eval(f, 0, 0, 0, 0.5), 45.5);
    // Only this engine's own sequences need two free registers for the integer power.
    f.ParseNewText("u*(u*(u*(u*(u*(u*(u*v^5))))))", "uv", "", {.compile = true, .withPartials = true});
    EXPECT_NEAR(Eval(f, 0, 0, 0, 1.1, 0.9), std::pow(1.1, 7) * std::pow(0.9, 5), 1e-14);
    EXPECT_NEAR(Eval(f, 2, 2, 2, 1.1, 0.9), std::pow(1.1, 7) * 60 * 0.9 * 0.9, 1e-12);
}

TEST(SymbolicBlocks, SpillingBeyondTheFrameIsRefused) {
    // A product of 60 factors keeps 60 values pending: more than the 8
    // registers and the 48 slots of the frame.
    std::string text = "u";
    for (int k = 1; k < 60; ++k) text += "*u";
    TSymbolicPartials f;
    EXPECT_EQ(MessageOf([&] { f.ParseNewText(text, "uv", "", {.compile = true}); }), kTooManyPendingMessage);
    EXPECT_FALSE(f.FF(0, 0, 0).Assigned());
    text = "u";
    for (int k = 1; k < 50; ++k) text += "*u";
    f.ParseNewText(text, "uv", "", {.compile = true});
    EXPECT_NEAR(Eval(f, 0, 0, 0, 1.01), std::pow(1.01, 50), 1e-13);
}

TEST(SymbolicBlocks, TheConstantTableRefusesToOverflow) {
    // Every number written takes a slot: 213 of them fit, 214 do not.
    auto sumOfSixes = [](int n) {
        std::string text = "6";
        for (int k = 1; k < n; ++k) text += "+6";
        return text;
    };
    EXPECT_EQ(EvaluateConstantFormula(sumOfSixes(213)), 6 * 213);
    EXPECT_EQ(MessageOf([&] { EvaluateConstantFormula(sumOfSixes(214)); }),
              "The formula and its derivatives need more than 213 constants.");
    // Constants folded while deriving count as well.
    TSymbolicPartials f;
    // Sixty powers u^6, u^16, ... take 60 slots; their derivatives fold the
    // new exponents n-1, n-2, n-3 into 180 more.
    std::string text = "u";
    for (int k = 0; k < 60; ++k) text += "+u^" + std::to_string(10 * k + 6);
    f.ParseNewText(text, "uv", "", {.compile = true});
    EXPECT_EQ(MessageOf([&] { f.ParseNewText(text, "uv", "", {.compile = true, .withPartials = true}); }),
              "The formula and its derivatives need more than 213 constants.");
    // The object is usable again.
    f.ParseNewText("u*v", "uv", "", {.compile = true, .withPartials = true});
    EXPECT_EQ(Eval(f, 1, 2, 0, 1, 1), 1);
}

TEST(SymbolicBlocks, AFailedParseKeepsTheBlocksOfThePreviousOne) {
    // The blocks read a table of their own, which a new parse does not touch:
    // a refused formula leaves the previous formula callable, with its constants.
    TSymbolicPartials f;
    f.ParseNewText("u*v*7", "uv", "", {.compile = true, .withPartials = true});
    EXPECT_THROW(f.ParseNewText("u*(3+", "uv", "", {.compile = true, .withPartials = true}), VelmoraError);
    EXPECT_THROW(f.ParseNewText("u*(9+w", "uvw", "", {.compile = true, .withPartials = true}), VelmoraError);
    for (const auto& m : kMultiIndexes) EXPECT_TRUE(f.FF(m[0], m[1], m[2]).Assigned());
    EXPECT_EQ(Eval(f, 0, 0, 0, 2, 3), 42);
    EXPECT_EQ(Eval(f, 1, 2, 0, 2, 3), 7);
    // A parse that compiles nothing leaves nothing callable.
    f.ParseNewText("u+1", "uv", "");
    for (const auto& m : kMultiIndexes) EXPECT_FALSE(f.FF(m[0], m[1], m[2]).Assigned());
    EXPECT_TRUE(std::isnan(Eval(f, 1, 0, 0, 1, 1)));
    // Constants appended by an earlier parse are overwritten from 41 on.
    f.ParseNewText("u*7", "uv", "", {.compile = true, .withPartials = true});
    EXPECT_EQ(Eval(f, 1, 0, 0, 1, 1), 7);
    f.ParseNewText("u*9", "uv", "", {.compile = true, .withPartials = true});
    EXPECT_EQ(Eval(f, 1, 0, 0, 1, 1), 9);
    EXPECT_EQ(BlockBody(f, 0, 0, 0), Body("u*9"));
}

// The code of a program of the block compiler written by hand, reading the
// engine's fixed table.
std::vector<uint8_t> CodeOf(const std::string& program) {
    static const SymbolicTable table = InitialSymbolicTable();
    return ProgramCode(program, table);
}

TEST(SymbolicBlocks, EmittedBytesOfThisEnginesSequences) {
    static const SymbolicTable table = InitialSymbolicTable();
    const std::vector<uint8_t> bare = ProgramCode(Enc("u"), table);
    ASSERT_EQ(bare.size(), 21u + 2 + 17);
    // Prologue: push rbp; sub rsp, 416; mov rbp, rsp; mov rax, &table[0].
    const uint8_t prologue[] = {0x55, 0x48, 0x81, 0xEC, 0xA0, 0x01, 0x00, 0x00, 0x48, 0x89, 0xE5, 0x48, 0xB8};
    EXPECT_EQ(0, std::memcmp(bare.data(), prologue, sizeof prologue));
    uint64_t address = 0;
    std::memcpy(&address, bare.data() + 13, 8);
    EXPECT_EQ(address, reinterpret_cast<uint64_t>(table.data()));
    EXPECT_EQ(bare[21], 0xDD);  // fld qword [rdx]
    EXPECT_EQ(bare[22], 0x02);

    const struct {
        const char* program;
        const char* text;            // a formula whose block is this program ("" when only a derivative has it)
        std::array<int, 3> block;    // which block of it
        std::vector<uint8_t> bytes;  // after the operand loads
    } table2[] = {
        {"uT", "sgn(u)", {0, 0, 0}, {0xD9, 0xEE, 0xDB, 0xF1, 0xDD, 0xD9, 0x75, 0x02, 0xEB, 0x08, 0xDD, 0xD8, 0xD9, 0xE8, 0x72, 0x02, 0xD9, 0xE0}},
        {"uU", "inv(u)", {0, 0, 0}, {0xD9, 0xEE, 0xDF, 0xF1, 0x74, 0x04, 0xD9, 0xE8, 0xDE, 0xF1}},
        {"uV", "chs(u)", {0, 0, 0}, {0xD9, 0xE0}},
        {"uW", "cube(u)", {0, 0, 0}, {0xD9, 0xC0, 0xD8, 0xC8, 0xDE, 0xC9}},
        {"uX", "quad(u)", {0, 0, 0}, {0xD8, 0xC8, 0xD8, 0xC8}},
        // The derivatives of ln and abs.
        {"uY", "ln(u)", {1, 0, 0}, {0xD9, 0xEE, 0xDF, 0xF1, 0x72, 0x06, 0xDD, 0xD8, 0xD9, 0xEE, 0xEB, 0x04, 0xD9, 0xE8, 0xDE, 0xF1}},
        {"uZ", "abs(u)", {1, 0, 0}, {0xD9, 0xEE, 0xDF, 0xF1, 0xDD, 0xD8, 0xD9, 0xE8, 0x76, 0x02, 0xD9, 0xE0}},
    };
    for (const auto& row : table2) {
        const std::vector<uint8_t> code = CodeOf(Enc(row.program));
        ASSERT_EQ(code.size(), 21 + 2 + row.bytes.size() + 17) << row.program;
        EXPECT_TRUE(std::equal(row.bytes.begin(), row.bytes.end(), code.begin() + 23)) << row.program;
        // The engine compiles the same program for the formula.
        EXPECT_EQ(Body(row.text, row.block), std::vector<uint8_t>(code.begin() + 21, code.end())) << row.text;
    }
    // The functions of the formula language are its own sequences, clamps included.
    for (const char* name : {"exp", "sinh", "cosh", "tanh", "arctanh", "ln", "sin", "arcsinh"}) {
        TFormulaCompiler parser;
        parser.ParseNewText(std::string(name) + "(u)", "uv", "", {.compile = true});
        const uint8_t* language = parser.ValueCode().data();
        const std::vector<uint8_t> code = CodeOf(Enc("u") + static_cast<char>(parser.Program().back()));
        ASSERT_EQ(code.size(), parser.ValueCode().size()) << name;
        EXPECT_TRUE(std::equal(code.begin() + 21, code.end(), language + 21)) << name;
    }
    const std::vector<uint8_t> power = CodeOf(Enc("vu^"));
    ASSERT_EQ(power.size(), 21u + 5 + 30 + 17);
    EXPECT_EQ(power[26], 0xD9);
    EXPECT_EQ(power[27], 0xEE);
    EXPECT_EQ(power[26 + 28], 0xDD);
    // Table slots are read with a 32-bit displacement, slot 0 without one.
    const std::vector<uint8_t> slots = CodeOf(Enc("{0}{41}+"));
    const uint8_t loads[] = {0xDD, 0x00, 0xDD, 0x80, 0x48, 0x01, 0x00, 0x00, 0xDE, 0xC1};
    EXPECT_EQ(0, std::memcmp(slots.data() + 21, loads, sizeof loads));
    EXPECT_EQ(MessageOf([&] { CodeOf(Enc("uS")); }), "I did fail in analysing the function.");
    EXPECT_EQ(MessageOf([&] { CodeOf(";"); }), "I did fail in analysing the function.");
    EXPECT_EQ(MessageOf([&] { CodeOf(Enc("u") + "\xFF"); }), "I did fail in analysing the function.");
    EXPECT_EQ(MessageOf([&] { CodeOf(Enc("{254}")); }), "I did fail in analysing the function.");
}

TEST(SymbolicBlocks, TheSizeEstimateCoversTheSpillsOfEveryFunction) {
    // Seven values pending before each function: its need makes the code
    // spill, the estimate must cover those bytes, and the value stays right.
    static const SymbolicTable table = InitialSymbolicTable();
    auto run = [&](const std::string& program, double u) {
        EXPECT_LE(static_cast<int32_t>(ProgramCode(program, table).size()),
                  EstimateSymbolicBlockSize(program, SymbolicBlock::Value))
            << Show(program);
        const double args[2] = {u, 0};
        return PublishedProgram(program, table)(args, 2);
    };
    const std::string pending = Enc("{24}{25}{26}{28}{29}{30}");  // 2 + 3 + 4 - 1 - 2 - 3 = 3
    for (char code : std::string("ABCDEFGHIJKLMNOPQRTUVWXYZ#")) {
        const std::string function(1, code);
        const double alone = run(Enc("u") + function, 0.375);
        const double deep = run(pending + Enc("u") + function + "++++++", 0.375);
        EXPECT_NEAR(deep, 3 + alone, 1e-14) << code;
    }
    // The powers, also with seven values pending.
    EXPECT_NEAR(run(pending + Enc("{25}u^++++++"), 1.5), 3 + std::pow(1.5, 3), 1e-14);
    EXPECT_NEAR(run(pending + Enc("{28}u~++++++"), 4), 3.25, 1e-15);
    EXPECT_NEAR(run(pending + Enc("{32}u~++++++"), 2), 3 + 1.0 / 32, 1e-15);
}

// Constant programs are folded by interpreting their code: every sequence of
// this engine, at and beyond its edges and with seven values pending, gives
// the bits the compiled block gives.
TEST(SymbolicBlocks, TheInterpreterGivesTheBitsOfTheCompiledBlock) {
    SymbolicTable table = InitialSymbolicTable();
    const std::string pending = Enc("{24}{25}{26}{28}{29}{30}");
    std::vector<std::string> programs;
    for (char code : std::string("ABCDEFGHIJKLMNOPQRTUVWXYZ#")) {
        programs.push_back(Enc("u") + code);
        programs.push_back(pending + Enc("u") + code + "++++++");
    }
    table[41] = 2147483647;
    table[42] = -2147483648.0;
    for (const char* power : {"vu^", "vu~", "{28}u~", "{25}u^", "{41}u~", "{42}u~", "{0}u~"}) {
        programs.push_back(Enc(power));
        programs.push_back(pending + Enc(power) + "++++++");
    }
    const double points[] = {0.0, 1.0, -1.0, 0.375, -2.5, 2.0, 160.0, -800.0, 1e20};
    for (const std::string& program : programs) {
        const PublishedCode block = PublishedProgram(program, table);
        for (const double u : points) {
            const double args[2] = {u, u < 0 ? 3.0 : -2.0};
            const double run = block(args, 2);
            const double interpreted = RunX87Code(block.Bytes().data(), block.Bytes().size(), args);
            EXPECT_EQ(std::bit_cast<uint64_t>(interpreted), std::bit_cast<uint64_t>(run))
                << Show(program) << " at u = " << u << ": " << interpreted << " vs " << run;
        }
    }
    // A fold is that interpretation: 5^(-2) with folding is the constant 1/25.
    EXPECT_EQ(ValueAt("u*5^(-2)", 1, 0), 1.0 / 25);
}

}  // namespace
}  // namespace velmora::test
