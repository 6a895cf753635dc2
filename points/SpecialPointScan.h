// TSpecialPointScan: finds the special points of the fields of a line class
// over a rectangle of the domain, on worker threads, one per engine set (the
// pattern of the background workers: each worker owns its engine set and a
// TLocalGeometry bound to it; a std::stop_token ends the work; progress is
// counted as it goes; the end is told through a callback on a worker thread,
// which a window forwards to its own thread).
//
// The work, in three passes that every worker takes part in:
//  1. Scan: the equations of each kind at the vertices of a grid (548 cells a
//     side by default, one per pixel of the main panel), each worker on its
//     band of rows. Cells where both equations of a kind change sign or nearly
//     vanish are candidates; vertices where the metric is degenerate are kept.
//     Between passes: a kind whose equation vanishes within rounding on the
//     whole domain is not looked for as points but as a curve (the zero set
//     of its other equation) or as the whole domain.
//  2. Refine: Newton's method takes each candidate onto a zero (the workers
//     share the list). Between passes: duplicates are merged; zeros where the
//     Jacobian is singular that follow one another along a curve become a
//     set with its polyline, never thousands of points; the points are capped.
//  3. Measure: the index and separatrices of each point's field, on loops
//     smaller than the distance to the nearest other point.
// Then the first worker traces the curves of pass 1 and completes the result.
#pragma once

#include "geometry/EngineSet.h"
#include "geometry/LineClass.h"
#include "platform/VelmoraTypes.h"
#include "points/SpecialPoint.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <stop_token>
#include <vector>

namespace velmora {

inline constexpr int kSpecialPointCells = 548;

struct TSpecialPointOptions {
    int cells = kSpecialPointCells;         // grid cells per side of the rectangle (2 to 4096)
    std::size_t maxPoints = kMaxSpecialPoints;  // isolated points kept at most
};

struct TSpecialPointProgress {
    int rowsDone = 0, rows = 0;        // grid rows scanned
    int refined = 0, candidates = 0;   // candidates taken onto a zero
    int measured = 0, toMeasure = 0;   // points whose field was measured
    // The share done, 0..1: the scan counts for 60%, the other passes 20% each.
    double Fraction() const;
};

class TSpecialPointScan {
public:
    // Called once on a worker thread when the result is complete (also after
    // a stop request): a window forwards it to its own thread.
    using TDone = std::function<void()>;

    TSpecialPointScan();
    // Asks the workers to stop and waits for them.
    ~TSpecialPointScan();
    TSpecialPointScan(const TSpecialPointScan&) = delete;
    TSpecialPointScan& operator=(const TSpecialPointScan&) = delete;

    // Starts one worker per engine set (at least one) for the points of
    // lineClass (0 to 4) in [minCorner, maxCorner]; returns at once. The
    // engine sets must not be used by anybody else until the scan has ended.
    // A scan still running is stopped and waited for first. Throws
    // std::invalid_argument for no engine set, a class without special points
    // or an empty rectangle, and std::system_error when no thread could be
    // started (then nothing runs).
    void Start(const std::vector<TEngineSet*>& engines, const Vector2& minCorner, const Vector2& maxCorner,
               TLineClass lineClass, const TSpecialPointOptions& options = {}, TDone onDone = {},
               std::stop_token stop = {});

    // Asks the workers to stop (from any thread); the result says it stopped.
    void Terminate();
    // Waits for the workers to end.
    void Wait();
    // Started, and its result not complete yet.
    bool Running() const;
    TSpecialPointProgress Progress() const;
    // The result, once complete (after the callback or Wait); empty before.
    TSpecialPointsResult TakeResult();

private:
    struct TRun;
    std::unique_ptr<TRun> run_;
};

// Runs a scan on the engine sets and waits for it.
TSpecialPointsResult FindSpecialPoints(const std::vector<TEngineSet*>& engines, const Vector2& minCorner,
                                       const Vector2& maxCorner, TLineClass lineClass,
                                       const TSpecialPointOptions& options = {}, std::stop_token stop = {});

}  // namespace velmora
