// velmora4-cli print: the printed page of the window, without a window, into
// a PDF file - the drawing of the domain with loci, lines and an optional
// background computed for the page, a title, and the equations or a free text.
#include "background/BackgroundThreads.h"
#include "cli/CliCommon.h"
#include "cli/Registry.h"
#include "platform/Platform.h"
#include "printing/Printing.h"
#include "session/SessionTracerHost.h"

#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>


#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace velmora::cli {
namespace {

constexpr int kPageResolution = 600;  // dots per inch of the PDF page

struct PrintOptions {
    SurfaceOptions surface;
    std::string pdf;
    std::string title;
    std::string text;
    std::string background;
    int resolution = kDefaultPrintResolution;
    std::vector<std::string> loci;
    std::vector<int> lineClasses;
    std::vector<std::string> from;
    int foliations = 3;
    std::string colour = "000000";
    int copies = 1;
    int threads = 0;
    long long maxPoints = 1000000;
};

// Stores traced curves in the session in one colour; a stop is requested when
// the curves hold more points than allowed (a line that never closes nor
// leaves the domain would run forever).
class PrintTracerHost : public TSessionTracerHost {
public:
    PrintTracerHost(TSurfaceSession& session, TColor colour, long long maxPoints)
        : TSessionTracerHost(session), colour_(colour), maxPoints_(maxPoints) {}

    void ProcessMessages() override {}
    bool StopRequested() const override { return maxPoints_ > 0 && Points() >= maxPoints_; }
    void ClearStop() override {}
    void SetStatusText(const std::string& text) override {
        if (!text.empty()) std::cerr << text << std::endl;
    }
    void SetPenWidth(int) override {}
    void SavePen() override {}
    void RestorePen() override {}

protected:
    TColor CurveColour() const override { return colour_; }

private:
    long long Points() const {
        long long n = 0;
        const CurvesArray& lines = session_.Stores().lines();
        for (int i = 0; i <= lines.last && i < static_cast<int>(lines.cc.size()); ++i) n += lines.cc[i].last + 1;
        return n;
    }
    TColor colour_;
    long long maxPoints_;
};

// "RRGGBB" -> a colour value (red in the low byte).
TColor ParseColour(const std::string& text) {
    std::size_t used = 0;
    unsigned long rgb = 0;
    try {
        rgb = std::stoul(text, &used, 16);
    } catch (const std::exception&) {
        used = 0;
    }
    if (text.size() != 6 || used != 6) throw VelmoraError("--colour: expected RRGGBB in hexadecimal, got '" + text + "'");
    return static_cast<TColor>(((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16));
}

// The application object that gives the page its fonts, on Qt's offscreen
// platform (no display is needed).
QGuiApplication& FontApplication() {
    static int argc = 1;
    static char name[] = "velmora4-cli";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(argc, argv);
    std::setlocale(LC_ALL, "C");
    return app;
}

void RunPrint(const PrintOptions& o) {
    if (o.lineClasses.size() != o.from.size())
        throw VelmoraError("every --lines CLASS needs its --from U,V, in the same order");
    const TColor colour = ParseColour(o.colour);

    // Engine sets for the background workers only when there is a background.
    const int threads = o.background.empty() ? 0 : o.threads > 0 ? o.threads : LogicalProcessorCount();
    const auto session = LoadSurface(o.surface, threads);
    for (const std::string& kind : o.loci) session->TraceLocus(*InvariantKindFromName(kind));
    PrintTracerHost host(*session, colour, o.maxPoints);
    for (std::size_t i = 0; i < o.from.size(); ++i) {
        const Vector2 start = ParsePair(o.from[i]);
        CheckInDomain(*session, start, "--from");
        const TLineClass lineClass = LineClassOfTag(o.lineClasses[i]);
        if (lineClass == TLineClass::CoordinateLines)
            session->Stores().AddCoordinatePoint(start);
        else
            session->TraceLines(host, HalfBranches(lineClass), lineClass, start, static_cast<uint8_t>(o.foliations));
    }

    FontApplication();
    TPrintSettings settings;
    settings.PrintBackground = !o.background.empty();
    settings.PrintEquations = o.text.empty();
    settings.prTitle = QString::fromStdString(o.title);
    settings.prSubText = QString::fromStdString(o.text);
    settings.prResolution = o.resolution;
    const int backgroundType = o.background.empty() ? -1 : static_cast<int>(*InvariantKindFromName(o.background));

    SaveOutputFile(o.pdf, [&](QIODevice& file) {
        QPdfWriter writer(&file);
        writer.setResolution(kPageResolution);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
        writer.setTitle(settings.prTitle);
        writer.setCreator(QStringLiteral("Velmora4"));
        TPrintJob job(writer, o.copies, *session, settings, backgroundType);
        const auto colourPage = [&](QImage& bitmap) {
            const TPixelView view{bitmap.bits(), static_cast<std::ptrdiff_t>(bitmap.bytesPerLine()), bitmap.width(),
                                  bitmap.height()};
            TBackgroundWorkers workers;
            workers.Start(view, session->Map().min2D, session->Map().max2D, static_cast<TBackgroundType>(backgroundType),
                          session->WorkerSets());
            workers.Wait();
            return true;
        };
        TPrintJob::TStart start = job.StartPrint(colourPage);
        if (start == TPrintJob::TStart::AwaitingBackground)
            start = job.FinishPrint() ? TPrintJob::TStart::Finished : TPrintJob::TStart::Failed;
        if (start != TPrintJob::TStart::Finished) throw VelmoraError("Cannot write " + o.pdf + ": the page could not be drawn");
        return true;
    });
}

const SubcommandRegistrar registrar([](CLI::App& app) {
    auto options = std::make_shared<PrintOptions>();
    CLI::App* cmd = app.add_subcommand(
        "print", "Print the page of the window (drawing, title, equations or text) into a PDF file, A4 at 600 dpi");
    AddSurfaceOptions(cmd, options->surface, true);
    cmd->add_option("--pdf", options->pdf, "the PDF file to write")->required()->check(NotEmpty("a file"));
    cmd->add_option("--title", options->title, "the title above the drawing (default: none)");
    cmd->add_option("--text", options->text, "a free text under the drawing instead of the equations");
    cmd->add_option("--background", options->background,
                    "colour the drawing by an invariant, computed for the page: " + InvariantChoices())
        ->check(InvariantKindValidator());
    cmd->add_option("--resolution", options->resolution,
                    "pixels per line of the background (1 to 5000, default 1200; at most 9/10 of the page width)")
        ->check(CLI::Range(1, kMaxPrintResolution));
    cmd->add_option("--locus", options->loci, "trace the zero set of an invariant (repeatable): " + InvariantChoices())
        ->check(InvariantKindValidator());
    cmd->add_option("--lines", options->lineClasses,
                    "trace the lines of a class through the next --from point (repeatable): 0 coordinate lines, "
                    "1 curvature, 2 asymptotic, 3 mean curvature, 4 principal, 5 extremal normal deviation, "
                    "6 extremal lateral deviation, 7 strong principal lines")
        ->check(CLI::Range(0, 7));
    AddPairOption(cmd, "--from", options->from, "the start point U,V of the matching --lines (repeatable)");
    cmd->add_option("--foliations", options->foliations, "1 first foliation, 2 second, 3 both (default)")
        ->check(CLI::Range(1, 3));
    cmd->add_option("--colour", options->colour, "colour RRGGBB of the traced curves (default 000000, black)");
    cmd->add_option("--copies", options->copies, "pages printed (default 1)")->check(CLI::Range(1, 1000));
    cmd->add_option("--threads", options->threads, "background workers (default: the logical processors)")
        ->check(CLI::Range(1, 256));
    cmd->add_option("--max-points", options->maxPoints,
                    "stop tracing lines once this many points are stored (0: no limit; default 1000000)");
    cmd->callback([options] { RunGuarded([&] { RunPrint(*options); }); });
});

}  // namespace
}  // namespace velmora::cli
