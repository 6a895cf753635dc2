// Draws a surface scene with OpenGL shaders into the current context: the
// triangles of the surface coloured through the scene's palette (one texel
// per colour, so every fragment shows a colour of the palette) and lit from
// the eye on both sides, then the lifted lines over it. The window's view
// and the offscreen renderer both draw with it.
#pragma once

#include "mesh/SurfaceScene.h"

#include <QOpenGLBuffer>
#include <QOpenGLFunctions>
#include <QOpenGLShaderProgram>
#include <QString>

#include <cstdint>
#include <memory>

namespace velmora {

// The colour behind the surface (red, green, blue in 0 .. 1).
inline constexpr float kSceneBackground[3] = {0.16f, 0.17f, 0.20f};

class TSceneRenderer : protected QOpenGLFunctions {
public:
    TSceneRenderer() = default;
    TSceneRenderer(const TSceneRenderer&) = delete;
    TSceneRenderer& operator=(const TSceneRenderer&) = delete;
    ~TSceneRenderer();  // the GL objects go with their context; Release frees them earlier

    // With the context current: compiles the shaders. False, and the reason
    // in error, when they cannot be built.
    bool Initialise(QString* error = nullptr);
    // Draws the scene into the bound framebuffer of width x height device
    // pixels, uploading what changed since the last draw.
    void Draw(const TSurfaceScene& scene, int width, int height, float lineWidth = 1.5f);
    // Frees the GL objects; the context must be current.
    void Release();

private:
    void Upload(const TSurfaceScene& scene);

    bool ready_ = false;
    std::unique_ptr<QOpenGLShaderProgram> surface_, lines_;
    QOpenGLBuffer positions_{QOpenGLBuffer::VertexBuffer}, normals_{QOpenGLBuffer::VertexBuffer},
        shades_{QOpenGLBuffer::VertexBuffer}, triangles_{QOpenGLBuffer::IndexBuffer},
        linePositions_{QOpenGLBuffer::VertexBuffer}, lineColours_{QOpenGLBuffer::VertexBuffer};
    GLuint palette_ = 0;
    int indexCount_ = 0, lineVertices_ = 0;
    uint64_t meshRevision_ = ~uint64_t{0}, linesRevision_ = ~uint64_t{0};
    int paletteColouring_ = -1;
};

}  // namespace velmora
