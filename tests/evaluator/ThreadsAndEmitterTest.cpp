// Evaluators on concurrent threads, and the SSE2 encodings and constant pool
// of the derivative code.
#include "evaluator/JetEvaluator.h"
#include "evaluator/SseEmitter.h"
#include "formula/FormulaCompiler.h"
#include "tests/support/PublishedCode.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <thread>
#include <vector>

namespace velmora {
namespace {

const std::array<const char*, 4> kSurface = {
    "(1-0.1 cos(v)) cos(u) + 0.1 sen(u) sen(v)", "(1-0.1 cos(v)) sen(u) - 0.1 cos(u) sen(v)",
    "(1-0.4 cos(v)) cos(2u) + 0.8 sen(2u) sen(v)", "exp(u/4)*arctanh(v/3) - sqrt(2+u*v)/ln(3+v*v)"};

// One evaluator per coordinate, built from its own parser, as each thread has.
struct EvaluatorSet {
    std::array<TJetEvaluator, 4> ev;
    EvaluatorSet() {
        TFormulaCompiler parser;
        for (int i = 0; i < 4; ++i) {
            parser.ParseNewText(kSurface[static_cast<std::size_t>(i)], "uv", "", {.compile = true});
            ev[static_cast<std::size_t>(i)].Build(parser);
        }
    }
    // The twelve SecondD calls of a surface point, as the geometry makes them.
    std::vector<double> Sweep(int rows) {
        std::vector<double> out;
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < 60; ++c) {
                const double u = 0.1 * c - 3, v = 0.05 * r - 1;
                const double dirs[3][2] = {{1, 0}, {0, 1}, {1, 1}};
                for (auto& e : ev) {
                    for (const auto& d : dirs) {
                        const double args[6] = {u, v, d[0], d[1], 0, 0};
                        const Vector3 x = e.SecondD(args);
                        out.insert(out.end(), x.begin(), x.end());
                    }
                }
            }
        }
        return out;
    }
};

TEST(ThreadsTest, OneSetPerThreadGivesTheSameNumbers) {
    EvaluatorSet mainSet;
    const std::vector<double> expected = mainSet.Sweep(40);
    std::vector<double> got[2];
    {
        auto a = std::make_unique<EvaluatorSet>();
        auto b = std::make_unique<EvaluatorSet>();
        std::thread t1([&] { got[0] = a->Sweep(40); });
        std::thread t2([&] { got[1] = b->Sweep(40); });
        t1.join();
        t2.join();
    }
    ASSERT_EQ(got[0].size(), expected.size());
    ASSERT_EQ(got[1].size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        ASSERT_EQ(got[0][i], expected[i]) << i;
        ASSERT_EQ(got[1][i], expected[i]) << i;
    }
}

TEST(SseEmitterTest, EncodesRegistersMemoryAndExtendedRegisters) {
    SseEmitter e;
    e.movsd_load(9, SseOperand::At(Gpr::R14, 0x10));
    e.addsd(0, SseOperand::Xmm(12));
    e.mulsd(3, SseOperand::At(Gpr::Rbp, 8));
    e.movsd_store(Gpr::Rbx, 0x40, 10);
    e.movsd_load(2, SseOperand::Xmm(2));  // a copy to itself emits nothing
    e.movsd_load(1, SseOperand::Xmm(8));  // movapd
    const ByteArray expected = {
        0xF2, 0x45, 0x0F, 0x10, 0x8E, 0x10, 0x00, 0x00, 0x00,  // movsd xmm9, [r14+0x10]
        0xF2, 0x41, 0x0F, 0x58, 0xC4,                          // addsd xmm0, xmm12
        0xF2, 0x0F, 0x59, 0x9D, 0x08, 0x00, 0x00, 0x00,        // mulsd xmm3, [rbp+8]
        0xF2, 0x44, 0x0F, 0x11, 0x93, 0x40, 0x00, 0x00, 0x00,  // movsd [rbx+0x40], xmm10
        0x66, 0x41, 0x0F, 0x28, 0xC8,                          // movapd xmm1, xmm8
    };
    EXPECT_EQ(e.Code(), expected);
}

// A function built from the emitter alone: pool constants reached RIP-relative,
// the frame, a call with an aligned stack, and the data and argument registers.
double Twice(double x) { return 2 * x; }
void TwiceInPlace(double* t) { t[0] = Twice(t[0]); }

TEST(SseEmitterTest, RunsFramePoolAndCall) {
    std::vector<double> data(8, 0.0);
    data[3] = 0.25;
    SseEmitter e;
    e.Prologue(data.data(), 32);
    e.movsd_load(0, SseOperand::At(Gpr::R14, 8));                 // x[1]
    e.addsd(0, SseOperand::Constant(e.PoolScalar(1.5)));         // + 1.5
    e.movsd_store(Gpr::Rbp, 16, 0);
    e.CallWithFramePointer(reinterpret_cast<const void*>(&TwiceInPlace), 16);
    e.movsd_load(5, SseOperand::At(Gpr::Rbp, 16));
    e.mulsd(5, SseOperand::At(Gpr::Rbx, 3 * 8));                  // * data[3]
    e.xorpd(5, SseOperand::Constant(e.PoolSignMask()));          // negated
    e.movsd_store(Gpr::Rbx, 0, 5);                               // data[0] := result
    e.movsd_load(0, SseOperand::Xmm(5));
    e.Epilogue(32);
    StagedCode staged;
    const std::size_t entry = e.StageInto(staged);
    EXPECT_EQ(staged.Size(), static_cast<std::size_t>(e.BlockLength()));
    const test::PublishedCode f(staged, entry);
    const double args[2] = {100, 2.5};
    EXPECT_EQ(f(args, 2), -2.0);  // -((2.5 + 1.5) * 2 * 0.25)
    EXPECT_EQ(data[0], -2.0);
}

}  // namespace
}  // namespace velmora
