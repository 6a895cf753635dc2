#include "mesh/Projection4D.h"

#include "background/BackgroundThreads.h"
#include "background/Palette.h"

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {
constexpr std::array<const char*, 3> kProjectionNames{"orthographic", "perspective", "stereographic"};
constexpr std::array<const char*, 3> kColouringNames{"invariant", "depth", "plain"};

template <typename Kind>
std::optional<Kind> KindFromName(const std::array<const char*, 3>& names, std::string_view name) {
    for (int i = 0; i < 3; ++i)
        if (name == names[i]) return static_cast<Kind>(i);
    return std::nullopt;
}

uint32_t Blend(uint32_t a, uint32_t b, double t) {
    uint32_t c = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const double x = ((a >> shift) & 0xFF) * (1 - t) + ((b >> shift) & 0xFF) * t;
        c |= static_cast<uint32_t>(std::lround(x)) << shift;
    }
    return c;
}
}  // namespace

const char* ProjectionName(TProjectionKind kind) { return kProjectionNames.at(static_cast<int>(kind)); }
std::optional<TProjectionKind> ProjectionFromName(std::string_view name) {
    return KindFromName<TProjectionKind>(kProjectionNames, name);
}
const char* ColouringName(TColouring colouring) { return kColouringNames.at(static_cast<int>(colouring)); }
std::optional<TColouring> ColouringFromName(std::string_view name) {
    return KindFromName<TColouring>(kColouringNames, name);
}

TColouringPalette ColouringPalette(TColouring colouring) {
    TColouringPalette p{};
    switch (colouring) {
        case TColouring::Invariant: return BackgroundPalette();
        case TColouring::FourthCoordinate: {
            // Deep blue, a pale middle, orange: far and near along the dropped axis.
            constexpr uint32_t kFar = 0xB4461E, kMiddle = 0xE6E6E6, kNear = 0x1E8CF0;
            for (int i = 0; i < 512; ++i) {
                const double t = i / 511.0;
                p[i] = t < 0.5 ? Blend(kFar, kMiddle, 2 * t) : Blend(kMiddle, kNear, 2 * t - 1);
            }
            return p;
        }
        default: p.fill(kPlainSurfaceColour); return p;
    }
}

int InvariantShade(double value) { return BackgroundIndex(value); }

int FourthCoordinateShade(double w, double radius) {
    const double t = (w / radius + 1) / 2;
    if (!(t > 0)) return 0;
    return std::min(511, static_cast<int>(std::lround(t * 511)));
}

std::optional<Vector3> ProjectRotated(const Vector4& q, TProjectionKind kind, double radius) {
    switch (kind) {
        case TProjectionKind::Orthographic: return Vector3{q[0], q[1], q[2]};
        case TProjectionKind::Perspective: {
            const double d = kPerspectiveEye * radius;
            const double gap = d - q[3];
            if (!(gap > 1e-9 * radius)) return std::nullopt;  // at or behind the eye
            const double s = d / gap;
            return Vector3{q[0] * s, q[1] * s, q[2] * s};
        }
        default: {
            const double dw = q[3] - radius;
            const double d2 = q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + dw * dw;
            const double s = 2 * radius * radius / d2;
            const Vector3 image{q[0] * s, q[1] * s, q[2] * s};
            const double reach = kStereographicReach * radius;
            if (!(d2 > 0) || !(image[0] * image[0] + image[1] * image[1] + image[2] * image[2] <= reach * reach))
                return std::nullopt;
            return image;
        }
    }
}

void ProjectMesh(const TSurfaceMesh& mesh, const TView4D& view, TProjectedMesh& out) {
    const std::size_t n = mesh.VertexCount();
    const Matrix4 rotation = RotationOf(view.angles);
    const double radius = mesh.radius;
    out.radius = radius;
    out.positions.assign(3 * n, 0.0f);
    out.normals.assign(3 * n, 0.0f);
    out.shades.assign(2 * n, 0.0f);
    out.visible.assign(n, 0);

    for (std::size_t k = 0; k < n; ++k) {
        if (!mesh.defined[k]) continue;
        Vector4 centred;
        for (int c = 0; c < 4; ++c) centred[c] = mesh.points[k][c] - mesh.centre[c];
        const Vector4 q = Apply(rotation, centred);
        const std::optional<Vector3> image = ProjectRotated(q, view.projection, radius);
        if (!image) continue;
        out.visible[k] = 1;
        for (int c = 0; c < 3; ++c) out.positions[3 * k + c] = static_cast<float>((*image)[c]);
        switch (view.colouring) {
            case TColouring::Invariant:
                if (mesh.invariant[k] != UndefinedValue) {
                    out.shades[2 * k] = static_cast<float>(InvariantShade(mesh.invariant[k]));
                    out.shades[2 * k + 1] = 1;
                }
                break;
            case TColouring::FourthCoordinate:
                out.shades[2 * k] = static_cast<float>(FourthCoordinateShade(q[3], radius));
                out.shades[2 * k + 1] = 1;
                break;
            default: out.shades[2 * k + 1] = 1; break;
        }
    }

    out.triangles.clear();
    out.triangles.reserve(6 * n);
    const auto addTriangle = [&](uint32_t a, uint32_t b, uint32_t c) {
        out.triangles.insert(out.triangles.end(), {a, b, c});
        const float* pa = &out.positions[3 * a];
        const float* pb = &out.positions[3 * b];
        const float* pc = &out.positions[3 * c];
        const float e1[3] = {pb[0] - pa[0], pb[1] - pa[1], pb[2] - pa[2]};
        const float e2[3] = {pc[0] - pa[0], pc[1] - pa[1], pc[2] - pa[2]};
        // The cross product: the normal weighted by the triangle's area.
        const float nx = e1[1] * e2[2] - e1[2] * e2[1];
        const float ny = e1[2] * e2[0] - e1[0] * e2[2];
        const float nz = e1[0] * e2[1] - e1[1] * e2[0];
        for (uint32_t v : {a, b, c}) {
            out.normals[3 * v] += nx;
            out.normals[3 * v + 1] += ny;
            out.normals[3 * v + 2] += nz;
        }
    };
    for (int j = 0; j + 1 < mesh.rows; ++j) {
        for (int i = 0; i + 1 < mesh.columns; ++i) {
            const auto a = static_cast<uint32_t>(mesh.Index(i, j)), b = static_cast<uint32_t>(mesh.Index(i + 1, j));
            const auto c = static_cast<uint32_t>(mesh.Index(i + 1, j + 1)), d = static_cast<uint32_t>(mesh.Index(i, j + 1));
            const bool va = out.visible[a], vb = out.visible[b], vc = out.visible[c], vd = out.visible[d];
            const int count = va + vb + vc + vd;
            if (count == 4) {
                addTriangle(a, b, c);
                addTriangle(a, c, d);
            } else if (count == 3) {
                if (!va) addTriangle(b, c, d);
                else if (!vb) addTriangle(a, c, d);
                else if (!vc) addTriangle(a, b, d);
                else addTriangle(a, b, c);
            }
        }
    }
}

}  // namespace velmora
