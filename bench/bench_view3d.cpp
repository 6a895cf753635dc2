// Frames of the 3D view while a drag turns R^4, as the window draws them:
// each frame turns the xw plane by a degree, projects the default surface's
// 200 x 200 mesh anew, uploads it and draws it with the scene renderer into
// a framebuffer of 900 x 640 pixels, and waits for OpenGL to finish. Needs an
// OpenGL context: run it under xvfb-run for Mesa's software renderer.
#include "mesh/SurfaceScene.h"
#include "session/SurfaceSession.h"
#include "view3d/SceneRenderer.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QOpenGLFunctions>

#include <cstdio>
#include <memory>

namespace velmora {
namespace {

void BM_DragFrame(benchmark::State& state) {
    QOpenGLContext context;
    QOffscreenSurface surface;
    if (!context.create()) {
        state.SkipWithError("no OpenGL context: run under xvfb-run");
        return;
    }
    surface.setFormat(context.format());
    surface.create();
    context.makeCurrent(&surface);
    const int width = 900, height = 640;
    QOpenGLFramebufferObjectFormat format;
    format.setAttachment(QOpenGLFramebufferObject::CombinedDepthStencil);
    QOpenGLFramebufferObject fbo(width, height, format);
    fbo.bind();

    TSurfaceSession session(2);
    session.ReadData();
    session.TraceLocus(TLocusKind::GaussCurvature);
    TSurfaceScene scene;
    scene.SetMesh(*SampleSessionMesh(session, kDefaultMeshSide, TInvariantKind::GaussCurvature));
    scene.SetDrawings(LiftSessionDrawings(session));
    TSceneRenderer renderer;
    renderer.Initialise();
    TView4D view;
    double angle = 0;
    for (auto _ : state) {
        view.angles[TPlane::XW] = ++angle;
        scene.SetView(view);
        renderer.Draw(scene, width, height);
        context.functions()->glFinish();
    }
    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    renderer.Release();
    fbo.release();
    context.doneCurrent();
}
BENCHMARK(BM_DragFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

}  // namespace
}  // namespace velmora

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
