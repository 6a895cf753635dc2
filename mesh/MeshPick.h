// Picking: the domain point of the surface seen at a pixel of the 3D view.
#pragma once

#include "mesh/Camera.h"
#include "mesh/Projection4D.h"
#include "mesh/SurfaceMesh.h"

#include <optional>

namespace velmora {

struct TMeshHit {
    Vector2 param{};      // the domain point, interpolated over the triangle hit
    double distance = 0;  // along the ray
};

// The nearest triangle of the projected mesh that the ray meets; none when it
// meets none.
std::optional<TMeshHit> PickMesh(const TSurfaceMesh& mesh, const TProjectedMesh& projected, const TRay& ray);

}  // namespace velmora
