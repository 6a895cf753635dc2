// Colour mapping, palette, bands and worker threads of the backgrounds, with
// colour functions whose values are known exactly.
#include "background/BackgroundThreads.h"
#include "background/Palette.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

namespace velmora {
namespace {

constexpr uint32_t kWhite = 0xFFFFFFFFu;

// A bitmap with padded rows, so that writes past the width would show.
struct Bitmap {
    int width, height, pitch;
    std::vector<uint32_t> pixels;
    Bitmap(int w, int h, int pad = 3) : width(w), height(h), pitch(w + pad), pixels(static_cast<std::size_t>(pitch) * h, 0x12345678u) {}
    TPixelView View() {
        return {reinterpret_cast<uint8_t*>(pixels.data()), static_cast<std::ptrdiff_t>(pitch) * 4, width, height};
    }
    uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * pitch + x]; }
    bool PaddingUntouched() const {
        for (int y = 0; y < height; ++y)
            for (int x = width; x < pitch; ++x)
                if (At(x, y) != 0x12345678u) return false;
        return true;
    }
};

TEST(BackgroundPalette, EntriesAtBothEndsAndAroundZero) {
    // Hand-evaluated HLS: entry 0 = HLS(0, 0.9, 0.05), 255 = HLS(0, 0.9, 0.95),
    // 256 = HLS(0.5, 0.9, 0.95), 511 = HLS(0.5, 0.9, 0.05); red in the low byte.
    const Plt& p = BackgroundPalette();
    EXPECT_EQ(p[0], 0x010118u);
    EXPECT_EQ(p[255], 0xE7E7FEu);
    EXPECT_EQ(p[256], 0xFEFEE7u);
    EXPECT_EQ(p[511], 0x181801u);
    // Pink half: red dominates; blue half: green and blue dominate.
    for (int i = 0; i < 256; ++i) {
        EXPECT_GE(p[i] & 0xFF, (p[i] >> 8) & 0xFF) << i;
        EXPECT_LE(p[511 - i] & 0xFF, (p[511 - i] >> 16) & 0xFF) << i;
    }
    // Lighter towards the middle.
    for (int i = 1; i < 256; ++i) EXPECT_GE((p[i] >> 8) & 0xFF, (p[i - 1] >> 8) & 0xFF) << i;
}

TEST(BackgroundColour, IndexOfValues) {
    EXPECT_EQ(BackgroundIndex(0.0), 256);    // zero is the lightest blue
    EXPECT_EQ(BackgroundIndex(-0.0), 256);
    EXPECT_EQ(BackgroundIndex(1e-300), 255);  // a tiny positive value the lightest pink
    EXPECT_EQ(BackgroundIndex(0.5), 128);    // g = 127.5: 127.5 rounds to even
    EXPECT_EQ(BackgroundIndex(-0.5), 384);   // 383.5 rounds to even
    EXPECT_EQ(BackgroundIndex(1.0), 85);     // g = 170
    EXPECT_EQ(BackgroundIndex(-1.0), 426);
    EXPECT_EQ(BackgroundIndex(1e9), 0);
    EXPECT_EQ(BackgroundIndex(-1e9), 511);
    EXPECT_EQ(BackgroundIndex(254.4), 1);
    EXPECT_EQ(BackgroundIndex(254.6), 0);
    EXPECT_EQ(BackgroundIndex(1e308), 0);
    // 255 |2d| overflows from about 3.5e305 on: the limits, not INT_MIN / INT_MAX.
    EXPECT_EQ(BackgroundIndex(5e305), 0);
    EXPECT_EQ(BackgroundIndex(-5e305), 511);
    EXPECT_EQ(BackgroundIndex(std::numeric_limits<double>::max() / 2), 0);
    EXPECT_EQ(BackgroundIndex(std::numeric_limits<double>::infinity()), 0);
    EXPECT_EQ(BackgroundIndex(-std::numeric_limits<double>::infinity()), 511);
    for (double d = -300; d < 300; d += 0.37) {
        const int i = BackgroundIndex(d);
        EXPECT_GE(i, 0);
        EXPECT_LE(i, 511);
        EXPECT_EQ(i < 256, d > 0) << d;
    }
}

TEST(BackgroundColour, PixelSwapsRedAndBlueAndSetsAlpha) {
    EXPECT_EQ(PixelOfColour(0x00332211u), 0xFF112233u);
    EXPECT_EQ(PixelOfColour(0x010118u), 0xFF180101u);
}

TEST(BackgroundBands, RowsOfTheMainPanel) {
    auto one = RowBands(548, 1);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].firstRow, 0);
    EXPECT_EQ(one[0].lastRow, 547);
    auto four = RowBands(548, 4);
    ASSERT_EQ(four.size(), 4u);
    const int expected[4][2] = {{0, 136}, {137, 273}, {274, 410}, {411, 547}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(four[i].firstRow, expected[i][0]);
        EXPECT_EQ(four[i].lastRow, expected[i][1]);
    }
    // Any count: disjoint, consecutive, covering, sizes within one row.
    for (int n : {2, 3, 5, 7, 16, 600}) {
        auto bands = RowBands(548, n);
        int next = 0, smallest = 1 << 30, largest = 0;
        for (const auto& b : bands) {
            EXPECT_EQ(b.firstRow, next);
            next = b.lastRow + 1;
            smallest = std::min(smallest, b.lastRow - b.firstRow + 1);
            largest = std::max(largest, b.lastRow - b.firstRow + 1);
        }
        EXPECT_EQ(next, 548) << n;
        EXPECT_LE(largest - smallest, 1) << n;
    }
    EXPECT_TRUE(RowBands(548, 0).empty());
}

TEST(BackgroundTransform, CornersOfTheBitmapAreTheCornersOfTheDomain) {
    const Vector2 lo{-1.5, 0.25}, hi{4.5, 2.2};
    const TBackgroundTransform t = BackgroundTransform(548, 300, lo, hi);
    EXPECT_NEAR((0 - t.qh) / t.cu, lo[0], 1e-14);
    EXPECT_NEAR((547 - t.qh) / t.cu, hi[0], 1e-14);
    EXPECT_NEAR((t.qv - 0) / t.cv, hi[1], 1e-14);
    EXPECT_NEAR((t.qv - 299) / t.cv, lo[1], 1e-14);
}

TEST(BackgroundWorker, PaintsExactPalettePixels) {
    // f = u on [-1, 1] x [0, 1] with 3 columns: u = -1, 0, 1 exactly.
    Bitmap bmp(3, 4);
    TBackgroundWorkers workers;
    workers.StartWithFunctions(bmp.View(), {-1, 0}, {1, 1}, {[](const Vector2& p) { return p[0]; }});
    workers.Wait();
    const Plt& pal = BackgroundPalette();
    for (int y = 0; y < 4; ++y) {
        EXPECT_EQ(bmp.At(0, y), PixelOfColour(pal[426]));
        EXPECT_EQ(bmp.At(1, y), PixelOfColour(pal[256]));
        EXPECT_EQ(bmp.At(2, y), PixelOfColour(pal[85]));
    }
    EXPECT_TRUE(bmp.PaddingUntouched());

    Bitmap extremes(2, 1);
    workers.StartWithFunctions(extremes.View(), {0, 0}, {1, 1},
                               {[](const Vector2& p) { return p[0] == 0 ? 1e9 : -1e9; }});
    workers.Wait();
    EXPECT_EQ(extremes.At(0, 0), 0xFF180101u);  // darkest red
    EXPECT_EQ(extremes.At(1, 0), 0xFF011818u);  // darkest blue
}

TEST(BackgroundWorker, UndefinedValuesLeaveWhitePixels) {
    Bitmap bmp(20, 10);
    TBackgroundWorkers workers;
    // Undefined on rows whose v < 0.5 and in one column; NaN never paints either.
    workers.StartWithFunctions(bmp.View(), {0, 0}, {1, 1}, {[](const Vector2& p) {
                                   if (p[1] < 0.5) return UndefinedValue;
                                   if (p[0] == 0) return std::nan("");
                                   return p[0] - 0.5;
                               }});
    workers.Wait();
    const TBackgroundTransform t = BackgroundTransform(20, 10, {0, 0}, {1, 1});
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x) {
            const bool undefined = (t.qv - y) / t.cv < 0.5 || x == 0;
            EXPECT_EQ(bmp.At(x, y) == kWhite, undefined) << x << "," << y;
        }
    // An empty function (a type without a function) paints nothing.
    Bitmap blank(5, 5);
    workers.StartWithFunctions(blank.View(), {0, 0}, {1, 1}, {TColourFunction{}, TColourFunction{}});
    workers.Wait();
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(blank.At(x, y), kWhite);
}

TEST(BackgroundWorker, OneTwoAndThreeWorkersPaintTheSamePicture) {
    auto f = [](const Vector2& p) { return std::sin(3 * p[0]) * std::cos(2 * p[1]) - 0.1 * p[0] * p[1]; };
    const Vector2 lo{0, 0}, hi{6.283185307179586, 2.2};
    std::vector<uint32_t> reference;
    for (int n = 1; n <= 3; ++n) {
        Bitmap bmp(97, 61);
        TBackgroundWorkers workers;
        workers.StartWithFunctions(bmp.View(), lo, hi, std::vector<TColourFunction>(n, f));
        workers.Wait();
        EXPECT_TRUE(bmp.PaddingUntouched());
        if (n == 1) {
            reference = bmp.pixels;
        } else {
            EXPECT_TRUE(bmp.pixels == reference) << n << " workers";
        }
    }
}

TEST(BackgroundWorker, EndCallbackRunsOncePerWorkerOnItsThread) {
    Bitmap bmp(10, 9);
    std::mutex m;
    std::multiset<int> tags;
    std::set<std::thread::id> threads;
    {
        TBackgroundWorkers workers;
        workers.StartWithFunctions(bmp.View(), {0, 0}, {1, 1},
                                   std::vector<TColourFunction>(3, [](const Vector2& p) { return p[0]; }),
                                   [&](int tag) {
                                       std::lock_guard<std::mutex> lock(m);
                                       tags.insert(tag);
                                       threads.insert(std::this_thread::get_id());
                                   });
        workers.Wait();
    }
    EXPECT_EQ(tags, (std::multiset<int>{0, 1, 2}));
    EXPECT_EQ(threads.count(std::this_thread::get_id()), 0u);
}

TEST(BackgroundWorker, TerminationLeavesWholeRows) {
    const int w = 50, h = 40;
    Bitmap bmp(w, h);
    TBackgroundWorkers workers;
    std::atomic<int> calls{0};
    // Worker 0 asks everybody to stop in the middle of its fourth row.
    auto f = [&](const Vector2& p) {
        if (calls.fetch_add(1) == 3 * w + w / 2) workers.Terminate();
        return p[0] + 0.1;
    };
    std::vector<TColourFunction> fs = {f, [](const Vector2& p) { return p[0] + 0.1; }};
    workers.StartWithFunctions(bmp.View(), {0, 0}, {1, 1}, fs);
    workers.Wait();
    const auto bands = RowBands(h, 2);
    for (int i = 0; i < 2; ++i) {
        bool whiteSeen = false;
        for (int y = bands[i].firstRow; y <= bands[i].lastRow; ++y) {
            int white = 0;
            for (int x = 0; x < w; ++x) white += bmp.At(x, y) == kWhite;
            EXPECT_TRUE(white == 0 || white == w) << "row " << y << " is partly painted";
            if (white == w) whiteSeen = true;
            if (whiteSeen) {
                EXPECT_EQ(white, w) << "painted row " << y << " after a white one";
            }
        }
    }
    EXPECT_EQ(workers.Worker(0).RowsDone(), 4);
    EXPECT_TRUE(bmp.PaddingUntouched());
}

TEST(BackgroundWorker, AnErrorEndsTheBandButTheEndCallbackStillRuns) {
    Bitmap bmp(8, 6);
    std::atomic<int> ended{0};
    TBackgroundWorkers workers;
    workers.StartWithFunctions(bmp.View(), {0, 0}, {1, 1}, {[](const Vector2& p) -> double {
                                   if (p[1] < 0.5) throw std::runtime_error("fault");
                                   return 1.0;
                               }},
                               [&](int) { ++ended; });
    workers.Wait();
    EXPECT_EQ(ended.load(), 1);
    const TBackgroundTransform t = BackgroundTransform(8, 6, {0, 0}, {1, 1});
    for (int y = 0; y < 6; ++y) {
        const bool painted = (t.qv - y) / t.cv >= 0.5;
        EXPECT_EQ(bmp.At(0, y) != kWhite, painted) << y;
    }
}

TEST(BackgroundWorker, RestartStopsTheEarlierWorkersAndDestructionJoins) {
    Bitmap bmp(200, 200);
    TBackgroundWorkers workers;
    auto slow = [](const Vector2& p) {
        double s = 0;
        for (int i = 0; i < 2000; ++i) s += std::sin(p[0] + i);
        return s;
    };
    workers.StartWithFunctions(bmp.View(), {0, 0}, {1, 1}, {slow, slow});
    workers.StartWithFunctions(bmp.View(), {0, 0}, {1, 1}, {[](const Vector2&) { return 0.0; }});
    workers.Wait();
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 200; ++x) ASSERT_EQ(bmp.At(x, y), PixelOfColour(BackgroundPalette()[256]));
    // A running worker destroyed early is stopped and joined.
    auto worker = std::make_unique<TBackgroundThread>(1, 1, 0, 0, bmp.View(), 0, 199, slow);
    worker->Start();
    worker.reset();
    SUCCEED();
}

}  // namespace
}  // namespace velmora
