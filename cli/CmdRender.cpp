// velmora4-cli render: the square figure of the window's main panel, without
// a window, into a PNG, SVG or PDF file of a given size - the background
// computed at that size, the loci, the coordinate lines and the curves, drawn
// by the same routine as the window's Export Image and the printed page.
#include "cli/CliCommon.h"
#include "cli/CliFigure.h"
#include "cli/Registry.h"
#include "printing/Figure.h"

#include <QImage>
#include <QString>

#include <memory>
#include <string>

namespace velmora::cli {
namespace {

struct RenderOptions {
    FigureOptions figure;
    std::string out;
    int size = kDefaultFigureSize;
};

void RunRender(const RenderOptions& o) {
    const QString path = QString::fromStdString(o.out);
    // The name and the place are checked before any tracing or colouring.
    if (const TFigureWrite target = CheckFigureTarget(path, o.size); !target)
        throw VelmoraError(target.message.toStdString());
    const auto session = BuildFigureSession(o.figure);
    FontApplication();
    QImage background;
    if (const std::optional<TBackgroundType> type = o.figure.BackgroundType()) {
        background = QImage(o.size, o.size, QImage::Format_RGB32);
        if (background.isNull()) throw VelmoraError("Cannot write " + o.out + ": no memory for the background");
        background.fill(Qt::white);
        ColourBackground(*session, background, *type);
    }
    SaveOutputFile(o.out, [&](QIODevice& file) {
        return WriteFigureTo(file, *FigureFormatOf(path), o.size, *session, background.isNull() ? nullptr : &background);
    });
}

const SubcommandRegistrar renderCommand(7, [](CLI::App& app) {
    auto options = std::make_shared<RenderOptions>();
    CLI::App* cmd = app.add_subcommand(
        "render", "Draw the square figure of the domain (background, loci, lines) into a PNG, SVG or PDF file");
    cmd->add_option("--out", options->out, "the file to write: FILE.png, FILE.svg or FILE.pdf")
        ->required()
        ->check(NotEmpty("a file"));
    cmd->add_option("--size", options->size,
                    "side of the figure in pixels, and of its background (" + std::to_string(kMinFigureSize) +
                        " to " + std::to_string(kMaxFigureSize) + ", default " + std::to_string(kDefaultFigureSize) +
                        ")")
        ->check(CLI::Range(kMinFigureSize, kMaxFigureSize));
    AddFigureOptions(cmd, options->figure);
    AddSpecialPointsOption(cmd, options->figure);
    cmd->callback([options] { RunGuarded([&] { RunRender(*options); }); });
});

}  // namespace
}  // namespace velmora::cli
