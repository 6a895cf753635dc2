#include "points/SpecialPointScan.h"

#include "geometry/LocalGeometry.h"
#include "platform/Platform.h"
#include "points/FieldPattern.h"
#include "points/GridScan.h"
#include "points/KindCurves.h"
#include "points/PairNewton.h"
#include "points/PointChains.h"
#include "points/PointEquations.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <barrier>
#include <cmath>
#include <numbers>
#include <optional>
#include <stdexcept>
#include <thread>
#include <utility>

namespace velmora {

namespace {

// Zeros closer than this (in cells) are one point.
constexpr double kSameZero = 1e-4;
// Zeros with a singular Jacobian closer than this (in cells) lie on one curve.
constexpr double kCurveLink = 2.5;
// Vertices of the grid where the metric is degenerate, closer than this
// (in cells), belong to one place; a place spanning more than kSmallPlace
// vertices either way is a curve of such points.
constexpr double kVertexLink = 1.5;
constexpr int kSmallPlace = 2;
// Points closer than this (in cells) are the same place for the loops.
constexpr double kCoincident = 1e-6;
// The loops round a point: at most half a cell, and under a third of the
// distance to the nearest other point.
constexpr double kLoopRadius = 0.5;
constexpr double kLoopShare = 0.3;
// A zero within this share of a cell from a candidate's centre lies in the
// cell; the second starts lie this share of a cell from it, towards its corners.
constexpr double kCellReach = 0.55;
constexpr double kCornerStart = 0.35;
// Starts around a zero that is not a point of the kind.
constexpr int kRingStarts = 8;
constexpr double kRingRadius = 0.75;
// Jobs claimed at once by a worker in the shared passes.
constexpr std::size_t kJobChunk = 4;

// The points of `kind` that Newton's method reaches from a ring of starts around p.
template <class Found>
void RefineAround(const TLocalGeometry& geometry, TSpecialKind kind, int axis, const Vector2& p,
                  const TRefineFrame& frame, Found&& found) {
    for (int k = 0; k < kRingStarts; ++k) {
        const double a = 2 * std::numbers::pi * (k + 0.5) / kRingStarts;
        const Vector2 start{p[0] + kRingRadius * frame.cell[0] * std::cos(a),
                            p[1] + kRingRadius * frame.cell[1] * std::sin(a)};
        if (const std::optional<TPairRoot> r = RefinePair(geometry, kind, axis, start, frame))
            if (!r->excluded) found(kind, *r);
    }
}

// Newton's method from the centre of a candidate cell. Where it reaches no
// zero, or one outside the cell (a neighbour's), a zero of the cell may lie
// hidden beside it: the cell's corners are tried too.
// A minimal point (H = 0) solves the equations of inflection and
// principal-singular points too, and their zero curves often close round it
// and a point of those kinds within a cell, unseen by the grid: a ring of
// starts around each minimal point looks for them, as around a zero of those
// kinds' equations that turned out to be a minimal point.
template <class Found>
void RefineCandidate(const TLocalGeometry& geometry, const TCandidate& job, const TRefineFrame& frame,
                     const std::array<bool, kEquationKinds>& active, Found&& found) {
    const auto inCell = [&](const Vector2& p) {
        return std::fabs(p[0] - job.start[0]) <= kCellReach * frame.cell[0] &&
               std::fabs(p[1] - job.start[1]) <= kCellReach * frame.cell[1];
    };
    const auto refine = [&](const Vector2& start, bool inCellOnly) {
        const std::optional<TPairRoot> r = RefinePair(geometry, job.kind, job.axis, start, frame);
        if (r && !r->excluded && (!inCellOnly || inCell(r->at))) found(job.kind, *r);
        return r;
    };
    const std::optional<TPairRoot> root = refine(job.start, false);
    if (root && root->excluded) {
        RefineAround(geometry, job.kind, job.axis, root->at, frame, found);
        return;
    }
    if (root && inCell(root->at)) {
        if (job.kind == TSpecialKind::Minimal)
            for (const TSpecialKind companion : {TSpecialKind::Inflection, TSpecialKind::PrincipalSingular})
                if (active[static_cast<int>(companion)]) RefineAround(geometry, companion, 0, root->at, frame, found);
        return;
    }
    for (const double su : {-kCornerStart, kCornerStart})
        for (const double sv : {-kCornerStart, kCornerStart})
            refine({job.start[0] + su * frame.cell[0], job.start[1] + sv * frame.cell[1]}, true);
}

bool ByPosition(const TSpecialPoint& a, const TSpecialPoint& b) {
    return a.at[1] != b.at[1] ? a.at[1] < b.at[1] : a.at[0] < b.at[0];
}

}  // namespace

double TSpecialPointProgress::Fraction() const {
    const auto share = [](int done, int total) { return total > 0 ? std::clamp(double(done) / total, 0.0, 1.0) : 0.0; };
    const double scan = share(rowsDone, rows);
    const double refine = candidates > 0 ? share(refined, candidates) : (scan >= 1 ? 1.0 : 0.0);
    const double measure = toMeasure > 0 ? share(measured, toMeasure) : (refine >= 1 && scan >= 1 ? 1.0 : 0.0);
    return 0.6 * scan + 0.2 * refine + 0.2 * measure;
}

// ---- one run ------------------------------------------------------------------------

struct TSpecialPointScan::TRun {
    // A candidate, or a place where the metric is degenerate, to refine.
    using TJob = TCandidate;
    // A zero found from job number `job`.
    struct TZero {
        std::size_t job;
        TSpecialKind kind;
        Vector2 at;
        bool regular;
    };

    struct TForwardStop {
        std::stop_source* source;
        void operator()() const noexcept { source->request_stop(); }
    };
    struct TBetweenPasses {
        TRun* run;
        void operator()() const noexcept { run->BetweenPasses(); }
    };

    TRun(const std::vector<TEngineSet*>& sets, const TScanGrid& scanGrid, TLineClass c,
         const TSpecialPointOptions& o, TDone done, std::stop_token external)
        : engines(sets), grid(scanGrid), lineClass(c), options(o), kinds(SpecialKindsOf(c)),
          onDone(std::move(done)), bands(sets.size()), zeros(sets.size()) {
        if (external.stop_possible()) forward.emplace(external, TForwardStop{&stop});
        barrier.emplace(static_cast<std::ptrdiff_t>(sets.size()), TBetweenPasses{this});
    }

    void Work(std::size_t k);
    void BetweenPasses() noexcept;
    void PlanKinds();
    void MergeZeros();
    void Finish(const TLocalGeometry& geometry);
    template <class F>
    void Guarded(F&& f) {
        try {
            f();
        } catch (...) {
            failed.store(true);
        }
    }

    // ---- input
    std::vector<TEngineSet*> engines;
    TScanGrid grid;
    TLineClass lineClass;
    TSpecialPointOptions options;
    std::vector<TSpecialKind> kinds;
    TDone onDone;

    std::stop_source stop;
    std::optional<std::stop_callback<TForwardStop>> forward;
    // 0: wait, 1: run, 2: give up (not every thread could be started).
    std::atomic<int> gate{0};
    std::optional<std::barrier<TBetweenPasses>> barrier;
    int passesDone = 0;  // changed only between passes
    std::atomic<bool> failed{false};

    // ---- pass 1: the scan
    std::vector<TBandScan> bands;
    std::atomic<int> rowsDone{0};
    std::array<TKindPlan, kEquationKinds> plans{};
    std::array<bool, kEquationKinds> pointsWanted{};  // the kinds looked for as points
    std::vector<TSpecialSet> sets;
    bool capped = false;

    // ---- pass 2: refining
    std::vector<TJob> jobs;
    std::atomic<std::size_t> nextJob{0};
    std::atomic<int> refined{0};
    std::atomic<int> jobCount{0};
    std::vector<std::vector<TZero>> zeros;  // per worker

    // ---- pass 3: measuring
    std::vector<TSpecialPoint> points;
    std::vector<double> radii;  // loop radius of each point, in cells
    std::atomic<std::size_t> nextPoint{0};
    std::atomic<int> measured{0};
    std::atomic<int> pointCount{0};

    TSpecialPointsResult result;
    std::atomic<bool> finished{false};
    // Last: destroyed (joined) first.
    std::vector<std::jthread> threads;
};

void TSpecialPointScan::TRun::Work(std::size_t k) {
    gate.wait(0);
    if (gate.load() != 1) return;
    const TLocalGeometry geometry(*engines[k]);
    const std::stop_token token = stop.get_token();
    const std::size_t n = engines.size();
    const TRefineFrame frame{grid.minCorner, grid.maxCorner, grid.Cell()};

    // Pass 1: the band of rows of this worker.
    Guarded([&] {
        const int first = static_cast<int>(k * grid.cells / n);
        const int last = static_cast<int>((k + 1) * grid.cells / n) - 1;
        ScanBand(geometry, grid, kinds, first, last, token, rowsDone, bands[k]);
    });
    barrier->arrive_and_wait();

    // Pass 2: the shared list of candidates.
    Guarded([&] {
        for (;;) {
            const std::size_t begin = nextJob.fetch_add(kJobChunk);
            if (begin >= jobs.size()) break;
            for (std::size_t i = begin; i < std::min(begin + kJobChunk, jobs.size()); ++i) {
                if (token.stop_requested()) return;
                const TJob& job = jobs[i];
                if (job.kind == TSpecialKind::Degenerate) {
                    if (const std::optional<Vector2> at = RefineDegenerate(geometry, job.start, frame))
                        zeros[k].push_back({i, job.kind, *at, true});
                } else {
                    RefineCandidate(geometry, job, frame, pointsWanted, [&](TSpecialKind kind, const TPairRoot& root) {
                        zeros[k].push_back({i, kind, root.at, root.regular});
                    });
                }
                refined.fetch_add(1, std::memory_order_relaxed);
            }
        }
    });
    barrier->arrive_and_wait();

    // Pass 3: the fields round the points.
    Guarded([&] {
        for (;;) {
            const std::size_t i = nextPoint.fetch_add(1);
            if (i >= points.size() || token.stop_requested()) break;
            TSpecialPoint& point = points[i];
            if (point.kind == TSpecialKind::Inflection)
                if (const std::optional<TLocalFrame> f = geometry.Frame(point.at)) point.origin = InflectionOriginSide(*f);
            if (point.field != TLineClass::CoordinateLines) {
                const TFieldPattern pattern = MeasureFieldPattern(geometry, point.field, point.at, frame.cell, radii[i]);
                point.index = pattern.index;
                point.separatrices = pattern.separatrices;
                point.type = SpecialPointType(point.field, point.index, point.separatrices);
            }
            measured.fetch_add(1, std::memory_order_relaxed);
        }
    });
    barrier->arrive_and_wait();

    if (k != 0) return;
    Guarded([&] { Finish(geometry); });
    finished.store(true, std::memory_order_release);
    if (onDone) {
        try {
            onDone();
        } catch (...) {
            // Nothing leaves a worker.
        }
    }
}

void TSpecialPointScan::TRun::BetweenPasses() noexcept {
    ++passesDone;
    Guarded([&] {
        if (passesDone == 1) PlanKinds();
        if (passesDone == 2) MergeZeros();
    });
}

// After the scan: what each kind is looked for as, and the list of
// candidates to refine.
void TSpecialPointScan::TRun::PlanKinds() {
    TBandScan all;
    for (TBandScan& band : bands) all.Add(std::move(band));
    bands.clear();
    if (stop.stop_requested()) return;

    for (const TSpecialKind kind : kinds) {
        if (kind == TSpecialKind::Degenerate) continue;
        const int k = static_cast<int>(kind);
        plans[k] = PlanKind(kind, all.tallies[k]);
        pointsWanted[k] = plans[k].mode == TKindMode::Points;
        // Candidates of a kind looked for as points were left out: so may points be.
        capped = capped || (pointsWanted[k] && all.overflow[k]);
        if (plans[k].mode == TKindMode::Everywhere) sets.push_back({kind, true, {}});
    }
    for (const TCandidate& c : all.candidates)
        if (pointsWanted[static_cast<int>(c.kind)]) jobs.push_back({c.kind, c.start, c.axis});

    // Degenerate vertices: everywhere, small places (a point to refine) or curves.
    if (std::find(kinds.begin(), kinds.end(), TSpecialKind::Degenerate) != kinds.end() && !all.degenerate.empty()) {
        const double count = static_cast<double>(all.degenerate.size());
        if (count >= kWholeDomainShare * (count + static_cast<double>(all.defined))) {
            sets.push_back({TSpecialKind::Degenerate, true, {}});
        } else {
            std::vector<Vector2> places;
            places.reserve(all.degenerate.size());
            for (const auto& [i, j] : all.degenerate) places.push_back(grid.Vertex(i, j));
            const Vector2 cell = grid.Cell();
            for (const auto& group : LinkedGroups(places, cell, kVertexLink)) {
                int iMin = grid.cells, iMax = 0, jMin = grid.cells, jMax = 0;
                Vector2 mean{0, 0};
                std::vector<Vector2> members;
                for (const std::size_t g : group) {
                    const auto [i, j] = all.degenerate[g];
                    iMin = std::min(iMin, i), iMax = std::max(iMax, i);
                    jMin = std::min(jMin, j), jMax = std::max(jMax, j);
                    mean = {mean[0] + places[g][0], mean[1] + places[g][1]};
                    members.push_back(places[g]);
                }
                if (iMax - iMin <= kSmallPlace && jMax - jMin <= kSmallPlace) {
                    const double n = static_cast<double>(group.size());
                    jobs.push_back({TSpecialKind::Degenerate, {mean[0] / n, mean[1] / n}, 0});
                } else {
                    for (TSpecialSet& s : SetsAlongPoints(TSpecialKind::Degenerate, members, cell))
                        sets.push_back(std::move(s));
                }
            }
        }
    }
    jobCount.store(static_cast<int>(jobs.size()));
}

// After refining: the distinct points, the curves of zeros with a singular
// Jacobian, the cap, and the loop radius of every point.
void TSpecialPointScan::TRun::MergeZeros() {
    std::vector<TZero> all;
    for (auto& list : zeros) all.insert(all.end(), list.begin(), list.end());
    zeros.clear();
    if (stop.stop_requested()) return;
    // The order of the candidates, whichever worker refined them.
    std::sort(all.begin(), all.end(), [](const TZero& a, const TZero& b) { return a.job < b.job; });
    const Vector2 cell = grid.Cell();

    for (int k = 0; k < kSpecialKinds; ++k) {
        const auto kind = static_cast<TSpecialKind>(k);
        std::vector<Vector2> isolated, singular;
        for (const TZero& z : all)
            if (z.kind == kind) (z.regular ? isolated : singular).push_back(z.at);
        // Singular zeros that follow one another lie on a curve of zeros.
        for (const auto& group : LinkedGroups(singular, cell, kCurveLink)) {
            if (group.size() == 1) {
                isolated.push_back(singular[group[0]]);
                continue;
            }
            std::vector<Vector2> members;
            for (const std::size_t g : group) members.push_back(singular[g]);
            for (TSpecialSet& s : SetsAlongPoints(kind, members, cell)) sets.push_back(std::move(s));
        }
        for (const std::size_t i : DistinctPoints(isolated, cell, kSameZero)) {
            TSpecialPoint p;
            p.at = isolated[i];
            p.kind = kind;
            p.field = MeasuredField(kind, lineClass);
            points.push_back(std::move(p));
        }
    }

    std::stable_sort(points.begin(), points.end(), ByPosition);
    if (points.size() > options.maxPoints) {
        points.resize(options.maxPoints);
        capped = true;
    }

    // Loop radii: under the distance to the nearest other point or curve point.
    constexpr double kBucket = kLoopRadius / kLoopShare + 1;
    TPointBuckets buckets(cell, kBucket);
    std::vector<Vector2> others;
    for (const TSpecialPoint& p : points) others.push_back(p.at);
    for (const TSpecialSet& s : sets) others.insert(others.end(), s.curve.begin(), s.curve.end());
    for (std::size_t i = 0; i < others.size(); ++i) buckets.Insert(i, others[i]);
    radii.assign(points.size(), kLoopRadius);
    for (std::size_t i = 0; i < points.size(); ++i)
        for (const std::size_t k : buckets.Near(points[i].at)) {
            const double d = buckets.Distance(points[i].at, others[k]);
            if (d > kCoincident) radii[i] = std::min(radii[i], kLoopShare * d);
        }
    pointCount.store(static_cast<int>(points.size()));
}

// The curves of the kinds whose equation vanishes on the whole domain, and the result.
void TSpecialPointScan::TRun::Finish(const TLocalGeometry& geometry) {
    result.lineClass = lineClass;
    if (!stop.stop_requested())
        for (const TKindPlan& plan : plans)
            if (plan.mode == TKindMode::Curves && std::find(kinds.begin(), kinds.end(), plan.kind) != kinds.end())
                for (TSpecialSet& s : TraceKindCurves(geometry, plan, grid)) sets.push_back(std::move(s));
    std::stable_sort(points.begin(), points.end(),
                     [](const TSpecialPoint& a, const TSpecialPoint& b) { return a.kind < b.kind; });
    std::stable_sort(sets.begin(), sets.end(), [](const TSpecialSet& a, const TSpecialSet& b) { return a.kind < b.kind; });
    result.points = std::move(points);
    result.sets = std::move(sets);
    result.capped = capped;
    result.stopped = stop.stop_requested() || failed.load();
}

// ---- the scan -------------------------------------------------------------------------

TSpecialPointScan::TSpecialPointScan() = default;

TSpecialPointScan::~TSpecialPointScan() {
    Terminate();
    Wait();
}

void TSpecialPointScan::Start(const std::vector<TEngineSet*>& engines, const Vector2& minCorner,
                              const Vector2& maxCorner, TLineClass lineClass, const TSpecialPointOptions& options,
                              TDone onDone, std::stop_token stop) {
    Terminate();
    Wait();
    run_.reset();
    if (engines.empty() || std::find(engines.begin(), engines.end(), nullptr) != engines.end())
        throw std::invalid_argument("special points need an engine set per worker");
    if (!HasSpecialPoints(lineClass)) throw std::invalid_argument(kNoSpecialPointsOfClass);
    if (!(maxCorner[0] > minCorner[0]) || !(maxCorner[1] > minCorner[1]) ||
        !std::isfinite(maxCorner[0] - minCorner[0]) || !std::isfinite(maxCorner[1] - minCorner[1]))
        throw std::invalid_argument("special points need a rectangle of positive size");
    TScanGrid grid;
    grid.minCorner = minCorner;
    grid.maxCorner = maxCorner;
    grid.cells = std::clamp(options.cells, 2, 4096);

    run_ = std::make_unique<TRun>(engines, grid, lineClass, options, std::move(onDone), std::move(stop));
    TRun& run = *run_;
    try {
        for (std::size_t k = 0; k < engines.size(); ++k)
            run.threads.push_back(StartThread([&run, k] { run.Work(k); }));
    } catch (...) {
        // The threads started wait at the gate: let them go without working.
        run.gate.store(2);
        run.gate.notify_all();
        run_.reset();
        throw;
    }
    run.gate.store(1);
    run.gate.notify_all();
}

void TSpecialPointScan::Terminate() {
    if (run_) run_->stop.request_stop();
}

void TSpecialPointScan::Wait() {
    if (!run_) return;
    for (std::jthread& t : run_->threads)
        if (t.joinable() && t.get_id() != std::this_thread::get_id()) t.join();
}

bool TSpecialPointScan::Running() const { return run_ && !run_->finished.load(std::memory_order_acquire); }

TSpecialPointProgress TSpecialPointScan::Progress() const {
    TSpecialPointProgress p;
    if (!run_) return p;
    p.rows = run_->grid.cells;
    p.rowsDone = run_->rowsDone.load(std::memory_order_relaxed);
    p.candidates = run_->jobCount.load(std::memory_order_relaxed);
    p.refined = run_->refined.load(std::memory_order_relaxed);
    p.toMeasure = run_->pointCount.load(std::memory_order_relaxed);
    p.measured = run_->measured.load(std::memory_order_relaxed);
    return p;
}

TSpecialPointsResult TSpecialPointScan::TakeResult() {
    if (!run_ || !run_->finished.load(std::memory_order_acquire)) return {};
    return std::move(run_->result);
}

TSpecialPointsResult FindSpecialPoints(const std::vector<TEngineSet*>& engines, const Vector2& minCorner,
                                       const Vector2& maxCorner, TLineClass lineClass,
                                       const TSpecialPointOptions& options, std::stop_token stop) {
    TSpecialPointScan scan;
    scan.Start(engines, minCorner, maxCorner, lineClass, options, {}, std::move(stop));
    scan.Wait();
    return scan.TakeResult();
}

}  // namespace velmora
