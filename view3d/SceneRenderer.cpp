#include "view3d/SceneRenderer.h"

#include <cmath>

namespace velmora {

namespace {

// GLSL 1.20: the compatibility contexts of desktop OpenGL (Mesa's software
// renderer among them) all take it.
constexpr const char* kSurfaceVertex = R"(#version 120
attribute vec3 position;
attribute vec3 normal;
attribute vec2 shade;
uniform mat4 view;
uniform mat4 projection;
varying vec3 eyeNormal;
varying vec3 eyePosition;
varying vec2 vertexShade;
void main() {
    vec4 e = view * vec4(position, 1.0);
    eyePosition = e.xyz;
    eyeNormal = mat3(view) * normal;
    vertexShade = shade;
    gl_Position = projection * e;
})";

// The palette entry nearest to the interpolated coordinate; white where a
// vertex of the triangle has no colour. A headlight: full colour where the
// surface faces the eye, on either side, down to a quarter at grazing angles.
constexpr const char* kSurfaceFragment = R"(#version 120
uniform sampler2D palette;
varying vec3 eyeNormal;
varying vec3 eyePosition;
varying vec2 vertexShade;
void main() {
    vec3 base = texture2D(palette, vec2((floor(vertexShade.x + 0.5) + 0.5) / 512.0, 0.5)).rgb;
    if (vertexShade.y < 0.999) base = vec3(1.0);
    float len = length(eyeNormal);
    float facing = len > 0.0 ? abs(dot(eyeNormal / len, normalize(-eyePosition))) : 1.0;
    gl_FragColor = vec4(base * (0.25 + 0.75 * facing), 1.0);
})";

constexpr const char* kLineVertex = R"(#version 120
attribute vec3 position;
attribute vec3 colour;
uniform mat4 view;
uniform mat4 projection;
varying vec3 lineColour;
void main() {
    lineColour = colour;
    gl_Position = projection * (view * vec4(position, 1.0));
})";

constexpr const char* kLineFragment = R"(#version 120
varying vec3 lineColour;
void main() { gl_FragColor = vec4(lineColour, 1.0); })";

std::unique_ptr<QOpenGLShaderProgram> Program(const char* vertex, const char* fragment, QString* error) {
    auto p = std::make_unique<QOpenGLShaderProgram>();
    if (!p->addShaderFromSourceCode(QOpenGLShader::Vertex, vertex) ||
        !p->addShaderFromSourceCode(QOpenGLShader::Fragment, fragment) || !p->link()) {
        if (error) *error = p->log();
        return nullptr;
    }
    return p;
}

template <typename T>
void Fill(QOpenGLBuffer& buffer, const std::vector<T>& data) {
    if (!buffer.isCreated()) buffer.create();
    buffer.bind();
    buffer.allocate(data.data(), static_cast<int>(data.size() * sizeof(T)));
    buffer.release();
}

void Attribute(QOpenGLShaderProgram& p, const char* name, QOpenGLBuffer& buffer, int size) {
    buffer.bind();
    p.enableAttributeArray(name);
    p.setAttributeBuffer(name, GL_FLOAT, 0, size);
}

}  // namespace

TSceneRenderer::~TSceneRenderer() = default;

bool TSceneRenderer::Initialise(QString* error) {
    initializeOpenGLFunctions();
    surface_ = Program(kSurfaceVertex, kSurfaceFragment, error);
    lines_ = Program(kLineVertex, kLineFragment, error);
    ready_ = surface_ && lines_;
    meshRevision_ = linesRevision_ = ~uint64_t{0};
    paletteColouring_ = -1;
    return ready_;
}

void TSceneRenderer::Release() {
    for (QOpenGLBuffer* b : {&positions_, &normals_, &shades_, &triangles_, &linePositions_, &lineColours_})
        b->destroy();
    if (palette_) glDeleteTextures(1, &palette_);
    palette_ = 0;
    surface_.reset();
    lines_.reset();
    ready_ = false;
}

void TSceneRenderer::Upload(const TSurfaceScene& scene) {
    if (scene.MeshRevision() != meshRevision_) {
        const TProjectedMesh& m = scene.Projected();
        Fill(positions_, m.positions);
        Fill(normals_, m.normals);
        Fill(shades_, m.shades);
        Fill(triangles_, m.triangles);
        indexCount_ = static_cast<int>(m.triangles.size());
        meshRevision_ = scene.MeshRevision();
    }
    if (scene.LinesRevision() != linesRevision_) {
        Fill(linePositions_, scene.Lines().positions);
        Fill(lineColours_, scene.Lines().colours);
        lineVertices_ = static_cast<int>(scene.Lines().positions.size() / 3);
        linesRevision_ = scene.LinesRevision();
    }
    const int colouring = static_cast<int>(scene.View().colouring);
    if (colouring != paletteColouring_) {
        // $00BBGGRR values are the bytes R, G, B, A in memory.
        TColouringPalette texels = scene.Palette();
        for (uint32_t& t : texels) t |= 0xFF000000u;
        if (!palette_) glGenTextures(1, &palette_);
        glBindTexture(GL_TEXTURE_2D, palette_);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 512, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
        paletteColouring_ = colouring;
    }
}

void TSceneRenderer::Draw(const TSurfaceScene& scene, int width, int height, float lineWidth) {
    if (!ready_) return;  // no functions without a context that built the shaders
    glViewport(0, 0, width, height);
    glClearColor(kSceneBackground[0], kSceneBackground[1], kSceneBackground[2], 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (!scene.HasMesh() || width <= 0 || height <= 0) return;
    Upload(scene);
    const TCameraFrame frame = scene.Frame(width, height);
    // QMatrix4x4 reads an array row by row: that gives the transposes of
    // the column-major arrays.
    const QMatrix4x4 viewMatrix = QMatrix4x4(frame.view.data()).transposed();
    const QMatrix4x4 projectionMatrix = QMatrix4x4(frame.projection.data()).transposed();

    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDisable(GL_CULL_FACE);
    if (indexCount_ > 0) {
        // The surface a little behind its lines, so that they show on it.
        glEnable(GL_POLYGON_OFFSET_FILL);
        glPolygonOffset(1, 1);
        surface_->bind();
        surface_->setUniformValue("view", viewMatrix);
        surface_->setUniformValue("projection", projectionMatrix);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, palette_);
        surface_->setUniformValue("palette", 0);
        Attribute(*surface_, "position", positions_, 3);
        Attribute(*surface_, "normal", normals_, 3);
        Attribute(*surface_, "shade", shades_, 2);
        triangles_.bind();
        glDrawElements(GL_TRIANGLES, indexCount_, GL_UNSIGNED_INT, nullptr);
        triangles_.release();
        for (const char* a : {"position", "normal", "shade"}) surface_->disableAttributeArray(a);
        surface_->release();
        glDisable(GL_POLYGON_OFFSET_FILL);
    }
    if (lineVertices_ > 0) {
        lines_->bind();
        lines_->setUniformValue("view", viewMatrix);
        lines_->setUniformValue("projection", projectionMatrix);
        Attribute(*lines_, "position", linePositions_, 3);
        Attribute(*lines_, "colour", lineColours_, 3);
        glLineWidth(lineWidth);
        glDrawArrays(GL_LINES, 0, lineVertices_);
        lines_->disableAttributeArray("position");
        lines_->disableAttributeArray("colour");
        lines_->release();
    }
    QOpenGLBuffer::release(QOpenGLBuffer::VertexBuffer);
    glDisable(GL_DEPTH_TEST);
}

}  // namespace velmora
