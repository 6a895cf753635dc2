#include "mesh/MeshPick.h"

#include <cmath>

namespace velmora {

std::optional<TMeshHit> PickMesh(const TSurfaceMesh& mesh, const TProjectedMesh& projected, const TRay& ray) {
    std::optional<TMeshHit> best;
    const auto at = [&](uint32_t v) {
        return Vector3{projected.positions[3 * v], projected.positions[3 * v + 1], projected.positions[3 * v + 2]};
    };
    const Vector3& o = ray.origin;
    const Vector3& d = ray.direction;
    for (std::size_t t = 0; t + 2 < projected.triangles.size(); t += 3) {
        const uint32_t ia = projected.triangles[t], ib = projected.triangles[t + 1], ic = projected.triangles[t + 2];
        const Vector3 a = at(ia), b = at(ib), c = at(ic);
        // The intersection of Moller and Trumbore: o + s d = a + beta (b - a) + gamma (c - a).
        const Vector3 e1{b[0] - a[0], b[1] - a[1], b[2] - a[2]};
        const Vector3 e2{c[0] - a[0], c[1] - a[1], c[2] - a[2]};
        const Vector3 p{d[1] * e2[2] - d[2] * e2[1], d[2] * e2[0] - d[0] * e2[2], d[0] * e2[1] - d[1] * e2[0]};
        const double det = e1[0] * p[0] + e1[1] * p[1] + e1[2] * p[2];
        if (std::fabs(det) < 1e-300) continue;
        const double inv = 1 / det;
        const Vector3 s{o[0] - a[0], o[1] - a[1], o[2] - a[2]};
        const double beta = (s[0] * p[0] + s[1] * p[1] + s[2] * p[2]) * inv;
        if (beta < 0 || beta > 1) continue;
        const Vector3 q{s[1] * e1[2] - s[2] * e1[1], s[2] * e1[0] - s[0] * e1[2], s[0] * e1[1] - s[1] * e1[0]};
        const double gamma = (d[0] * q[0] + d[1] * q[1] + d[2] * q[2]) * inv;
        if (gamma < 0 || beta + gamma > 1) continue;
        const double distance = (e2[0] * q[0] + e2[1] * q[1] + e2[2] * q[2]) * inv;
        if (!(distance > 0) || (best && best->distance <= distance)) continue;
        const Vector2 pa = mesh.ParamOf(static_cast<int>(ia)), pb = mesh.ParamOf(static_cast<int>(ib)),
                      pc = mesh.ParamOf(static_cast<int>(ic));
        const double alpha = 1 - beta - gamma;
        best = TMeshHit{{alpha * pa[0] + beta * pb[0] + gamma * pc[0], alpha * pa[1] + beta * pb[1] + gamma * pc[1]},
                        distance};
    }
    return best;
}

}  // namespace velmora
