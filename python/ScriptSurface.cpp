#include "python/ScriptSurface.h"

#include "background/BackgroundThreads.h"
#include "platform/Platform.h"
#include "session/PointDirections.h"
#include "session/SurfaceSession.h"

#include <cmath>
#include <limits>
#include <stop_token>

namespace velmora::python {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// NaN for the marker of an undefined quantity.
double OrNaN(double value) { return value == UndefinedValue ? kNaN : value; }

bool FinitePoint(const double* u, const double* v, std::size_t i) {
    return std::isfinite(u[i]) && std::isfinite(v[i]);
}

void Put4(double* out, std::size_t i, const Vector4& a) {
    for (int k = 0; k < 4; ++k) out[4 * i + k] = a[k];
}

void Put4NaN(double* out, std::size_t i) {
    for (int k = 0; k < 4; ++k) out[4 * i + k] = kNaN;
}

// The multi-indices of the symbolic engine for the names of kPartialNames.
constexpr std::array<std::array<int, 3>, 10> kPartialIndexes{
    {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {1, 1, 0}, {1, 2, 0}, {2, 2, 0}, {1, 1, 1}, {1, 1, 2}, {1, 2, 2}, {2, 2, 2}}};

}  // namespace

TScriptSurface::TScriptSurface(const TInputTexts& texts, TInterruptCheck interrupted)
    : session_(std::make_unique<TSurfaceSession>(LogicalProcessorCount())), interrupted_(std::move(interrupted)) {
    session_->SetInputTexts(texts);
    if (const TReadResult read = session_->ReadData(); !read) throw TInputError(read.failedField, read.message);
}

TScriptSurface::~TScriptSurface() = default;

TInputTexts TScriptSurface::Texts() const {
    std::lock_guard lock(mutex_);
    return session_->InputTexts();
}

std::array<double, 4> TScriptSurface::Domain() const {
    std::lock_guard lock(mutex_);
    const TDomainMap& map = session_->Map();
    return {map.min2D[0], map.max2D[0], map.min2D[1], map.max2D[1]};
}

int TScriptSurface::Workers() const { return session_->numOfCPU(); }

void TScriptSurface::Invariants(const double* u, const double* v, std::size_t n,
                                const std::array<double*, 9>& out) const {
    std::lock_guard lock(mutex_);
    ForEachPoint(
        session_->WorkerSets(), n,
        [&](const TLocalGeometry& surface, std::size_t first, std::size_t last) {
            for (std::size_t i = first; i < last; ++i) {
                TInvariants inv;
                // The data panel's values, all or none (the probe's invariants).
                if (!FinitePoint(u, v, i) || !surface.ComputeInvariants({u[i], v[i]}, inv)) {
                    for (double* o : out) o[i] = kNaN;
                    continue;
                }
                out[0][i] = OrNaN(inv.halfMajorAxis);
                out[1][i] = OrNaN(inv.halfMinorAxis);
                out[2][i] = OrNaN(inv.longH);
                out[3][i] = OrNaN(inv.depth);
                out[4][i] = OrNaN(inv.alpha);
                out[5][i] = OrNaN(inv.KGauss);
                out[6][i] = OrNaN(inv.discrNormDev);
                out[7][i] = OrNaN(inv.discrLatDev);
                out[8][i] = OrNaN(inv.discrStrPpal);
            }
        },
        interrupted_);
}

void TScriptSurface::Frame(const double* u, const double* v, std::size_t n, const std::array<double*, 6>& out) const {
    std::lock_guard lock(mutex_);
    ForEachPoint(
        session_->WorkerSets(), n,
        [&](const TLocalGeometry& surface, std::size_t first, std::size_t last) {
            for (std::size_t i = first; i < last; ++i) {
                const std::optional<TLocalFrame> f =
                    FinitePoint(u, v, i) ? surface.Frame({u[i], v[i]}) : std::nullopt;
                if (!f) {
                    for (double* o : out) Put4NaN(o, i);
                    continue;
                }
                Put4(out[0], i, f->x);
                Put4(out[1], i, f->t);
                Put4(out[2], i, f->Jt);
                Put4(out[3], i, f->vH);
                Put4(out[4], i, f->vB);
                Put4(out[5], i, f->vC);
            }
        },
        interrupted_);
}

void TScriptSurface::Partials(int coordinate, const double* u, const double* v, std::size_t n,
                              const std::array<double*, 10>& out) const {
    std::lock_guard lock(mutex_);
    ForEachPoint(
        session_->WorkerSets(), n,
        [&](const TLocalGeometry& surface, std::size_t first, std::size_t last) {
            const TSymbolicPartials& partials = surface.Engines().partials.at(coordinate);
            for (std::size_t i = first; i < last; ++i) {
                const double p[2] = {u[i], v[i]};
                const bool finite = FinitePoint(u, v, i);
                for (std::size_t b = 0; b < kPartialIndexes.size(); ++b)
                    out[b][i] = finite ? partials.EvaluateFF(kPartialIndexes[b][0], kPartialIndexes[b][1],
                                                             kPartialIndexes[b][2], p)
                                       : kNaN;
            }
        },
        interrupted_);
}

void TScriptSurface::Directions(TLineClass c, const double* u, const double* v, std::size_t n, double* out) const {
    std::lock_guard lock(mutex_);
    const std::size_t width = static_cast<std::size_t>(MaxDirections(c));
    // A class whose form vanishes on the whole domain has no directions (what
    // its polynomials give there is rounding noise), as velmora4-cli says.
    const bool none = session_->DirectionsVanish(c);
    ForEachPoint(
        session_->WorkerSets(), n,
        [&](const TLocalGeometry& surface, std::size_t first, std::size_t last) {
            for (std::size_t i = first; i < last; ++i) {
                std::vector<double> angles;
                if (!none && FinitePoint(u, v, i)) angles = LineDirectionAngles(surface, {u[i], v[i]}, c);
                for (std::size_t k = 0; k < width; ++k) out[width * i + k] = k < angles.size() ? angles[k] : kNaN;
            }
        },
        interrupted_);
}

std::vector<std::vector<Vector2>> TScriptSurface::Locus(TLocusKind kind) const {
    std::lock_guard lock(mutex_);
    RunTasks({[&](std::stop_token stop) { session_->TraceLocus(kind, stop); }}, interrupted_);
    return session_->Stores().LocusPieces(kind);
}

TSpecialPointsResult TScriptSurface::SpecialPoints(TLineClass c) const {
    if (!HasSpecialPoints(c)) throw std::invalid_argument(kNoSpecialPointsOfClass);
    std::lock_guard lock(mutex_);
    std::optional<TSpecialPointsResult> found;
    RunTasks({[&](std::stop_token stop) { found = session_->FindSpecialPoints(c, {}, stop); }}, interrupted_);
    if (!found) throw std::invalid_argument(kNoSpecialPointsOfClass);
    return std::move(*found);
}

std::vector<std::vector<Vector2>> TScriptSurface::Lines(TLineClass c, const Vector2& start, int foliations,
                                                        long long maxPoints) const {
    std::lock_guard lock(mutex_);
    const TDomainMap& map = session_->Map();
    if (!(start[0] >= map.min2D[0] && start[0] <= map.max2D[0] && start[1] >= map.min2D[1] &&
          start[1] <= map.max2D[1]))
        throw std::invalid_argument("the start point lies outside the domain");
    session_->Stores().InitializeLines();
    RunTasks({[&](std::stop_token stop) {
                 // The trace ends at an interruption or once it has stored maxPoints points.
                 std::stop_source traceStop;
                 const std::stop_callback interruption(stop, [&] { traceStop.request_stop(); });
                 long long points = 0;
                 TLineTraceTarget target;
                 target.show = [&](const TCurvePiece&, TColor) {
                     if (maxPoints > 0 && ++points >= maxPoints) traceStop.request_stop();
                 };
                 session_->TraceLines(HalfBranches(c), c, start, static_cast<uint8_t>(foliations), target,
                                      traceStop.get_token());
             }},
             interrupted_);
    std::vector<std::vector<Vector2>> curves;
    for (const Curve& curve : session_->Stores().lines()) curves.push_back(curve.pts);
    session_->Stores().InitializeLines();
    return curves;
}

void TScriptSurface::BackgroundValues(TBackgroundType type, int size, double* out) const {
    std::lock_guard lock(mutex_);
    const TDomainMap& map = session_->Map();
    // The pixels' points as the background workers compute them.
    const TBackgroundTransform t = BackgroundTransform(size, size, map.min2D, map.max2D);
    const std::size_t columns = static_cast<std::size_t>(size);
    ForEachPoint(
        session_->WorkerSets(), columns * columns,
        [&](const TLocalGeometry& surface, std::size_t first, std::size_t last) {
            for (std::size_t i = first; i < last; ++i) {
                const double x = static_cast<double>(i % columns), y = static_cast<double>(i / columns);
                const double d = BackgroundValue(surface, type, Vector2{(x - t.qh) / t.cu, (t.qv - y) / t.cv});
                out[i] = d == UndefinedValue ? kNaN : d;
            }
        },
        interrupted_);
}

void TScriptSurface::BackgroundRgb(TBackgroundType type, int size, uint8_t* out) const {
    std::lock_guard lock(mutex_);
    const std::size_t pixels = static_cast<std::size_t>(size) * static_cast<std::size_t>(size);
    std::vector<uint32_t> bitmap(pixels);
    const TPixelView view{reinterpret_cast<uint8_t*>(bitmap.data()), static_cast<std::ptrdiff_t>(size) * 4, size,
                          size};
    const std::vector<TEngineSet*> sets = session_->WorkerSets();
    TCompletion completion(static_cast<int>(sets.size()));
    {
        TBackgroundWorkers workers;
        workers.Start(view, session_->Map().min2D, session_->Map().max2D, type, sets,
                      [&completion](int) { completion.Done(); });
        if (workers.Count() == sets.size())
            AwaitCompletion(completion, interrupted_, [&workers] { workers.Terminate(); });
    }
    for (std::size_t i = 0; i < pixels; ++i) {
        const uint32_t pixel = bitmap[i];  // blue in the low byte
        out[3 * i] = static_cast<uint8_t>(pixel >> 16);
        out[3 * i + 1] = static_cast<uint8_t>(pixel >> 8);
        out[3 * i + 2] = static_cast<uint8_t>(pixel);
    }
}

TDocumentWrite TScriptSurface::Save(const std::string& path) const {
    std::lock_guard lock(mutex_);
    return WriteDocument(path, session_->InputStrs());
}

}  // namespace velmora::python
