// Background colour maps: every pixel of a bitmap is coloured by the value of
// one invariant of the surface at the domain point under it - pink shades for
// positive values, blue shades for negative ones, darker for larger absolute
// values - so that the zero set shows as the lightest band. The rows are split
// into bands, each coloured by one worker thread (TBackgroundThread) that owns
// its engine set, its surface object and a copy of the palette.
#pragma once

#include "background/Palette.h"
#include "background/PixelView.h"
#include "platform/Colour.h"
#include "geometry/ScalarInvariants.h"
#include "platform/VelmoraTypes.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <stop_token>
#include <thread>
#include <vector>

namespace velmora {

struct TEngineSet;

// The value to colour at a domain point; UndefinedValue leaves the pixel alone.
using TColourFunction = std::function<double(const Vector2&)>;

// ---- colour mapping ------------------------------------------------------------
// Palette index of a value: 0..255 pink (dark to light) for d > 0, 256..511
// blue (light to dark) for d <= 0; the lightest entries surround zero.
int BackgroundIndex(double d);
// A palette colour becomes a bitmap pixel through PixelOfColour (platform/Colour.h).

// ---- pixel <-> domain ------------------------------------------------------------
// Column 0 is uMin, column W - 1 uMax, row 0 vMax, row H - 1 vMin:
// u = (x - qh)/cu, v = (qv - y)/cv.
struct TBackgroundTransform {
    double cu = 1, cv = 1, qh = 0, qv = 0;
};
TBackgroundTransform BackgroundTransform(int width, int height, const Vector2& min2D, const Vector2& max2D);

// ---- bands ----------------------------------------------------------------------
struct TRowBand {
    int firstRow = 0, lastRow = -1;  // inclusive; empty when lastRow < firstRow
};
// Band i of n: rows (i H) div n .. ((i + 1) H) div n - 1. Disjoint, covering 0..H-1.
std::vector<TRowBand> RowBands(int height, int n);

// ---- the colour functions of the seven background types -------------------------
// The function of a background type, evaluated with the given engine set
// through a surface object of its own; an empty function for a value outside
// the seven types. The function is for one thread only (it writes into the
// engines' data). For an invariant that vanishes on the whole domain
// (InvariantVanishes) it is 0 wherever the invariant is defined: its values
// are rounding noise, which would paint speckle.
TColourFunction BackgroundFunction(TEngineSet& engines, TBackgroundType backgroundType, bool vanishes = false);

// ---- one worker ---------------------------------------------------------------------
class TBackgroundThread {
public:
    // Called on the worker thread after Execute has returned (also after an
    // error or a termination request); the window forwards it to its own thread.
    using EndCallback = std::function<void(TBackgroundThread&)>;

    // CreateBT: a worker for rows firstRow0..lastRow0 of bm0 that colours by
    // background type `backgroundType` with the engine set `engines`. The
    // thread is created suspended: Start runs it.
    TBackgroundThread(double cu0, double cv0, double qh0, double qv0, const TPixelView& bm0, int firstRow0,
                      int lastRow0, TEngineSet& engines, TBackgroundType backgroundType);
    // The same with any colour function (empty: the worker paints nothing).
    TBackgroundThread(double cu0, double cv0, double qh0, double qv0, const TPixelView& bm0, int firstRow0,
                      int lastRow0, TColourFunction function);
    TBackgroundThread(const TBackgroundThread&) = delete;
    TBackgroundThread& operator=(const TBackgroundThread&) = delete;
    // Asks the thread to terminate and waits for it (unless it is destroyed
    // by its own end callback).
    ~TBackgroundThread();

    // Starts the thread (once); throws std::system_error when it cannot be started.
    void Start(EndCallback onTerminate = {});
    // Requests termination, from any thread, before or after Start;
    // honoured between rows.
    void Terminate() { stop_.request_stop(); }
    bool Terminated() const { return stop_.stop_requested(); }
    // Waits until the thread (and its end callback) has finished.
    void WaitFor();

    // The thread body: colours the band row by row until termination is
    // requested (checked before each row). May be called directly (without
    // Start) to colour synchronously.
    void Execute() { Execute(stop_.get_token()); }
    void Execute(std::stop_token stop);

    // Rows completely coloured by Execute so far.
    int RowsDone() const { return rowsDone_.load(std::memory_order_acquire); }

    double cu = 1, cv = 1, qh = 0, qv = 0;
    int width = 0, height = 0;
    TPixelView bm;
    int firstRow = 0, lastRow = -1;
    int tag = 0;
    Plt bckgPlt{};
    TColourFunction ff;
    // The thread fills its band white before it colours it (the caller does
    // not spend its own time on a large bitmap).
    bool whiteFirst = false;

private:
    void Run(EndCallback onTerminate);

    // Made with the worker, before its thread runs: a request from another
    // thread (Stop on the GUI thread, a sibling worker) never touches the
    // thread object while it is being started.
    std::stop_source stop_;
    std::atomic<int> rowsDone_{0};
    std::jthread thread_;
};

// ---- the workers of one background ----------------------------------------------
// Starts one worker per engine set on consecutive row bands of a pixel view
// (each worker fills its band with white first), and owns them until they
// have ended.
class TBackgroundWorkers {
public:
    TBackgroundWorkers() = default;
    TBackgroundWorkers(const TBackgroundWorkers&) = delete;
    TBackgroundWorkers& operator=(const TBackgroundWorkers&) = delete;
    ~TBackgroundWorkers();  // terminate and wait

    // Colours `view` for the domain [min2D, max2D] by the background type,
    // worker i using engines[i] and band i; onEnd(i) runs on worker i's thread
    // when it ends. Workers still running from an earlier start are asked to
    // terminate and waited for first. On an error while starting, the workers
    // started so far are stopped and the error is passed on.
    // An invariant that vanishes on the whole domain paints the colour of zero
    // wherever it is defined (Vanishing() tells it afterwards).
    void Start(const TPixelView& view, const Vector2& min2D, const Vector2& max2D, TBackgroundType type,
               const std::vector<TEngineSet*>& engines, std::function<void(int tag)> onEnd = {});
    // The same with one colour function per worker.
    void StartWithFunctions(const TPixelView& view, const Vector2& min2D, const Vector2& max2D,
                            std::vector<TColourFunction> functions, std::function<void(int tag)> onEnd = {});

    void Terminate();  // asks every worker to stop after its current row
    void Wait();       // waits for every worker
    std::size_t Count() const { return workers_.size(); }
    TBackgroundThread& Worker(std::size_t i) { return *workers_[i]; }
    // The invariant of the last Start vanishes on the whole domain.
    bool Vanishing() const { return vanishing_; }

private:
    std::vector<std::unique_ptr<TBackgroundThread>> workers_;
    bool vanishing_ = false;
};

}  // namespace velmora
