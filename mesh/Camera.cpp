#include "mesh/Camera.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace velmora {

namespace {
constexpr double kDegree = std::numbers::pi / 180;

Vector3 Cross(const Vector3& a, const Vector3& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
double Dot(const Vector3& a, const Vector3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
Vector3 Scaled(const Vector3& a, double s) { return {a[0] * s, a[1] * s, a[2] * s}; }
Vector3 Sum(const Vector3& a, const Vector3& b) { return {a[0] + b[0], a[1] + b[1], a[2] + b[2]}; }
}  // namespace

void TCamera::Orbit(double dx, double dy) {
    yaw = std::remainder(yaw - 0.5 * dx, 360.0);
    pitch = std::clamp(pitch + 0.5 * dy, -89.0, 89.0);
}

void TCamera::Zoom(double factor) {
    if (std::isfinite(factor) && factor > 0) zoom = std::clamp(zoom * factor, kMinZoom, kMaxZoom);
}

void TCamera::Pan(double dx, double dy, int viewHeight) {
    if (viewHeight <= 0) return;
    // The height of the view at the target's depth, in R.
    const double visible = 2 * kCameraDistance / zoom * std::tan(kCameraFieldOfView * kDegree / 2);
    panX -= dx * visible / viewHeight;
    panY += dy * visible / viewHeight;
}

TCameraFrame CameraFrame(const TCamera& camera, double radius, double aspect) {
    TCameraFrame f;
    f.aspect = aspect > 0 && std::isfinite(aspect) ? aspect : 1;
    const double yaw = camera.yaw * kDegree, pitch = camera.pitch * kDegree;
    // From the target towards the eye.
    const Vector3 back{std::cos(pitch) * std::sin(yaw), std::sin(pitch), std::cos(pitch) * std::cos(yaw)};
    f.forward = Scaled(back, -1);
    f.right = {std::cos(yaw), 0, -std::sin(yaw)};
    f.up = Cross(f.right, f.forward);
    f.distance = kCameraDistance * radius / camera.zoom;
    f.target = Sum(Scaled(f.right, camera.panX * radius), Scaled(f.up, camera.panY * radius));
    f.eye = Sum(f.target, Scaled(back, f.distance));
    f.nearPlane = 0.02 * f.distance;
    f.farPlane = f.distance + 4 * radius;

    // View: rows right, up, back; the eye to the origin.
    Matrix4f& v = f.view;
    v.fill(0);
    for (int c = 0; c < 3; ++c) {
        v[4 * c + 0] = static_cast<float>(f.right[c]);
        v[4 * c + 1] = static_cast<float>(f.up[c]);
        v[4 * c + 2] = static_cast<float>(back[c]);
    }
    v[12] = static_cast<float>(-Dot(f.right, f.eye));
    v[13] = static_cast<float>(-Dot(f.up, f.eye));
    v[14] = static_cast<float>(-Dot(back, f.eye));
    v[15] = 1;

    const double t = 1 / std::tan(kCameraFieldOfView * kDegree / 2);
    Matrix4f& p = f.projection;
    p.fill(0);
    p[0] = static_cast<float>(t / f.aspect);
    p[5] = static_cast<float>(t);
    p[10] = static_cast<float>((f.farPlane + f.nearPlane) / (f.nearPlane - f.farPlane));
    p[11] = -1;
    p[14] = static_cast<float>(2 * f.farPlane * f.nearPlane / (f.nearPlane - f.farPlane));
    return f;
}

TRay PixelRay(const TCameraFrame& frame, double x, double y, int width, int height) {
    const double t = std::tan(kCameraFieldOfView * kDegree / 2);
    const double sx = (2 * x / std::max(width, 1) - 1) * t * frame.aspect;
    const double sy = (1 - 2 * y / std::max(height, 1)) * t;
    Vector3 d = Sum(frame.forward, Sum(Scaled(frame.right, sx), Scaled(frame.up, sy)));
    const double n = std::sqrt(Dot(d, d));
    return {frame.eye, Scaled(d, 1 / n)};
}

Vector3 ScreenPosition(const TCameraFrame& frame, const Vector3& p, int width, int height) {
    const Vector3 d = Sum(p, Scaled(frame.eye, -1));
    const double depth = Dot(d, frame.forward);
    const double t = std::tan(kCameraFieldOfView * kDegree / 2);
    const double sx = Dot(d, frame.right) / depth / (t * frame.aspect);
    const double sy = Dot(d, frame.up) / depth / t;
    return {(sx + 1) * width / 2, (1 - sy) * height / 2, depth};
}

}  // namespace velmora
