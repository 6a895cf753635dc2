// TScriptSurface: a surface for scripts - the surface session of one surface
// read from its eight texts, and the computations the Python module offers on
// it, over flat arrays of domain points. Grids and backgrounds run on one
// worker per processor, each with the session's engine set of that worker;
// traces run on one thread with the session's own set. Every call holds the
// surface's lock, so calls from several threads are served one at a time,
// while distinct surfaces share nothing and work in parallel.
//
// The calls are made without Python's lock; long ones ask the interrupt
// check now and then and end by throwing TInterrupted when it answers true.
#pragma once

#include "geometry/LineClass.h"
#include "geometry/ScalarInvariants.h"
#include "platform/VelmoraTypes.h"
#include "points/SpecialPoint.h"
#include "python/ParallelWork.h"
#include "session/Document.h"
#include "session/SurfaceInput.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

namespace velmora {
class TSurfaceSession;
}

namespace velmora::python {

// A text of the surface that could not be read: the engine's message and the
// field it was reading (-1 when the fields were read but the domain as a
// whole is unusable).
class TInputError : public std::runtime_error {
public:
    TInputError(int field, const std::string& message) : std::runtime_error(message), field(field) {}
    int field;
};

// Keys of the values of Invariants, in the order of its output arrays.
inline constexpr std::array<const char*, 9> kInvariantNames = {
    "major", "minor", "normH", "depth", "sinHE", "K", "disc_normal", "disc_lateral", "disc_strong"};
// Keys of the vectors of Frame: the point f(u, v), the tangent frame (t, Jt)
// and the normal vectors H, B, C of the curvature ellipse.
inline constexpr std::array<const char*, 6> kFrameNames = {"point", "t", "Jt", "H", "B", "C"};
// Keys of the partial derivatives of Partials, and their multi-indices.
inline constexpr std::array<const char*, 10> kPartialNames = {"f",   "fu",   "fv",   "fuu",  "fuv",
                                                              "fvv", "fuuu", "fuuv", "fuvv", "fvvv"};

class TScriptSurface {
public:
    // Reads the texts as "Enter" does; throws TInputError.
    TScriptSurface(const TInputTexts& texts, TInterruptCheck interrupted);
    ~TScriptSurface();
    TScriptSurface(const TScriptSurface&) = delete;
    TScriptSurface& operator=(const TScriptSurface&) = delete;

    // The texts as read (trimmed), and the domain [uMin, uMax] x [vMin, vMax].
    TInputTexts Texts() const;
    std::array<double, 4> Domain() const;
    int Workers() const;

    // ---- grids: n points (u[i], v[i]); NaN where a value is undefined ----------
    // The nine data-panel values, out[k][i] for the k-th name of kInvariantNames.
    void Invariants(const double* u, const double* v, std::size_t n, const std::array<double*, 9>& out) const;
    // The six vectors of kFrameNames, four numbers per point in out[k].
    void Frame(const double* u, const double* v, std::size_t n, const std::array<double*, 6>& out) const;
    // f and its nine partial derivatives of coordinate 0..3 (x, y, z, w).
    void Partials(int coordinate, const double* u, const double* v, std::size_t n,
                  const std::array<double*, 10>& out) const;
    // The direction angles of a class of lines, MaxDirections(c) per point,
    // NaN where fewer directions exist.
    void Directions(TLineClass c, const double* u, const double* v, std::size_t n, double* out) const;

    // ---- curves in the domain ----------------------------------------------------
    // The polylines of a locus.
    std::vector<std::vector<Vector2>> Locus(TLocusKind kind) const;
    // The special points of a line class (0 every kind, 1 to 4), as the
    // window's Show Special Points and velmora4-cli points find them.
    TSpecialPointsResult SpecialPoints(TLineClass c) const;
    // The curves of a class of lines (1 to 7) through start, of the foliations
    // 1, 2 or 3 (both); a stop is requested once maxPoints points are stored
    // (0: no limit). Throws std::invalid_argument for a start outside the domain.
    std::vector<std::vector<Vector2>> Lines(TLineClass c, const Vector2& start, int foliations,
                                            long long maxPoints) const;

    // ---- backgrounds of size x size pixels, row 0 at vMax, column 0 at uMin ----------
    // The values the background colours (NaN where it leaves a pixel white).
    void BackgroundValues(TBackgroundType type, int size, double* out) const;
    // The colours, three bytes (red, green, blue) per pixel.
    void BackgroundRgb(TBackgroundType type, int size, uint8_t* out) const;

    // ---- documents -------------------------------------------------------------
    TDocumentWrite Save(const std::string& path) const;

private:
    mutable std::mutex mutex_;
    std::unique_ptr<TSurfaceSession> session_;
    TInterruptCheck interrupted_;
};

}  // namespace velmora::python
