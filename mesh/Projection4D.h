// From the sampled surface in R^4 to a picture in R^3: the points, centred
// on the centre of the mesh, are turned by a rotation of R^4 and then
// projected into the space of the first three axes in one of three ways.
// R is the radius of the mesh (the largest distance of a point from its
// centre), so that every point of the surface lies in the ball of radius R.
//   orthographic   (x, y, z, w) -> (x, y, z): the fourth axis is dropped.
//   perspective    from the eye (0, 0, 0, 3R) on the fourth axis onto the
//                  hyperplane w = 0: (x, y, z) 3R/(3R - w). Points in that
//                  hyperplane keep their place; nearer ones grow.
//   stereographic  from the pole (0, 0, 0, R) of the 3-sphere of radius R
//                  about the centre onto its equatorial hyperplane w = 0:
//                  every point goes through the inversion in the sphere of
//                  radius R sqrt2 about the pole, which carries that 3-sphere
//                  onto the hyperplane (there it is the stereographic
//                  projection (x, y, z) R/(R - w)), and keeps its first three
//                  coordinates: (x, y, z) 2R^2 / |p - pole|^2. The equator
//                  keeps its scale. Points whose image lies farther than
//                  kStereographicReach R (near the pole) have no image.
#pragma once

#include "mesh/R4Rotation.h"
#include "mesh/SurfaceMesh.h"
#include "platform/Colour.h"
#include "platform/VelmoraTypes.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace velmora {

enum class TProjectionKind : int { Orthographic = 0, Perspective = 1, Stereographic = 2 };
inline constexpr double kPerspectiveEye = 3;        // the eye at (0, 0, 0, 3R)
inline constexpr double kStereographicReach = 20;   // images beyond 20 R are dropped

const char* ProjectionName(TProjectionKind kind);  // "orthographic", "perspective", "stereographic"
std::optional<TProjectionKind> ProjectionFromName(std::string_view name);

// How the surface is coloured: by the invariant of the background (the
// background's palette and values), by the fourth coordinate after the
// rotation (the coordinate the projection drops), or in one colour.
enum class TColouring : int { Invariant = 0, FourthCoordinate = 1, Plain = 2 };
const char* ColouringName(TColouring colouring);  // "invariant", "depth", "plain"
std::optional<TColouring> ColouringFromName(std::string_view name);

// The 512 colours (values $00BBGGRR) that the vertices' palette coordinates
// index: the background palette; a ramp from deep blue (w = -R) through a
// pale middle to orange (w = R); one light grey-blue.
using TColouringPalette = std::array<uint32_t, 512>;
TColouringPalette ColouringPalette(TColouring colouring);
inline constexpr TColor kPlainSurfaceColour = 0xD2C8BE;  // $00BBGGRR

struct TView4D {
    TPlaneAngles angles;
    TProjectionKind projection = TProjectionKind::Orthographic;
    TColouring colouring = TColouring::Invariant;
};

// A point q already centred and rotated, projected; none where it has no image.
std::optional<Vector3> ProjectRotated(const Vector4& q, TProjectionKind kind, double radius);

// The mesh as the renderer takes it, in the space of the picture (centred on
// the origin, within a few R of it).
struct TProjectedMesh {
    std::vector<float> positions;  // 3 per vertex
    std::vector<float> normals;    // 3 per vertex, not normalised (0 for a vertex of no triangle)
    // 2 per vertex: the palette coordinate (0 .. 511) and 1 where the vertex
    // has a colour, 0 where it is left white (an invariant without value).
    std::vector<float> shades;
    std::vector<uint32_t> triangles;  // 3 vertex numbers each
    std::vector<uint8_t> visible;     // 1 where the vertex has an image
    double radius = 1;                // R
};

// Projects every vertex, builds the triangles of the grid cells whose
// vertices have images (two per cell with four, one with three), the
// normals of the picture and the colours. The heavy part of a rotation.
void ProjectMesh(const TSurfaceMesh& mesh, const TView4D& view, TProjectedMesh& out);

// The palette coordinate of a value of the invariant (the background's
// index of it), of a fourth coordinate w for a mesh of radius R.
int InvariantShade(double value);
int FourthCoordinateShade(double w, double radius);

}  // namespace velmora
