#include "background/BackgroundThreads.h"

#include "platform/Platform.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <utility>

namespace velmora {

int BackgroundIndex(double d) {
    const double w = 2 * d;
    const double a = std::fabs(w);
    // g = 255 |w| / (|w| + 1) runs from 0 to just below 255. Where 255 |w|
    // overflows (|d| above about 3.5e305, or infinite) g takes its limit 255
    // instead of inf/finite or inf/inf.
    const double scaled = 255 * a;
    const double g = std::isinf(scaled) ? 255.0 : scaled / (a + 1);
    const int index = w > 0 ? RoundHalfEven(255 - g) : RoundHalfEven(256 + g);
    return std::clamp(index, 0, 511);
}

TBackgroundTransform BackgroundTransform(int width, int height, const Vector2& min2D, const Vector2& max2D) {
    TBackgroundTransform t;
    t.cu = (width - 1) / (max2D[0] - min2D[0]);
    t.cv = (height - 1) / (max2D[1] - min2D[1]);
    t.qh = -t.cu * min2D[0];
    t.qv = t.cv * max2D[1];
    return t;
}

std::vector<TRowBand> RowBands(int height, int n) {
    std::vector<TRowBand> bands;
    if (n < 1) return bands;
    bands.resize(n);
    const long long h = std::max(height, 0);
    for (int i = 0; i < n; ++i) {
        bands[i].firstRow = static_cast<int>(i * h / n);
        bands[i].lastRow = static_cast<int>((i + 1) * h / n) - 1;
    }
    return bands;
}

// ---- TBackgroundThread ------------------------------------------------------------

TBackgroundThread::TBackgroundThread(double cu0, double cv0, double qh0, double qv0, const TPixelView& bm0,
                                     int firstRow0, int lastRow0, TColourFunction function)
    : cu(cu0), cv(cv0), qh(qh0), qv(qv0), width(bm0.width), height(bm0.height), bm(bm0),
      firstRow(firstRow0), lastRow(lastRow0), bckgPlt(BackgroundPalette()), ff(std::move(function)) {}

TBackgroundThread::~TBackgroundThread() {
    Terminate();
    // Destroyed from its own end callback: the thread only returns from here
    // on. Otherwise the jthread joins it.
    if (thread_.joinable() && thread_.get_id() == std::this_thread::get_id()) thread_.detach();
}

void TBackgroundThread::Start(EndCallback onTerminate) {
    if (thread_.joinable()) return;  // started once only
    thread_ = StartThread([this, cb = std::move(onTerminate)]() mutable { Run(std::move(cb)); });
}

void TBackgroundThread::WaitFor() {
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

void TBackgroundThread::Run(EndCallback onTerminate) {
    if (whiteFirst && bm.Valid()) {
        // The whole band, also when a stop came before the first row.
        const int last = std::min(lastRow, bm.height - 1);
        for (int y = std::max(firstRow, 0); y <= last; ++y) std::fill_n(bm.Row(y), bm.width, 0xFFFFFFFFu);
    }
    try {
        Execute(stop_.get_token());
    } catch (...) {
        // An error ends the colouring; the rows not yet done stay as they are.
    }
    if (onTerminate) {
        try {
            onTerminate(*this);
        } catch (...) {
            // Nothing may leave the thread function.
        }
    }
}

void TBackgroundThread::Execute(std::stop_token stop) {
    if (!ff || !bm.Valid()) return;
    const int first = std::max(firstRow, 0);
    const int last = std::min(lastRow, std::min(height, bm.height) - 1);
    const int columns = std::min(width, bm.width);
    for (int y = first; y <= last; ++y) {
        if (stop.stop_requested()) return;
        const double v = (qv - y) / cv;
        uint32_t* row = bm.Row(y);
        for (int x = 0; x < columns; ++x) {
            const double d = ff(Vector2{(x - qh) / cu, v});
            if (d == UndefinedValue || std::isnan(d)) continue;  // left as it is (white)
            row[x] = PixelOfColour(bckgPlt[BackgroundIndex(d)]);
        }
        rowsDone_.fetch_add(1, std::memory_order_release);
    }
}

// ---- TBackgroundWorkers -----------------------------------------------------------

TBackgroundWorkers::~TBackgroundWorkers() {
    Terminate();
    Wait();
}

void TBackgroundWorkers::Terminate() {
    for (auto& w : workers_) w->Terminate();
}

void TBackgroundWorkers::Wait() {
    for (auto& w : workers_) w->WaitFor();
}

void TBackgroundWorkers::StartWithFunctions(const TPixelView& view, const Vector2& min2D, const Vector2& max2D,
                                            std::vector<TColourFunction> functions,
                                            std::function<void(int tag)> onEnd) {
    Terminate();
    Wait();
    workers_.clear();
    if (!view.Valid() || functions.empty()) return;

    const TBackgroundTransform t = BackgroundTransform(view.width, view.height, min2D, max2D);

    const int n = static_cast<int>(functions.size());
    const std::vector<TRowBand> bands = RowBands(view.height, n);
    try {
        for (int i = 0; i < n; ++i) {
            workers_.push_back(std::make_unique<TBackgroundThread>(t.cu, t.cv, t.qh, t.qv, view, bands[i].firstRow,
                                                                   bands[i].lastRow, std::move(functions[i])));
            workers_.back()->tag = i;
            workers_.back()->whiteFirst = true;
        }
        for (auto& w : workers_) {
            if (onEnd)
                w->Start([onEnd](TBackgroundThread& self) { onEnd(self.tag); });
            else
                w->Start();
        }
    } catch (...) {
        Terminate();
        Wait();
        workers_.clear();
        throw;
    }
}

}  // namespace velmora
