// velmora4-cli render3d: the 3D view of the surface as a PNG picture, drawn
// offscreen with OpenGL by the same renderer as the window's view: the mesh
// coloured by the background's invariant, by the fourth coordinate or
// plainly, the loci, curves and coordinate lines lifted onto it, turned in
// R^4, projected into R^3 and seen through the camera.
#include "cli/CliCommon.h"
#include "cli/CliFigure.h"
#include "cli/Registry.h"
#include "mesh/R4Rotation.h"
#include "mesh/SurfaceScene.h"
#include "printing/Figure.h"
#include "view3d/OffscreenRenderer.h"

#include <QImage>
#include <QString>

#include <algorithm>
#include <memory>
#include <string>

namespace velmora::cli {
namespace {

struct Render3dOptions {
    FigureOptions figure;
    std::string out;
    int size = kDefaultFigureSize;
    std::string rotate, projection = "orthographic", camera, colourBy;
    int mesh = kDefaultMeshSide;
};

// "xw=30,yz=45": an angle in degrees for each plane named (the others 0).
TPlaneAngles ParseRotation(const std::string& text) {
    TPlaneAngles angles;
    std::size_t start = 0;
    while (start <= text.size() && !text.empty()) {
        const std::size_t end = std::min(text.find(',', start), text.size());
        const std::string item = text.substr(start, end - start);
        const std::size_t eq = item.find('=');
        const std::optional<TPlane> plane = eq == std::string::npos ? std::nullopt : PlaneFromName(item.substr(0, eq));
        if (!plane)
            throw CLI::ValidationError("--rotate: expected PLANE=DEGREES with a plane of xy xz xw yz yw zw, got '" +
                                       item + "'");
        angles[*plane] = ParseNumber(item.substr(eq + 1));
        start = end + 1;
    }
    return angles;
}

// "YAW,PITCH" or "YAW,PITCH,ZOOM".
TCamera ParseCamera(const std::string& text) {
    TCamera camera;
    if (text.empty()) return camera;
    const std::size_t first = text.find(',');
    if (first == std::string::npos) throw CLI::ValidationError("--camera: expected YAW,PITCH[,ZOOM], got '" + text + "'");
    const std::size_t second = text.find(',', first + 1);
    camera.yaw = ParseNumber(text.substr(0, first));
    camera.pitch = std::clamp(ParseNumber(text.substr(first + 1, second - first - 1)), -89.0, 89.0);
    if (second != std::string::npos) {
        const double zoom = ParseNumber(text.substr(second + 1));
        if (!(zoom > 0)) throw CLI::ValidationError("--camera: the zoom must be positive");
        camera.zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
    }
    return camera;
}

void RunRender3d(const Render3dOptions& o) {
    const QString path = QString::fromStdString(o.out);
    if (!path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive))
        throw VelmoraError("render3d writes PNG pictures: give --out FILE.png");
    TView4D view;
    view.angles = ParseRotation(o.rotate);
    view.projection = *ProjectionFromName(o.projection);
    const std::optional<TBackgroundType> invariant = o.figure.BackgroundType();
    view.colouring = !o.colourBy.empty() ? *ColouringFromName(o.colourBy)
                     : invariant         ? TColouring::Invariant
                                         : TColouring::Plain;
    if (view.colouring == TColouring::Invariant && !invariant)
        throw VelmoraError("--colour-by invariant needs --background KIND");
    const TCamera camera = ParseCamera(o.camera);
    if (const TFigureWrite target = CheckFigureTarget(path, o.size); !target)
        throw VelmoraError(target.message.toStdString());

    // Without OpenGL nothing else is worth computing.
    FontApplication();
    if (QString reason; !OpenGLAvailable(&reason)) throw VelmoraError(reason.toStdString());

    const auto session = BuildFigureSession(o.figure, true);
    TSurfaceScene scene;
    scene.SetMesh(*SampleSessionMesh(*session, o.mesh, invariant));
    scene.SetDrawings(LiftSessionDrawings(*session));
    scene.SetView(view);
    scene.camera = camera;
    const TSceneImage picture = RenderSceneImage(scene, o.size, o.size, std::max(1.5f, o.size / 600.0f));
    if (!picture) throw VelmoraError(picture.error.toStdString());
    if (const TFigureWrite written = WritePicture(path, picture.image); !written)
        throw VelmoraError(written.message.toStdString());
}

const SubcommandRegistrar render3dCommand(8, [](CLI::App& app) {
    auto options = std::make_shared<Render3dOptions>();
    CLI::App* cmd = app.add_subcommand(
        "render3d", "Draw the surface in 3D (turned in R^4, projected, with its loci and lines) into a PNG file");
    cmd->add_option("--out", options->out, "the file to write: FILE.png")->required()->check(NotEmpty("a file"));
    cmd->add_option("--size", options->size,
                    "side of the picture in pixels (" + std::to_string(kMinFigureSize) + " to " +
                        std::to_string(kMaxFigureSize) + ", default " + std::to_string(kDefaultFigureSize) + ")")
        ->check(CLI::Range(kMinFigureSize, kMaxFigureSize));
    cmd->add_option("--rotate", options->rotate,
                    "angles in degrees of the rotation of R^4, by plane: xw=30,yz=45 (planes xy xz xw yz yw zw)");
    cmd->add_option("--projection", options->projection,
                    "orthographic (drop w, default), perspective (from a point on the w axis) or stereographic "
                    "(from the 3-sphere about the surface)")
        ->check(CLI::IsMember({"orthographic", "perspective", "stereographic"}));
    cmd->add_option("--camera", options->camera, "the camera: YAW,PITCH[,ZOOM] in degrees (default -30,20,1)");
    cmd->add_option("--colour-by", options->colourBy,
                    "invariant (the --background's values and palette; the default with --background), depth (the "
                    "fourth coordinate) or plain (the default without --background)")
        ->check(CLI::IsMember({"invariant", "depth", "plain"}));
    cmd->add_option("--mesh", options->mesh,
                    "vertices along each side of the mesh (" + std::to_string(kMinMeshSide) + " to " +
                        std::to_string(kMaxMeshSide) + ", default " + std::to_string(kDefaultMeshSide) + ")")
        ->check(CLI::Range(kMinMeshSide, kMaxMeshSide));
    AddFigureOptions(cmd, options->figure);
    AddSpecialPointsOption(cmd, options->figure);
    cmd->callback([options] { RunGuarded([&] { RunRender3d(*options); }); });
});

}  // namespace
}  // namespace velmora::cli
