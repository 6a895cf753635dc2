// velmora4-cli print: the printed page of the window, without a window, into
// a PDF file - the drawing of the domain with loci, lines and an optional
// background computed for the page, a title, and the equations or a free text.
#include "cli/CliCommon.h"
#include "cli/CliFigure.h"
#include "cli/Registry.h"
#include "printing/Printing.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>

#include <iostream>
#include <memory>
#include <string>

namespace velmora::cli {
namespace {

constexpr int kPageResolution = 600;  // dots per inch of the PDF page

struct PrintOptions {
    FigureOptions figure;
    std::string pdf;
    std::string title;
    std::string text;
    int resolution = kDefaultPrintResolution;
    int copies = 1;
};

void RunPrint(const PrintOptions& o) {
    const auto session = BuildFigureSession(o.figure);
    const std::optional<TBackgroundType> background = o.figure.BackgroundType();

    FontApplication();
    TPrintSettings settings;
    settings.PrintBackground = background.has_value();
    settings.PrintEquations = o.text.empty();
    settings.prTitle = QString::fromStdString(o.title);
    settings.prSubText = QString::fromStdString(o.text);
    settings.prResolution = o.resolution;
    const int backgroundType = background ? static_cast<int>(*background) : -1;

    SaveOutputFile(o.pdf, [&](QIODevice& file) {
        QPdfWriter writer(&file);
        writer.setResolution(kPageResolution);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
        writer.setTitle(settings.prTitle);
        writer.setCreator(QStringLiteral("Velmora4"));
        TPrintJob job(writer, o.copies, *session, settings, backgroundType);
        const auto colourPage = [&](QImage& bitmap) {
            ColourBackground(*session, bitmap, *background);
            return true;
        };
        TPrintJob::TStart start = job.StartPrint(colourPage);
        if (const QString cap = job.ResolutionCapText(); !cap.isEmpty()) std::cerr << cap.toStdString() << std::endl;
        if (start == TPrintJob::TStart::AwaitingBackground)
            start = job.FinishPrint() ? TPrintJob::TStart::Finished : TPrintJob::TStart::Failed;
        if (start != TPrintJob::TStart::Finished) throw VelmoraError("Cannot write " + o.pdf + ": the page could not be drawn");
        return true;
    });
}

const SubcommandRegistrar printCommand(6, [](CLI::App& app) {
    auto options = std::make_shared<PrintOptions>();
    CLI::App* cmd = app.add_subcommand(
        "print", "Print the page of the window (drawing, title, equations or text) into a PDF file, A4 at 600 dpi");
    cmd->add_option("--pdf", options->pdf, "the PDF file to write")->required()->check(NotEmpty("a file"));
    cmd->add_option("--title", options->title, "the title above the drawing (default: none)");
    cmd->add_option("--text", options->text, "a free text under the drawing instead of the equations");
    AddFigureOptions(cmd, options->figure);
    AddSpecialPointsOption(cmd, options->figure);
    cmd->add_option("--resolution", options->resolution,
                    "pixels per line of the background (1 to 5000, default 1200; at most 9/10 of the page width)")
        ->check(CLI::Range(1, kMaxPrintResolution));
    cmd->add_option("--copies", options->copies, "pages printed (default 1)")->check(CLI::Range(1, 1000));
    cmd->callback([options] { RunGuarded([&] { RunPrint(*options); }); });
});

}  // namespace
}  // namespace velmora::cli
