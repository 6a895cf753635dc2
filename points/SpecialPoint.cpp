#include "points/SpecialPoint.h"

#include <cmath>

namespace velmora {

const char* SpecialKindName(TSpecialKind kind) {
    switch (kind) {
        case TSpecialKind::Axiumbilic: return "axiumbilic";
        case TSpecialKind::Inflection: return "inflection";
        case TSpecialKind::Minimal: return "minimal";
        case TSpecialKind::PrincipalSingular: return "principal-singular";
        case TSpecialKind::Degenerate: return "degenerate";
    }
    return "";
}

const char* OriginSideName(TOriginSide side) { return side == TOriginSide::Inside ? "inside" : "outside"; }

bool IsSingularFor(TSpecialKind kind, TLineClass c) {
    switch (c) {
        case TLineClass::Curvature: return kind == TSpecialKind::Axiumbilic;
        case TLineClass::Asymptotic: return kind == TSpecialKind::Inflection;
        case TLineClass::MeanCurvature: return kind == TSpecialKind::Inflection || kind == TSpecialKind::Minimal;
        case TLineClass::Principal: return kind == TSpecialKind::Minimal || kind == TSpecialKind::PrincipalSingular;
        default: return false;
    }
}

std::vector<TSpecialKind> SpecialKindsOf(TLineClass c) {
    if (!HasSpecialPoints(c)) return {};
    std::vector<TSpecialKind> kinds;
    for (int k = 0; k < kSpecialKinds; ++k) {
        const auto kind = static_cast<TSpecialKind>(k);
        if (kind == TSpecialKind::Degenerate || c == TLineClass::CoordinateLines || IsSingularFor(kind, c))
            kinds.push_back(kind);
    }
    return kinds;
}

TLineClass MeasuredField(TSpecialKind kind, TLineClass c) {
    if (kind == TSpecialKind::Degenerate) return TLineClass::CoordinateLines;
    if (c != TLineClass::CoordinateLines) return IsSingularFor(kind, c) ? c : TLineClass::CoordinateLines;
    switch (kind) {
        case TSpecialKind::Axiumbilic: return TLineClass::Curvature;
        case TSpecialKind::Inflection:
        case TSpecialKind::Minimal: return TLineClass::MeanCurvature;
        case TSpecialKind::PrincipalSingular: return TLineClass::Principal;
        default: return TLineClass::CoordinateLines;
    }
}

std::string SpecialPointType(TLineClass field, double index, int separatrices) {
    if (!std::isfinite(index) || separatrices < 0) return {};
    if (field == TLineClass::Curvature) {
        if (std::fabs(std::fabs(index) - 0.25) > 1e-9) return {};
        return "E" + std::to_string(separatrices);
    }
    if (!IsLowDegree(field)) return {};
    if (std::fabs(index + 0.5) < 1e-9) return "star";
    if (std::fabs(index - 0.5) < 1e-9) {
        if (separatrices == 1) return "lemon";
        if (separatrices >= 3) return "monstar";
    }
    return {};
}

std::string SpecialPointsCapMessage(std::size_t cap) {
    const std::string n = std::to_string(cap);
    return "More than " + n + " special points: the first " + n + " are shown";
}

std::string EverywhereMessage(TSpecialKind kind) {
    switch (kind) {
        case TSpecialKind::Axiumbilic: return "Every point is axiumbilic";
        case TSpecialKind::Inflection: return "Every point is an inflection point";
        case TSpecialKind::Minimal: return "Every point is minimal";
        case TSpecialKind::PrincipalSingular: return "Every point is principal-singular";
        case TSpecialKind::Degenerate: return "The metric is degenerate everywhere";
    }
    return {};
}

namespace {
// Colour values hold red in the low byte.
constexpr TColor Rgb(unsigned r, unsigned g, unsigned b) { return r | (g << 8) | (b << 16); }
}  // namespace

TColor MarkerColour(const TSpecialPoint& point) {
    if (point.kind == TSpecialKind::Degenerate) return Rgb(0, 0, 0);
    const std::string& t = point.type;
    if (t == "lemon") return Rgb(235, 200, 0);
    if (t == "monstar") return Rgb(240, 120, 0);
    if (t == "star") return Rgb(210, 0, 0);
    if (t == "E3") return Rgb(0, 160, 0);
    if (t == "E4") return Rgb(0, 170, 170);
    if (t == "E5") return Rgb(0, 90, 220);
    if (!t.empty()) return Rgb(150, 0, 200);  // E with another count
    return Rgb(128, 128, 128);                // not measured
}

TColor SpecialSetColour(TSpecialKind kind) {
    switch (kind) {
        case TSpecialKind::Axiumbilic: return Rgb(0, 160, 0);
        case TSpecialKind::Inflection: return Rgb(200, 0, 200);
        case TSpecialKind::Minimal: return Rgb(0, 90, 220);
        case TSpecialKind::PrincipalSingular: return Rgb(210, 0, 0);
        case TSpecialKind::Degenerate: return Rgb(0, 0, 0);
    }
    return Rgb(0, 0, 0);
}

}  // namespace velmora
