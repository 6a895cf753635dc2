// The ordinary 3D camera of the view: it orbits the origin of the picture
// (yaw about the picture's y axis, pitch above its xz plane), zooms by moving
// nearer, and pans its target within the plane of the screen. A vertical
// field of view of 30 degrees; at zoom 1 the eye is 4R from the target, so
// that the ball of radius R fills most of the height. The matrices are
// OpenGL's: column-major, eye space looking down -z, clip depth -1 .. 1.
#pragma once

#include "platform/VelmoraTypes.h"

#include <array>

namespace velmora {

inline constexpr double kCameraFieldOfView = 30;  // degrees, vertical
inline constexpr double kCameraDistance = 4;      // in R, at zoom 1
inline constexpr double kMinZoom = 0.1, kMaxZoom = 20;

struct TCamera {
    double yaw = -30, pitch = 20;  // degrees
    double zoom = 1;
    double panX = 0, panY = 0;     // the target, in R, along the screen's right and up
    bool operator==(const TCamera&) const = default;

    // A drag of dx, dy pixels turns the view by 0.5 degree a pixel (the pitch
    // kept within +-89 degrees).
    void Orbit(double dx, double dy);
    // A wheel turn: factor > 1 comes nearer (kept within kMinZoom .. kMaxZoom).
    void Zoom(double factor);
    // A drag of dx, dy pixels in a view of the given height moves the
    // picture with the pointer (at the target's depth).
    void Pan(double dx, double dy, int viewHeight);
};

using Matrix4f = std::array<float, 16>;  // column-major

struct TCameraFrame {
    Vector3 eye{}, target{}, right{}, up{}, forward{};  // forward: from the eye to the target, unit
    double distance = 1;
    double nearPlane = 0.01, farPlane = 10;
    double aspect = 1;  // width / height
    Matrix4f view{}, projection{};
};

// The camera for a picture of radius R in a view of that aspect.
TCameraFrame CameraFrame(const TCamera& camera, double radius, double aspect);

struct TRay {
    Vector3 origin{}, direction{};  // direction of unit length
};

// The ray from the eye through the pixel position (x, y) of a view of
// width x height pixels, y downwards (pixel centres at half-integers).
TRay PixelRay(const TCameraFrame& frame, double x, double y, int width, int height);
// Where a point of the picture appears in that view (x, y as for PixelRay);
// the third value is the distance along the view direction.
Vector3 ScreenPosition(const TCameraFrame& frame, const Vector3& p, int width, int height);

}  // namespace velmora
