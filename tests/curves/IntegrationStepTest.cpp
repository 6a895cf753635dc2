// The integration step of the line tracers on direction fields whose
// integral curves are known in closed form.
#include "curves/IntegrationStep.h"

#include <gtest/gtest.h>

#include <cmath>

namespace velmora {
namespace {

// The rotation field (-v, u): its integral curves are circles about the
// origin, traced at unit speed on the unit circle.
uint8_t Rotation(const Vector2& p, Vector2& k) {
    k = {-p[1], p[0]};
    return 1;
}

TEST(IntegrationStep, AStepAlongTheRotationFieldFollowsTheCircle) {
    for (const double h : {0.1, 0.05, 0.025}) {
        TThreeStageStep step(TCubicRounding::Quotients);
        ASSERT_EQ(step.Stages({1, 0}, h, Rotation), 1);
        // The stages, by hand: k1 = (0, 1) at (1, 0), k2 at (1, h), k3 at
        // (1 - h^2/4, h/2).
        EXPECT_EQ(step.k1(), (Vector2{0, 1}));
        EXPECT_EQ(step.k3(), (Vector2{-h / 2, 1 - h * h / 4}));
        double length = 0;
        const Vector2 end = step.End({1, 0}, h, length);
        // Third order: the end is on the arc of angle h up to O(h^4).
        EXPECT_NEAR(end[0], std::cos(h), 0.05 * h * h * h * h);
        EXPECT_NEAR(end[1], std::sin(h), 0.05 * h * h * h * h);
        EXPECT_NEAR(length, std::fabs(end[0] - 1) + std::fabs(end[1]), 1e-15);
        // The error estimate |h (2 k3 - k1 - k2)|: (2 k3 - k1 - k2) = (0, -h^2/2).
        EXPECT_NEAR(step.Error(h), h * h * h / 2, 1e-15);
    }
}

TEST(IntegrationStep, TheCubicStartsAlongK1AndEndsAtTheStepsEnd) {
    const auto field = [](const Vector2& p, Vector2& k) -> uint8_t {
        k = {1 + p[1] * p[1], std::sin(p[0])};
        return 2;
    };
    for (const TCubicRounding rounding : {TCubicRounding::Quotients, TCubicRounding::Products}) {
        TThreeStageStep step(rounding);
        const Vector2 saved{0.3, -0.2};
        const double h = 0.07;
        ASSERT_EQ(step.Stages(saved, h, field), 2);
        double length = 0;
        const Vector2 end = step.End(saved, h, length);
        EXPECT_EQ(step.Interpolate(saved, h, 0), saved);
        const Vector2 last = step.Interpolate(saved, h, 1);
        EXPECT_NEAR(last[0], end[0], 1e-15);
        EXPECT_NEAR(last[1], end[1], 1e-15);
        // The slope at s = 0 is h k1 (a central difference of the cubic).
        const double ds = 1e-6;
        const Vector2 a = step.Interpolate(saved, h, ds), b = step.Interpolate(saved, h, -ds);
        EXPECT_NEAR((a[0] - b[0]) / (2 * ds), h * step.k1()[0], 1e-8);
        EXPECT_NEAR((a[1] - b[1]) / (2 * ds), h * step.k1()[1], 1e-8);
    }
    // The two roundings are one cubic: they differ at most in the last bits.
    TThreeStageStep q(TCubicRounding::Quotients), p(TCubicRounding::Products);
    q.Stages({0.3, -0.2}, 0.07, field);
    p.Stages({0.3, -0.2}, 0.07, field);
    for (int j = 1; j <= 9; ++j) {
        const Vector2 x = q.Interpolate({0.3, -0.2}, 0.07, j / 9.0), y = p.Interpolate({0.3, -0.2}, 0.07, j / 9.0);
        EXPECT_NEAR(x[0], y[0], 1e-15);
        EXPECT_NEAR(x[1], y[1], 1e-15);
    }
}

TEST(IntegrationStep, AStageWithoutDirectionFailsTheStep) {
    int calls = 0;
    const auto failsSecond = [&](const Vector2& p, Vector2& k) -> uint8_t {
        k = {1, 0};
        return ++calls == 2 ? 0 : 1;
    };
    TThreeStageStep step(TCubicRounding::Products);
    EXPECT_EQ(step.Stages({0, 0}, 0.1, failsSecond), 0);
    EXPECT_EQ(calls, 2);  // the third stage is not evaluated
}

TEST(IntegrationStep, StepFactorAndMargin) {
    // 0.8 (1e-4 / e)^(1/3), clamped.
    EXPECT_DOUBLE_EQ(StepFactor(1e-4, 0.5, 2), 0.8);
    EXPECT_DOUBLE_EQ(StepFactor(1e-4 / 8, 0.5, 2), 1.6);
    EXPECT_EQ(StepFactor(1e-12, 0.5, 2), 2);
    EXPECT_EQ(StepFactor(1, 0.5, 2), 0.5);
    EXPECT_EQ(StepFactor(1e20, 0.1, 5), 0.1);
    // The distance to the nearer side of [-1, 1] x [0, 4], negative outside.
    const Vector2 center{0, 2}, half{1, 2};
    EXPECT_EQ(Margin({0.5, 2}, center, half), 0.5);
    EXPECT_EQ(Margin({0, 3.75}, center, half), 0.25);
    EXPECT_EQ(Margin({-1, 1}, center, half), 0);
    EXPECT_EQ(Margin({1.5, 2}, center, half), -0.5);
    EXPECT_EQ(Margin({0, -1}, center, half), -1);
}

}  // namespace
}  // namespace velmora
