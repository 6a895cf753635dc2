#include "mesh/SurfaceMesh.h"

#include "background/BackgroundThreads.h"
#include "geometry/EngineSet.h"
#include "geometry/LocalGeometry.h"
#include "platform/Platform.h"
#include "platform/VelmoraError.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <exception>
#include <mutex>
#include <thread>

namespace velmora {

TSurfacePoints::TSurfacePoints(const TEngineSet& engines) : engines_(engines) {
    for (int k = 0; k < 4; ++k) {
        const TCoordinateProgram& parsed = engines.programs[static_cast<std::size_t>(k)];
        if (parsed.Empty()) throw VelmoraError("The surface has not been read");
        coordinates_[k].Load(parsed.program, parsed.table, parsed.variables);
        checked_[k] = coordinates_[k].MayLeaveDomain();
    }
}

std::optional<Vector4> TSurfacePoints::At(const Vector2& p) {
    Vector4 q;
    for (int k = 0; k < 4; ++k) {
        if (checked_[k]) {
            const std::optional<double> value = coordinates_[k].DefinedValue(p.data());
            if (!value) return std::nullopt;
            q[k] = *value;
        } else {
            q[k] = engines_.evaluators[k].Value(p.data());
            if (!std::isfinite(q[k])) return std::nullopt;
        }
    }
    return q;
}

Vector2 TSurfaceMesh::Param(int i, int j) const {
    // The last vertex of a row or column lies exactly on the edge of U.
    const double u = i == columns - 1 ? max2D[0] : min2D[0] + (max2D[0] - min2D[0]) * i / (columns - 1);
    const double v = j == rows - 1 ? max2D[1] : min2D[1] + (max2D[1] - min2D[1]) * j / (rows - 1);
    return {u, v};
}

namespace {

void SampleRows(TEngineSet& engines, TSurfaceMesh& mesh, int firstRow, int lastRow, std::stop_token stop,
                std::atomic<bool>& stopped) {
    TSurfacePoints points(engines);
    const TLocalGeometry geometry(engines);
    for (int j = firstRow; j <= lastRow; ++j) {
        if (stop.stop_requested()) {
            stopped = true;
            return;
        }
        for (int i = 0; i < mesh.columns; ++i) {
            const int index = mesh.Index(i, j);
            const Vector2 p = mesh.Param(i, j);
            if (const std::optional<Vector4> q = points.At(p)) {
                mesh.points[index] = *q;
                mesh.defined[index] = 1;
            }
            if (mesh.invariantKind) {
                const double d = BackgroundValue(geometry, *mesh.invariantKind, p);
                // The background leaves such a pixel white.
                if (d != UndefinedValue && !std::isnan(d)) mesh.invariant[index] = d;
            }
        }
    }
}

void FrameOfPoints(TSurfaceMesh& mesh) {
    Vector4 lo{}, hi{};
    bool any = false;
    for (std::size_t n = 0; n < mesh.points.size(); ++n) {
        if (!mesh.defined[n]) continue;
        for (int k = 0; k < 4; ++k) {
            lo[k] = any ? std::min(lo[k], mesh.points[n][k]) : mesh.points[n][k];
            hi[k] = any ? std::max(hi[k], mesh.points[n][k]) : mesh.points[n][k];
        }
        any = true;
    }
    for (int k = 0; k < 4; ++k) mesh.centre[k] = any ? (lo[k] + hi[k]) / 2 : 0;
    double r2 = 0;
    for (std::size_t n = 0; n < mesh.points.size(); ++n) {
        if (!mesh.defined[n]) continue;
        double d2 = 0;
        for (int k = 0; k < 4; ++k) d2 += (mesh.points[n][k] - mesh.centre[k]) * (mesh.points[n][k] - mesh.centre[k]);
        r2 = std::max(r2, d2);
    }
    const double r = std::sqrt(r2);
    mesh.radius = std::isfinite(r) && r > 0 ? r : 1;
}

}  // namespace

std::optional<TSurfaceMesh> SampleSurfaceMesh(const std::vector<TEngineSet*>& engines, const TMeshRequest& request,
                                              std::stop_token stop) {
    if (engines.empty() || std::find(engines.begin(), engines.end(), nullptr) != engines.end())
        throw VelmoraError("The surface has not been read");
    TSurfaceMesh mesh;
    mesh.columns = std::clamp(request.columns, kMinMeshSide, kMaxMeshSide);
    mesh.rows = std::clamp(request.rows, kMinMeshSide, kMaxMeshSide);
    mesh.min2D = request.min2D;
    mesh.max2D = request.max2D;
    mesh.invariantKind = request.invariant && IsInvariantKind(*request.invariant) ? request.invariant : std::nullopt;
    const std::size_t n = static_cast<std::size_t>(mesh.columns) * mesh.rows;
    mesh.points.assign(n, Vector4{0, 0, 0, 0});
    mesh.defined.assign(n, 0);
    mesh.invariant.assign(n, UndefinedValue);

    // Each worker writes only the rows of its band.
    const std::vector<TRowBand> bands = RowBands(mesh.rows, static_cast<int>(engines.size()));
    std::atomic<bool> stopped{false};
    std::mutex failureLock;
    std::exception_ptr failure;
    {
        std::vector<std::jthread> workers;
        for (std::size_t k = 0; k < engines.size(); ++k) {
            if (bands[k].lastRow < bands[k].firstRow) continue;
            workers.push_back(StartThread([&, k] {
                try {
                    SampleRows(*engines[k], mesh, bands[k].firstRow, bands[k].lastRow, stop, stopped);
                } catch (...) {
                    const std::lock_guard lock(failureLock);
                    if (!failure) failure = std::current_exception();
                }
            }));
        }
    }  // the workers are joined here
    if (failure) std::rethrow_exception(failure);
    if (stopped) return std::nullopt;
    FrameOfPoints(mesh);
    return mesh;
}

}  // namespace velmora
