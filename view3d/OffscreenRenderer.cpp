#include "view3d/OffscreenRenderer.h"

#include "view3d/SceneRenderer.h"

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>

#include <memory>
#include <optional>

namespace velmora {

namespace {

struct TOffscreenContext {
    QOpenGLContext context;
    QOffscreenSurface surface;
    bool Make(QString& reason) {
        if (!context.create()) {
            reason = QString::fromLatin1(kNoOpenGL);
            return false;
        }
        surface.setFormat(context.format());
        surface.create();
        if (!surface.isValid() || !context.makeCurrent(&surface)) {
            reason = QString::fromLatin1(kNoOpenGL);
            return false;
        }
        return true;
    }
};

}  // namespace

bool OpenGLAvailable(QString* reason) {
    static const std::optional<QString> failure = []() -> std::optional<QString> {
        TOffscreenContext c;
        QString why;
        if (!c.Make(why)) return why;
        c.context.doneCurrent();
        return std::nullopt;
    }();
    if (failure && reason) *reason = *failure;
    return !failure;
}

bool OpenGLWindowsAvailable(QString* reason) {
    if (!OpenGLAvailable(reason)) return false;
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal")) {
        if (reason) *reason = QString::fromLatin1(kNoOpenGL);
        return false;
    }
    return true;
}

TSceneImage RenderSceneImage(const TSurfaceScene& scene, int width, int height, float lineWidth) {
    TSceneImage result;
    TOffscreenContext c;
    if (!c.Make(result.error)) return result;
    {
        QOpenGLFramebufferObjectFormat format;
        format.setAttachment(QOpenGLFramebufferObject::CombinedDepthStencil);
        format.setSamples(4);
        QOpenGLFramebufferObject fbo(width, height, format);
        if (!fbo.isValid() || !fbo.bind()) {
            result.error = QStringLiteral("No OpenGL framebuffer of %1 x %2 pixels can be made").arg(width).arg(height);
        } else {
            TSceneRenderer renderer;
            QString error;
            if (!renderer.Initialise(&error)) {
                result.error = QStringLiteral("The 3D view's shaders cannot be built: ") + error;
            } else {
                renderer.Draw(scene, width, height, lineWidth);
                c.context.functions()->glFinish();
                result.image = fbo.toImage().convertToFormat(QImage::Format_RGB32);
                if (result.image.isNull()) result.error = QStringLiteral("The picture cannot be read back");
            }
            renderer.Release();
            fbo.release();
        }
    }
    c.context.doneCurrent();
    return result;
}

}  // namespace velmora
