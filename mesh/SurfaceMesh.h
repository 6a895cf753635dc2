// The surface f(u, v) = (x, y, z, w) sampled over a grid of the domain U for
// the 3D view: its points in R^4, the vertices where it has no point (a
// formula undefined there, or a value that is not finite), and the value of
// one invariant at each vertex - the value the background of that type paints
// at the same domain point. Sampled on worker threads, one per engine set.
#pragma once

#include "evaluator/ReferenceEvaluator.h"
#include "geometry/ScalarInvariants.h"
#include "platform/VelmoraTypes.h"

#include <array>
#include <cstdint>
#include <optional>
#include <stop_token>
#include <vector>

namespace velmora {

struct TEngineSet;

inline constexpr int kDefaultMeshSide = 200;
inline constexpr int kMinMeshSide = 2;
inline constexpr int kMaxMeshSide = 2000;

// The point of the surface at a domain point, from an engine set's four
// formulas: none where a formula is undefined there. A formula that can leave
// the domain of one of its operations is interpreted from a copy of its
// program, which tells where it does; any other runs as compiled (its value
// code writes nothing but its own stack frame). One thread uses an instance.
class TSurfacePoints {
public:
    // Throws VelmoraError when the set holds no program (never read).
    explicit TSurfacePoints(const TEngineSet& engines);
    std::optional<Vector4> At(const Vector2& p);

private:
    const TEngineSet& engines_;
    std::array<ReferenceEvaluator, 4> coordinates_;
    std::array<bool, 4> checked_{};
};

struct TMeshRequest {
    Vector2 min2D{0, 0}, max2D{1, 1};
    int columns = kDefaultMeshSide;  // vertices along u (uMin .. uMax)
    int rows = kDefaultMeshSide;     // vertices along v (vMin .. vMax)
    std::optional<TInvariantKind> invariant;  // none: no values
};

struct TSurfaceMesh {
    int columns = 0, rows = 0;
    Vector2 min2D{0, 0}, max2D{0, 0};
    // Vertex (i, j), i along u and j along v, is number j columns + i.
    std::vector<Vector4> points;
    std::vector<uint8_t> defined;  // 1 where the surface has a point
    // The invariant's value where it has one (UndefinedValue elsewhere, and
    // everywhere without an invariant).
    std::vector<double> invariant;
    std::optional<TInvariantKind> invariantKind;
    // The centre of the bounding box of the defined points and the largest
    // distance of a defined point from it (1 when that is 0 or there is none).
    Vector4 centre{0, 0, 0, 0};
    double radius = 1;

    int Index(int i, int j) const { return j * columns + i; }
    std::size_t VertexCount() const { return points.size(); }
    // The domain point of vertex (i, j).
    Vector2 Param(int i, int j) const;
    Vector2 ParamOf(int index) const { return Param(index % columns, index / columns); }
};

// Samples the surface with one thread per engine set (at least one set),
// each on a band of rows. None when the stop was requested before the end.
// Sizes are kept within kMinMeshSide .. kMaxMeshSide. Throws VelmoraError
// when a set holds no program.
std::optional<TSurfaceMesh> SampleSurfaceMesh(const std::vector<TEngineSet*>& engines, const TMeshRequest& request,
                                              std::stop_token stop = {});

}  // namespace velmora
