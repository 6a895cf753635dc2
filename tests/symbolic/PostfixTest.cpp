// Postfix conversion: removal of neutral terms and factors, the order of the
// program, and the folding of constant sub-programs into table slots, shown
// by the instructions of the compiled blocks.
#include "SymbolicTestSupport.h"
#include "tests/formula/X87CodeBytes.h"

#include <algorithm>
#include <cmath>

namespace velmora::test {
namespace {

const Bytes kLoadU = {0xDD, 0x02};     // fld qword [rdx]
const Bytes kMultiply = {0xDE, 0xC9};  // fmulp

TEST(SymbolicPostfix, NeutralTermsAndFactorsDisappear) {
    EXPECT_EQ(Body("u+0"), Body("u"));
    EXPECT_EQ(Body("0+u"), Body("u"));
    EXPECT_EQ(Body("0+0"), Body("0"));
    EXPECT_EQ(Body("u*1"), Body("u"));
    EXPECT_EQ(Body("1*u"), Body("u"));
    EXPECT_EQ(Body("u*0"), Body("0"));
    EXPECT_EQ(Body("0*u"), Body("0"));
    EXPECT_EQ(Body("u^1"), Body("u"));
    EXPECT_EQ(Body("u^0"), Body("1"));
    EXPECT_EQ(Body("((u+v))*((v))"), Body("(u+v)*v"));
    EXPECT_EQ(Body("u"), Cat({kLoadU, kEpilogue}));
    // Operands in order, each operator after its operands: u cos v sin u * +.
    EXPECT_NEAR(ValueAt("cos(u)+sin(v)*u", 0.5, 2), std::cos(0.5) + std::sin(2.0) * 0.5, 1e-15);
}

TEST(SymbolicPostfix, ProductsNestToTheRightSoOnlyTrailingConstantsFold) {
    EXPECT_EQ(Body("u*(2+3)"), Body("u*5"));  // 2+3 folds to the predefined 5
    // 2*3 folds to 6, which takes the first free slot, 41.
    EXPECT_EQ(Body("u*2*3"), Cat({kLoadU, LoadSlot(41), kMultiply, kEpilogue}));
    // Leading constants stay: 2, 3 and u are multiplied in the code.
    EXPECT_EQ(Body("2*3*u"), Cat({LoadSlot(24), LoadSlot(25), kLoadU, kMultiply, kMultiply, kEpilogue}));
    // A folded value already in the table is reused: both products read slot 41.
    const Bytes twice = Body("u*2*3+v*3*2");
    const Bytes load41 = LoadSlot(41), load42 = LoadSlot(42);
    EXPECT_EQ(std::search(twice.begin(), twice.end(), load42.begin(), load42.end()), twice.end());
    const auto first = std::search(twice.begin(), twice.end(), load41.begin(), load41.end());
    ASSERT_NE(first, twice.end());
    EXPECT_NE(std::search(first + 1, twice.end(), load41.begin(), load41.end()), twice.end());
}

TEST(SymbolicPostfix, FoldsToZeroOrOneDropTheirTermOrFactor) {
    EXPECT_EQ(Body("u*(2-1)"), Body("u"));
    EXPECT_EQ(Body("u+(2-2)"), Body("u"));
    EXPECT_EQ(Body("u*cos(0)"), Body("u"));
    // A first factor that folds to 0 ends the product before the rest is
    // converted: the sine of 2 in the rest takes no slot, so the sine of 3
    // folded after it takes slot 41.
    EXPECT_EQ(Body("(1-1)*u*sin(2)"), Body("0"));
    EXPECT_EQ(Body("(1-1)*u*sin(2)+u*sin(3)"), Cat({kLoadU, LoadSlot(41), kMultiply, kEpilogue}));
    EXPECT_NEAR(ValueAt("u*sin(2)", 1, 0), std::sin(2.0), 1e-16);
    EXPECT_EQ(Body("u*sin(2)"), Cat({kLoadU, LoadSlot(41), kMultiply, kEpilogue}));
}

TEST(SymbolicPostfixFolding, WithoutVariablesNothingIsFolded) {
    TSymbolicPartials f;
    f.ParseNewText("2*3", "", "", {.compile = true});
    EXPECT_EQ(BlockBody(f), Cat({LoadSlot(24), LoadSlot(25), kMultiply, kEpilogue}));
    f.ParseNewText("2*3", "u", "", {.compile = true});
    EXPECT_EQ(BlockBody(f), Cat({LoadSlot(41), kEpilogue}));
    // Parameters are never folded: their values change after compilation.
    f.ParseNewText("u*t*2*3", "u", "t", {.compile = true});
    EXPECT_EQ(BlockBody(f), Cat({kLoadU, LoadSlot(12), LoadSlot(41), kMultiply, kMultiply, kEpilogue}));
    f.UpdateParameters({0.5});
    const double u = 4;
    EXPECT_EQ(f.EvaluateFF(0, 0, 0, &u), 12);
}

}  // namespace
}  // namespace velmora::test
