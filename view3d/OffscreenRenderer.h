// Pictures of a surface scene without a window: an OpenGL context on an
// offscreen surface draws into a framebuffer object, read back as an image.
// Where no OpenGL context can be made (no display to talk to), the answers
// say so instead.
#pragma once

#include "mesh/SurfaceScene.h"

#include <QImage>
#include <QString>

namespace velmora {

// The one line told where no OpenGL context can be made.
inline constexpr const char* kNoOpenGL = "No OpenGL context can be made here: the 3D view needs an X display "
                                         "with OpenGL (for example Xvfb with Mesa)";

// Whether a context can be made, tried once per process (a QGuiApplication
// must exist); the reason when not.
bool OpenGLAvailable(QString* reason = nullptr);

// The same for an OpenGL widget in a window: a context can be made and the
// platform draws such widgets (Qt's offscreen platform does not).
bool OpenGLWindowsAvailable(QString* reason = nullptr);

struct TSceneImage {
    QImage image;   // Format_RGB32; null on failure
    QString error;  // why there is no image
    explicit operator bool() const { return !image.isNull(); }
};

// The scene drawn at width x height pixels, lines `lineWidth` pixels wide
// (multisampled where the context offers it).
TSceneImage RenderSceneImage(const TSurfaceScene& scene, int width, int height, float lineWidth = 1.5f);

}  // namespace velmora
