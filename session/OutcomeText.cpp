#include "session/OutcomeText.h"

namespace velmora {

namespace {

// The family of a line class in running text.
const char* FamilyName(TLineClass c) {
    switch (c) {
        case TLineClass::Curvature: return "curvature";
        case TLineClass::Asymptotic: return "asymptotic";
        case TLineClass::MeanCurvature: return "mean curvature";
        case TLineClass::Principal: return "principal";
        case TLineClass::ExtremalNormalDeviation: return "extremal normal deviation";
        case TLineClass::ExtremalLateralDeviation: return "extremal lateral deviation";
        case TLineClass::StrongPrincipal: return "strong principal";
        case TLineClass::CoordinateLines: break;
    }
    return "coordinate";
}

}  // namespace

std::string InvariantVanishesText(TInvariantKind kind) {
    if (!IsInvariantKind(kind)) return {};
    return std::string("The ") + ScalarInvariant(kind).description + " vanishes on the whole domain";
}

std::string LineTraceText(const TTraceOutcome& outcome) {
    switch (outcome.end) {
        case TTraceEnd::Halted: return "Computation halted";
        case TTraceEnd::NoDirection:
            if (outcome.lineClass == TLineClass::Curvature)
                return "That point was umbilical or without principal directions";
            if (outcome.lineClass == TLineClass::Asymptotic) return "There are no asymptotic lines by that point";
            return {};
        case TTraceEnd::FormVanishes:
            return std::string("There are no ") + FamilyName(outcome.lineClass) +
                   " lines: the form of their directions vanishes on the whole domain";
        case TTraceEnd::Stopped:
        case TTraceEnd::Finished: break;
    }
    return {};
}

std::string LocusTraceText(const TLocusTrace& trace) {
    switch (trace.end) {
        case TLocusEnd::Vanishes: return InvariantVanishesText(trace.kind);
        case TLocusEnd::Halted: return "Computation halted";
        case TLocusEnd::Stopped:
            return "Locus stopped: " + std::to_string(trace.cellsDone) + " of " + std::to_string(trace.cells) +
                   " cells scanned";
        case TLocusEnd::Finished: break;
    }
    return {};
}

}  // namespace velmora
