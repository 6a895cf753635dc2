// velmora4-cli invariants: the local geometry of the surface at given points -
// the data-panel values, the frame, H, B, C and their products, the scalar
// functions and the directions of the seven line classes.
#include "cli/CliCommon.h"
#include "cli/Registry.h"
#include "geometry/LocalGeometry.h"
#include "platform/VelmoraError.h"
#include "session/PointDirections.h"
#include "session/SurfaceSession.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace velmora::cli {
namespace {

struct InvariantsOptions {
    SurfaceOptions surface;
    std::vector<std::string> at;
};

void PrintPoint(const TSurfaceSession& session, const Vector2& p) {
    const TLocalGeometry& s = session.Surface();
    JsonLine line;
    line.Number("u", p[0]).Number("v", p[1]);
    static const char* const kInvariantKeys[] = {"halfMajorAxis", "halfMinorAxis", "longH", "depth",
                                                 "alpha", "KGauss", "discrNormDev", "discrLatDev",
                                                 "discrStrPpal"};
    static const char* const kVectorKeys[] = {"t", "Jt", "vH", "vB", "vC"};
    static const char* const kProductKeys[] = {"guu", "guv", "gvv", "hh", "bb", "cc",
                                               "bc", "hb", "hc", "jhb", "jhc", "jbc"};
    static const char* const kScalarKeys[] = {"DepthOfOrigin", "AngleHEllipse", "EllipseArea",
                                              "GaussCurvature", "JHdotB", "JBdotC"};

    // The probe with the coordinate lines gives both depth measures.
    const TPointProbe probe = session.Probe(p, TLineClass::CoordinateLines);
    if (!probe.frame) {
        line.Boolean("ok", false);
        for (const char* key : kInvariantKeys) line.Null(key);
        line.Null("crossDepth");
        for (const char* key : kVectorKeys) line.Null(key);
        for (const char* key : kProductKeys) line.Null(key);
        for (const char* key : kScalarKeys) line.Null(key);
        line.Null("directions");
        line.Print();
        return;
    }

    line.Boolean("ok", probe.invariants.has_value());
    if (const std::optional<TInvariants>& inv = probe.invariants) {
        const double values[] = {inv->halfMajorAxis, inv->halfMinorAxis, inv->longH,
                                 inv->depth,         inv->alpha,         inv->KGauss,
                                 inv->discrNormDev,  inv->discrLatDev,   inv->discrStrPpal};
        for (int i = 0; i < 9; ++i) line.Value(kInvariantKeys[i], values[i]);
    } else {
        for (const char* key : kInvariantKeys) line.Null(key);
    }

    // The frame and products of p (the values may have failed after them).
    const TLocalFrame& f = *probe.frame;
    const Vector4 vectors[] = {f.t, f.Jt, f.vH, f.vB, f.vC};
    const double products[] = {f.guu, f.guv, f.gvv, f.hh, f.bb, f.cc, f.bc, f.hb, f.hc, f.jhb, f.jhc, f.jbc};
    if (probe.crossValues)
        line.Value("crossDepth", probe.crossValues->depth);
    else
        line.Null("crossDepth");
    for (int i = 0; i < 5; ++i) line.Numbers(kVectorKeys[i], vectors[i].data(), 4);
    for (int i = 0; i < 12; ++i) line.Value(kProductKeys[i], products[i]);

    const double scalars[] = {s.DepthOfOrigin(p),  s.AngleHEllipse(p), s.EllipseArea(p),
                              s.GaussCurvature(p), s.JHdotB(p),        s.JBdotC(p)};
    for (int i = 0; i < 6; ++i) line.Value(kScalarKeys[i], scalars[i]);

    // A class whose directions vanish on the whole domain has none (what the
    // polynomials give there is rounding noise).
    JsonLine directions;
    for (int c = 1; c < kLineClassCount; ++c) {
        const TLineClass lineClass = static_cast<TLineClass>(c);
        std::vector<double> angles;
        if (!session.DirectionsVanish(lineClass)) angles = LineDirectionAngles(s, p, lineClass);
        directions.Numbers(std::to_string(c), angles.data(), angles.size());
    }
    line.Object("directions", directions);
    line.Print();
}

void Run(const InvariantsOptions& options) {
    // The surface and its domain, read as every subcommand reads them; a
    // point outside the domain is refused as the start of lines is.
    const auto session = LoadSurface(options.surface, 0);
    std::vector<Vector2> points;
    for (const std::string& text : options.at) {
        points.push_back(ParsePair(text));
        CheckInDomain(*session, points.back(), "--at");
    }
    for (const Vector2& p : points) PrintPoint(*session, p);
}

const SubcommandRegistrar invariantsCommand(2, [](CLI::App& app) {
    auto options = std::make_shared<InvariantsOptions>();
    CLI::App* sub = app.add_subcommand(
        "invariants", "local geometry at points: ellipse invariants, frame, H, B, C, products and directions");
    AddSurfaceOptions(sub, options->surface, true);
    AddPairOption(sub, "--at", options->at, "a point U,V of the domain (repeatable)")->required();
    sub->callback([options] { RunGuarded([&] { Run(*options); }); });
});

}  // namespace
}  // namespace velmora::cli
