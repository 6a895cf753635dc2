#include "cli/CliFigure.h"

#include "background/BackgroundThreads.h"
#include "platform/Platform.h"
#include "platform/VelmoraError.h"
#include "session/SessionTracerHost.h"

#include <QGuiApplication>
#include <QImage>

#include <clocale>
#include <iostream>

namespace velmora::cli {
namespace {

// Stores traced curves in the session in one colour; a stop is requested when
// the curves hold more points than allowed (a line that never closes nor
// leaves the domain would run forever).
class FigureTracerHost : public TSessionTracerHost {
public:
    FigureTracerHost(TSurfaceSession& session, TColor colour, long long maxPoints)
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
        for (const Curve& curve : session_.Stores().lines()) n += static_cast<long long>(curve.pts.size());
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

std::unique_ptr<TSurfaceSession> BuildFigureSession(const FigureOptions& o) {
    if (o.lineClasses.size() != o.from.size())
        throw VelmoraError("every --lines CLASS needs its --from U,V, in the same order");
    const TColor colour = ParseColour(o.colour);
    // Engine sets for the background workers only when there is a background.
    const int threads = o.background.empty() ? 0 : o.threads > 0 ? o.threads : LogicalProcessorCount();
    auto session = LoadSurface(o.surface, threads);
    for (const std::string& kind : o.loci) session->TraceLocus(*InvariantKindFromName(kind));
    FigureTracerHost host(*session, colour, o.maxPoints);
    for (std::size_t i = 0; i < o.from.size(); ++i) {
        const Vector2 start = ParsePair(o.from[i]);
        CheckInDomain(*session, start, "--from");
        const TLineClass lineClass = LineClassOfTag(o.lineClasses[i]);
        if (lineClass == TLineClass::CoordinateLines)
            session->Stores().AddCoordinatePoint(start);
        else
            session->TraceLines(host, HalfBranches(lineClass), lineClass, start, static_cast<uint8_t>(o.foliations));
    }
    return session;
}

void ColourBackground(TSurfaceSession& session, QImage& bitmap, TBackgroundType type) {
    const TPixelView view{bitmap.bits(), static_cast<std::ptrdiff_t>(bitmap.bytesPerLine()), bitmap.width(),
                          bitmap.height()};
    TBackgroundWorkers workers;
    workers.Start(view, session.Map().min2D, session.Map().max2D, type, session.WorkerSets());
    workers.Wait();
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
