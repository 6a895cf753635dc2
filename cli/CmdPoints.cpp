// velmora4-cli points: the special points of the fields of a line class over
// the domain - one JSON object per point (kind, index, separatrices, type,
// and for inflection points where the origin lies), one per set of points
// that is not isolated (its polyline, or "everywhere").
#include "cli/CliCommon.h"
#include "cli/Registry.h"
#include "platform/Platform.h"
#include "points/SpecialPointScan.h"

#include <iostream>
#include <memory>
#include <string>

namespace velmora::cli {
namespace {

struct PointsOptions {
    SurfaceOptions surface;
    int lineClass = 0;
    int threads = 0;  // 0: the logical processors
    int cells = kSpecialPointCells;
};

void PrintSpecialPoint(const TSpecialPoint& p) {
    JsonLine line;
    line.Number("u", p.at[0]).Number("v", p.at[1]).String("kind", SpecialKindName(p.kind));
    line.Number("index", p.index);  // NaN (not measured) as null
    if (p.separatrices >= 0)
        line.Integer("separatrices", p.separatrices);
    else
        line.Null("separatrices");
    if (p.type.empty())
        line.Null("type");
    else
        line.String("type", p.type);
    if (p.origin) line.String("origin", OriginSideName(*p.origin));
    line.Print();
}

void PrintSpecialSet(const TSpecialSet& s) {
    JsonLine line;
    line.String("kind", SpecialKindName(s.kind));
    if (s.everywhere)
        line.Boolean("everywhere", true);
    else
        line.Points("curve", s.curve);
    line.Print();
}

void RunPoints(const PointsOptions& o) {
    const int threads = o.threads > 0 ? o.threads : LogicalProcessorCount();
    const auto session = LoadSurface(o.surface, threads);
    TSpecialPointOptions options;
    options.cells = o.cells;
    const std::optional<TSpecialPointsResult> found = session->FindSpecialPoints(LineClassOfTag(o.lineClass), options);
    if (!found) throw VelmoraError(kNoSpecialPointsOfClass);
    for (const TSpecialPoint& p : found->points) PrintSpecialPoint(p);
    for (const TSpecialSet& s : found->sets) PrintSpecialSet(s);
    if (found->capped) std::cerr << SpecialPointsCapMessage() << std::endl;
}

const SubcommandRegistrar pointsCommand(5, [](CLI::App& app) {
    auto options = std::make_shared<PointsOptions>();
    CLI::App* cmd = app.add_subcommand(
        "points", "Find the special points of a line family's fields over the domain, with their index, "
                  "separatrices and type");
    AddSurfaceOptions(cmd, options->surface, true);
    cmd->add_option("--class", options->lineClass,
                    "the line class whose points are found: 1 curvature (axiumbilic points), 2 asymptotic "
                    "(inflection points), 3 mean curvature (inflection and minimal points), 4 principal (minimal "
                    "and principal-singular points), 0 every kind (default); degenerate points always")
        ->check(SpecialPointClassValidator());
    cmd->add_option("--cells", options->cells,
                    "grid cells per side of the domain scanned for points (2 to 4096, default " +
                        std::to_string(kSpecialPointCells) + ")")
        ->check(CLI::Range(2, 4096));
    cmd->add_option("--threads", options->threads, "worker threads (default: the logical processors)")
        ->check(CLI::Range(1, 256));
    cmd->callback([options] { RunGuarded([&] { RunPoints(*options); }); });
});

}  // namespace
}  // namespace velmora::cli
