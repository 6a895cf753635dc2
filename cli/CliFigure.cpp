#include "cli/CliFigure.h"

#include "background/BackgroundThreads.h"
#include "platform/Platform.h"
#include "platform/VelmoraError.h"
#include "session/OutcomeText.h"

#include <QGuiApplication>
#include <QImage>

#include <clocale>
#include <iostream>
#include <stop_token>

namespace velmora::cli {
namespace {

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

}  // namespace

std::optional<TBackgroundType> FigureOptions::BackgroundType() const {
    if (background.empty()) return std::nullopt;
    return InvariantKindFromName(background);
}

void AddFigureOptions(CLI::App* cmd, FigureOptions& options) {
    AddSurfaceOptions(cmd, options.surface, true);
    cmd->add_option("--background", options.background, "colour the drawing by an invariant: " + InvariantChoices())
        ->check(InvariantKindValidator());
    cmd->add_option("--locus", options.loci, "trace the zero set of an invariant (repeatable): " + InvariantChoices())
        ->check(InvariantKindValidator());
    cmd->add_option("--lines", options.lineClasses,
                    "trace the lines of a class through the next --from point (repeatable): 0 coordinate lines, "
                    "1 curvature, 2 asymptotic, 3 mean curvature, 4 principal, 5 extremal normal deviation, "
                    "6 extremal lateral deviation, 7 strong principal lines")
        ->check(CLI::Range(0, 7));
    AddPairOption(cmd, "--from", options.from, "the start point U,V of the matching --lines (repeatable)");
    cmd->add_option("--foliations", options.foliations, "1 first foliation, 2 second, 3 both (default)")
        ->check(CLI::Range(1, 3));
    cmd->add_option("--colour", options.colour, "colour RRGGBB of the traced curves (default 000000, black)");
    cmd->add_option("--threads", options.threads, "background workers (default: the logical processors)")
        ->check(CLI::Range(1, 256));
    cmd->add_option("--max-points", options.maxPoints,
                    "stop tracing lines once this many points are stored (0: no limit; default 1000000)");
}

void AddSpecialPointsOption(CLI::App* cmd, FigureOptions& options) {
    cmd->add_option("--points", options.specialPoints,
                    "mark the special points of a line class (1 to 4; 0 every kind) and their curves")
        ->check(SpecialPointClassValidator());
}

std::unique_ptr<TSurfaceSession> BuildFigureSession(const FigureOptions& o, bool workers) {
    if (o.lineClasses.size() != o.from.size())
        throw VelmoraError("every --lines CLASS needs its --from U,V, in the same order");
    const TColor colour = ParseColour(o.colour);
    // Engine sets for workers only when there is work for them.
    const bool anyWorkers = workers || !o.background.empty() || o.specialPoints >= 0;
    const int threads = !anyWorkers ? 0 : o.threads > 0 ? o.threads : LogicalProcessorCount();
    auto session = LoadSurface(o.surface, threads);
    for (const std::string& name : o.loci) {
        const TLocusKind kind = *InvariantKindFromName(name);
        TLocusTrace trace = session->TraceLocusWith(session->MainEngines(), kind);
        if (const std::string message = LocusTraceText(trace); !message.empty()) std::cerr << message << std::endl;
        session->StoreLocus(std::move(trace));
    }
    if (o.specialPoints >= 0) {
        const auto found = session->FindSpecialPoints(LineClassOfTag(o.specialPoints));
        if (found && found->capped) std::cerr << SpecialPointsCapMessage() << std::endl;
    }
    // The curves of every trace count towards --max-points; once they hold
    // that many points the stop is requested, also of the traces after.
    std::stop_source stop;
    long long points = 0;
    TLineTraceTarget target;
    target.curveColour = [colour] { return colour; };
    target.show = [&](const TCurvePiece&, TColor) {
        if (o.maxPoints > 0 && ++points >= o.maxPoints) stop.request_stop();
    };
    for (std::size_t i = 0; i < o.from.size(); ++i) {
        const Vector2 start = ParsePair(o.from[i]);
        CheckInDomain(*session, start, "--from");
        const TLineClass lineClass = LineClassOfTag(o.lineClasses[i]);
        if (lineClass == TLineClass::CoordinateLines) {
            session->Stores().AddCoordinatePoint(start);
            continue;
        }
        const auto outcome = session->TraceLines(HalfBranches(lineClass), lineClass, start,
                                                 static_cast<uint8_t>(o.foliations), target, stop.get_token());
        if (const std::string message = outcome ? LineTraceText(*outcome) : std::string(); !message.empty())
            std::cerr << message << std::endl;
    }
    return session;
}

void ColourBackground(TSurfaceSession& session, QImage& bitmap, TBackgroundType type) {
    const TPixelView view{bitmap.bits(), static_cast<std::ptrdiff_t>(bitmap.bytesPerLine()), bitmap.width(),
                          bitmap.height()};
    TBackgroundWorkers workers;
    workers.Start(view, session.Map().min2D, session.Map().max2D, type, session.WorkerSets());
    workers.Wait();
    if (workers.Vanishing()) std::cerr << InvariantVanishesText(type) << std::endl;
}

QGuiApplication& FontApplication() {
    static int argc = 1;
    static char name[] = "velmora4-cli";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(argc, argv);
    std::setlocale(LC_ALL, "C");
    return app;
}

}  // namespace velmora::cli
