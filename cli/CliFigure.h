// What velmora4-cli print and render draw: the surface, its loci, the lines
// through given points and the background, set by the same options in both
// commands, and the pieces both need to draw without a window (the fonts'
// application object, the background colouring that waits for its workers).
#pragma once

#include "cli/CliCommon.h"
#include "curves/TraceSink.h"
#include "geometry/ScalarInvariants.h"

#include <CLI/CLI.hpp>

#include <memory>
#include <optional>
#include <string>
#include <vector>

class QGuiApplication;
class QImage;

namespace velmora::cli {

struct FigureOptions {
    SurfaceOptions surface;
    std::string background;  // a kind of the invariant table; empty: none
    std::vector<std::string> loci;
    std::vector<int> lineClasses;
    std::vector<std::string> from;
    int foliations = 3;
    std::string colour = "000000";
    int threads = 0;  // 0: the logical processors
    long long maxPoints = 1000000;
    int specialPoints = -1;  // the line class whose special points are drawn; -1: none

    std::optional<TBackgroundType> BackgroundType() const;
};

// --x --y --z --w --doc --u --v, --background, --locus, --lines/--from,
// --foliations, --colour, --threads and --max-points.
void AddFigureOptions(CLI::App* cmd, FigureOptions& options);
// --points: the figures of the domain mark the special points of a line class.
void AddSpecialPointsOption(CLI::App* cmd, FigureOptions& options);

// The surface read as the window reads it, with the loci traced, the lines
// of every --lines/--from pair stored in the colour given and the special
// points of --points found; engine sets for workers when there is a
// background or special points, or `workers` asks for them. Throws
// VelmoraError, or CLI::ValidationError for a --from point outside the domain.
std::unique_ptr<TSurfaceSession> BuildFigureSession(const FigureOptions& options, bool workers = false);

// Colours bitmap (Format_RGB32) by the background type with the session's
// worker engine sets and waits for the workers. An invariant that vanishes on
// the whole domain is painted in the colour of zero and said so on standard error.
void ColourBackground(TSurfaceSession& session, QImage& bitmap, TBackgroundType type);

// The application object that gives pages and figures their fonts, on Qt's
// offscreen platform (no display is needed).
QGuiApplication& FontApplication();

}  // namespace velmora::cli
