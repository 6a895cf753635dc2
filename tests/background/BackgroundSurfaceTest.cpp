// Backgrounds of a real surface: workers with their own engine sets agree
// with the main thread's surface object, bit for bit, however many there are.
#include "background/BackgroundThreads.h"
#include "formula/FormulaCompiler.h"
#include "geometry/EngineSet.h"
#include "geometry/LocalGeometry.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <vector>

namespace velmora {
namespace {

const std::array<std::string, 4> kDefaultSurface = {
    "(1-0.1 cos(v)) cos(u) + 0.1 sen(u) sen(v)", "(1-0.1 cos(v)) sen(u) - 0.1 cos(u) sen(v)",
    "(1-0.4 cos(v)) cos(2u) + 0.8 sen(2u) sen(v)", "(1-0.4 cos(v)) sen(2u) - 0.8 cos(2u) sen(v)"};
const Vector2 kLo{0, 0}, kHi{6.283185307179586, 2.2};

std::vector<std::unique_ptr<TEngineSet>> BuildSets(int n, const std::array<std::string, 4>& texts = kDefaultSurface) {
    TFormulaCompiler parser;
    std::vector<std::unique_ptr<TEngineSet>> sets;
    for (int i = 0; i < n; ++i) {
        sets.push_back(std::make_unique<TEngineSet>());
        sets.back()->Build(texts, parser);
    }
    return sets;
}

std::vector<uint32_t> Render(int type, int threads, int w, int h, const std::array<std::string, 4>& texts = kDefaultSurface,
                             Vector2 lo = kLo, Vector2 hi = kHi) {
    auto sets = BuildSets(threads, texts);
    std::vector<TEngineSet*> raw;
    for (auto& s : sets) raw.push_back(s.get());
    std::vector<uint32_t> pixels(static_cast<std::size_t>(w) * h, 0);
    TBackgroundWorkers workers;
    workers.Start({reinterpret_cast<uint8_t*>(pixels.data()), w * 4, w, h}, lo, hi, static_cast<TBackgroundType>(type), raw);
    workers.Wait();
    return pixels;
}

TEST(BackgroundSurface, GaussCurvatureFromOneAndTwoWorkersIsTheSamePicture) {
    const auto one = Render(3, 1, 137, 548);
    const auto two = Render(3, 2, 137, 548);
    EXPECT_TRUE(one == two);
}

TEST(BackgroundSurface, PixelsMatchTheMainThreadsInvariants) {
    const int w = 23, h = 17;
    auto sets = BuildSets(1);
    TLocalGeometry surface(*sets[0]);
    const TBackgroundTransform t = BackgroundTransform(w, h, kLo, kHi);
    const Plt& pal = BackgroundPalette();
    for (int type : {0, 1, 2, 3, 4, 5, 6}) {
        const auto pixels = Render(type, 2, w, h);
        int painted = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const Vector2 p = {(x - t.qh) / t.cu, (t.qv - y) / t.cv};
                double d = 0;
                switch (type) {
                    case 0: d = surface.DepthOfOrigin(p); break;
                    case 1: d = surface.JBdotC(p); break;
                    case 2: d = surface.AngleHEllipse(p); break;
                    case 3: d = surface.GaussCurvature(p); break;
                    case 4: d = surface.DiscriminantExtremalNormDevDirs(p); break;
                    case 5: d = surface.DiscriminantExtremalLatDevDirs(p); break;
                    case 6: d = surface.DiscriminantStrongPrincipalLines(p); break;
                }
                const uint32_t pixel = pixels[static_cast<std::size_t>(y) * w + x];
                if (d == UndefinedValue) {
                    EXPECT_EQ(pixel, 0xFFFFFFFFu) << type;
                    continue;
                }
                if (type == 2) d = std::fabs(d);
                ++painted;
                // The same invariant up to rounding: the index may differ by
                // one where the value sits on a rounding tie.
                const int index = BackgroundIndex(d);
                bool near = false;
                for (int k = std::max(0, index - 1); k <= std::min(511, index + 1); ++k)
                    near = near || pixel == PixelOfColour(pal[k]);
                EXPECT_TRUE(near) << "type " << type << " at " << x << "," << y;
            }
        EXPECT_GT(painted, w * h / 2) << type;
    }
}

TEST(BackgroundSurface, HugeValuesTakeTheDarkestColours) {
    // The graph of z = 1e153 u v has Gauss curvature -1e306 at the origin
    // (the bottom-left pixel): 255 |2K| overflows the double range there.
    const std::array<std::string, 4> saddle = {"u", "v", "10^153 u v", "0"};
    const int w = 8, h = 8;
    const auto pixels = Render(3, 2, w, h, saddle, {0, 0}, {1, 1});
    EXPECT_EQ(pixels[(h - 1) * w + 0], PixelOfColour(BackgroundPalette()[511]));
    for (uint32_t p : pixels) EXPECT_NE(p, 0u);  // every pixel painted or left white
}

TEST(BackgroundSurface, AnInvariantThatVanishesEverywhereIsPaintedInTheColourOfZero) {
    // The complex curve (z, z^2) has a circle for curvature ellipse at every
    // point: the discriminants of the deviation and strong principal
    // directions are identically zero, their computed values rounding noise.
    const std::array<std::string, 4> complexCurve = {"u", "v", "u^2-v^2", "2 u v"};
    const int w = 24, h = 24;
    const uint32_t zero = PixelOfColour(BackgroundPalette()[BackgroundIndex(0)]);
    for (int type : {4, 5, 6}) {
        const auto pixels = Render(type, 2, w, h, complexCurve, {-1, -1}, {1, 1});
        int painted = 0;
        for (uint32_t p : pixels) {
            if (p == 0xFFFFFFFFu) continue;
            EXPECT_EQ(p, zero) << "type " << type;
            ++painted;
        }
        EXPECT_GT(painted, w * h / 2) << type;
    }
    // Its Gauss curvature -4 / (1 + 4|z|^2)^2 does not vanish and keeps its shades.
    const auto gauss = Render(3, 2, w, h, complexCurve, {-1, -1}, {1, 1});
    EXPECT_NE(gauss.front(), gauss[static_cast<std::size_t>(h / 2) * w + w / 2]);
    EXPECT_NE(gauss[static_cast<std::size_t>(h / 2) * w + w / 2], zero);
}

TEST(BackgroundSurface, DegenerateRowsStayWhiteAndUnknownTypesPaintNothing) {
    // f_v vanishes on v = 0: the metric is degenerate on that row.
    const std::array<std::string, 4> cone = {"v cos(u)", "v sen(u)", "v", "0"};
    const int w = 9, h = 5;
    const auto pixels = Render(3, 1, w, h, cone, {0, 0}, {1, 1});
    for (int x = 0; x < w; ++x) EXPECT_EQ(pixels[(h - 1) * w + x], 0xFFFFFFFFu);  // row h-1 is v = 0
    for (int x = 0; x < w; ++x) EXPECT_NE(pixels[0 * w + x], 0xFFFFFFFFu);

    auto sets = BuildSets(1);
    EXPECT_FALSE(static_cast<bool>(BackgroundFunction(*sets[0], static_cast<TBackgroundType>(7))));
    EXPECT_FALSE(static_cast<bool>(BackgroundFunction(*sets[0], static_cast<TBackgroundType>(-1))));
    const auto blank = Render(9, 1, 4, 4);
    for (uint32_t p : blank) EXPECT_EQ(p, 0xFFFFFFFFu);
}

}  // namespace
}  // namespace velmora
