// velmora4-cli subcommands of the tracers and the backgrounds:
//   locus       the zero set of one invariant over the domain, as polylines
//   lines       the integral curves of a line family through a point
//   background  the colour map of one invariant, rendered into a PNG file
#include "background/BackgroundThreads.h"
#include "cli/CliCommon.h"
#include "cli/CliFigure.h"
#include "cli/Registry.h"
#include "curves/LineFieldTracer.h"
#include "platform/Platform.h"
#include "platform/VelmoraError.h"
#include "session/OutcomeText.h"
#include "session/SurfaceSession.h"

#include <QImage>

#include <chrono>
#include <cmath>
#include <iostream>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

namespace velmora::cli {
namespace {

// ---- locus ------------------------------------------------------------------------

struct LocusOptions {
    SurfaceOptions surface;
    std::string kind;
};

void RunLocus(const LocusOptions& o) {
    const auto s = LoadSurface(o.surface, 0);
    const TLocusKind kind = *InvariantKindFromName(o.kind);
    TLocusTrace trace = s->TraceLocusWith(s->MainEngines(), kind);
    // An error of the geometry fails the command; an invariant that vanishes
    // everywhere has no locus to print, which is said.
    const std::string message = LocusTraceText(trace);
    if (trace.end == TLocusEnd::Halted) FailWithEngineMessage(message);
    s->StoreLocus(std::move(trace));
    for (const auto& piece : s->Stores().LocusPieces(kind)) JsonLine().Points("points", piece).Print();
    if (!message.empty()) std::cerr << message << std::endl;
}

// ---- lines --------------------------------------------------------------------------

struct LinesOptions {
    SurfaceOptions surface;
    int curveClass = 1;
    std::vector<std::string> from;
    int foliations = 3;
    long long maxPoints = 1000000;
};

void RunLines(const LinesOptions& o) {
    const auto s = LoadSurface(o.surface, 0);
    const Vector2 start = ParsePair(o.from.at(0));
    CheckInDomain(*s, start, "--from");
    const TLineClass curveClass = static_cast<TLineClass>(o.curveClass);
    // The curves as the window stores them, with the colour code of the
    // higher-degree families (none: the picker's colour). A stop is requested
    // when they hold the points allowed (a line that never closes nor leaves
    // the domain would run forever).
    struct Curve {
        std::optional<int> colour;
        std::vector<Vector2> points;
    };
    std::vector<Curve> curves;
    long long points = 0;
    std::stop_source stop;
    const TSegmentSink record = [&](const TCurvePiece& piece) {
        if (piece.newCurve || curves.empty())
            curves.push_back({IsHigherDegree(curveClass) ? std::optional<int>(piece.colourCode) : std::nullopt, {}});
        curves.back().points.push_back(piece.to);
        if (o.maxPoints > 0 && ++points >= o.maxPoints) stop.request_stop();
    };
    // Half-branches from the point: 8 for curvature lines, 4 for classes 2 to 4
    // (the higher-degree tracer counts its own directions).
    const TTraceOutcome outcome = DrawLineField(s->Surface(), s->Map(), HalfBranches(curveClass), curveClass, start,
                                                static_cast<uint8_t>(o.foliations), record, stop.get_token());
    if (const std::string message = LineTraceText(outcome); !message.empty()) std::cerr << message << std::endl;
    for (const auto& c : curves) {
        JsonLine line;
        if (c.colour)
            line.Integer("colour", *c.colour);
        else
            line.Null("colour");
        line.Points("points", c.points).Print();
    }
    if (outcome.end == TTraceEnd::Stopped) std::cerr << "Stopped after " << o.maxPoints << " points" << std::endl;
}

// ---- background -------------------------------------------------------------------

struct BackgroundOptions {
    SurfaceOptions surface;
    std::string type;
    std::vector<std::string> size;
    std::string png;
    int threads = 0;
};

void RunBackground(const BackgroundOptions& o) {
    int width = 548, height = 548;
    if (!o.size.empty()) {
        const Vector2 wh = ParsePair(o.size[0]);
        if (!(wh[0] >= 1 && wh[1] >= 1 && wh[0] <= 20000 && wh[1] <= 20000) || wh[0] != std::floor(wh[0]) ||
            wh[1] != std::floor(wh[1]))
            throw CLI::ValidationError("--size: expected two whole numbers from 1 to 20000");
        width = static_cast<int>(wh[0]);
        height = static_cast<int>(wh[1]);
    }
    const int threads = o.threads > 0 ? o.threads : LogicalProcessorCount();
    const auto s = LoadSurface(o.surface, threads);
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull()) throw std::runtime_error("Cannot create an image of that size");
    const auto begin = std::chrono::steady_clock::now();
    ColourBackground(*s, image, *InvariantKindFromName(o.type));
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count();
    SaveOutputFile(o.png, [&](QIODevice& file) { return image.save(&file, "PNG"); });
    JsonLine().Number("ms", ms).Integer("threads", threads).Print();
}

const SubcommandRegistrar tracingCommand(9, [](CLI::App& app) {
    {
        auto options = std::make_shared<LocusOptions>();
        CLI::App* cmd = app.add_subcommand(
            "locus", "Trace the zero set of an invariant over the domain; one JSON object per polyline");
        AddSurfaceOptions(cmd, options->surface, true);
        cmd->add_option("--kind", options->kind, "the invariant whose zero set is traced: " + InvariantChoices())
            ->required()
            ->check(InvariantKindValidator());
        cmd->callback([options] { RunGuarded([&] { RunLocus(*options); }); });
    }
    {
        auto options = std::make_shared<LinesOptions>();
        CLI::App* cmd = app.add_subcommand(
            "lines", "Integral curves of a line family through a point; one JSON object per stored curve");
        AddSurfaceOptions(cmd, options->surface, true);
        cmd->add_option("--class", options->curveClass,
                        "1 curvature, 2 asymptotic, 3 mean curvature, 4 principal, 5 extremal normal deviation, "
                        "6 extremal lateral deviation, 7 strong principal lines")
            ->required()
            ->check(CLI::Range(1, 7));
        AddPairOption(cmd, "--from", options->from, "the start point U,V")->required();
        cmd->add_option("--foliations", options->foliations, "1 first foliation, 2 second, 3 both (default)")
            ->check(CLI::Range(1, 3));
        cmd->add_option("--max-points", options->maxPoints,
                        "request a stop once this many points are stored (0: no limit; default 1000000)");
        cmd->callback([options] { RunGuarded([&] { RunLines(*options); }); });
    }
    {
        auto options = std::make_shared<BackgroundOptions>();
        CLI::App* cmd = app.add_subcommand(
            "background", "Colour the domain by an invariant into a PNG file; prints the time taken");
        AddSurfaceOptions(cmd, options->surface, true);
        cmd->add_option("--type", options->type,
                        "the invariant that colours the domain (the angle by its absolute value): " +
                            InvariantChoices())
            ->required()
            ->check(InvariantKindValidator());
        AddPairOption(cmd, "--size", options->size, "bitmap width and height W,H (default 548,548)");
        cmd->add_option("--png", options->png, "the PNG file to write")->required()->check(NotEmpty("a file"));
        cmd->add_option("--threads", options->threads, "worker threads (default: the logical processors)")
            ->check(CLI::Range(1, 256));
        cmd->callback([options] { RunGuarded([&] { RunBackground(*options); }); });
    }
});

}  // namespace
}  // namespace velmora::cli
