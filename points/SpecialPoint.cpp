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

}  // namespace velmora
